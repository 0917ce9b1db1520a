// Node.SelectNodes and Node.SelectNode: compile and evaluate an expression in
// one call with the node as context. Registered in Node's method table.
// Unreadable query text answers nil silently; the variable set is used for
// this call only and is not locked.
#include <memory>
#include <pugixml.hpp>

#include "base/exceptions.h"
#include "base/strings.h"
#include "dom/node_xpath.h"
#include "dom/records.h"
#include "xpath/query_cache.h"
#include "xpath/records.h"

namespace {

// Compiled queries of recent one-shot selections without variables, so host
// code selecting with the same text in a loop compiles it once. One cache for
// the process rather than one per Document: a compiled query without
// variables does not depend on any tree, host code commonly runs the same
// selection over many documents, the memory stays bounded however many
// Documents live, and a Document's record needs nothing more. Members run on
// the host's main thread only, so it takes no lock. Evaluating a compiled
// query changes nothing in it, so a cached query answers exactly as a new
// one; text that fails to compile is not kept and fails the same way each
// time.
constexpr size_t kCachedQueries = 32;

// The compiled form of `text`: the cached one, or a new one, which the cache
// keeps unless it has no memory to; then `uncached` holds it for this call.
// Throws what compiling throws.
const pugi::xpath_query& Compiled(const char* text, std::unique_ptr<pugi::xpath_query>& uncached) {
    static LruCache<std::unique_ptr<pugi::xpath_query>> cache(kCachedQueries);
    if (std::unique_ptr<pugi::xpath_query>* hit = cache.Find(text)) return **hit;
    uncached = std::make_unique<pugi::xpath_query>(text);
    try {
        return *cache.Insert(text, std::move(uncached));
    } catch (...) {
        return *uncached;  // Insert left it in place
    }
}

// The query a one-shot selection evaluates: compiled against the variable
// set when there is one, since its compiled form refers to those variables.
template <class Evaluate>
auto WithQuery(const char* text, pugi::xpath_variable_set* variables, Evaluate&& evaluate) {
    std::unique_ptr<pugi::xpath_query> uncached;
    if (variables) {
        const pugi::xpath_query query(text, variables);
        return evaluate(query);
    }
    return evaluate(Compiled(text, uncached));
}

}  // namespace

REALobject SelectNodes(REALobject self, REALstring query, REALobject variables) {
    return Shielded<REALobject>(
        nullptr,
        [&]() -> REALobject {
            Utf8Arg text(query);
            if (!text.ok()) return nullptr;
            pugi::xpath_node_set result = WithQuery(
                text.c_str(), VariablesOf(variables), [&](const pugi::xpath_query& compiled) {
                    return compiled.evaluate_node_set(pugi::xpath_node(NodeOf(self)));
                });
            return WrapNodeSet(OwnerOf(self), std::move(result), VariableOwnersOf(variables));
        },
        FailureClass::XPath);
}

REALobject SelectNode(REALobject self, REALstring query, REALobject variables) {
    return Shielded<REALobject>(
        nullptr,
        [&]() -> REALobject {
            Utf8Arg text(query);
            if (!text.ok()) return nullptr;
            const pugi::xpath_node entry = WithQuery(
                text.c_str(), VariablesOf(variables), [&](const pugi::xpath_query& compiled) {
                    return compiled.evaluate_node(pugi::xpath_node(NodeOf(self)));
                });
            if (!entry) return nullptr;
            return CreateXPathNode(OwnerOfEntry(entry, OwnerOf(self), VariableOwnersOf(variables)),
                                   entry);
        },
        FailureClass::XPath);
}
