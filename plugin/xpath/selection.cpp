// Node.SelectNodes and Node.SelectNode: compile and evaluate an expression in
// one call with the node as context. Registered in Node's method table.
#include "base/exceptions.h"
#include "base/strings.h"
#include "dom/node_xpath.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

// Reads the query text and runs `select` on it; library errors and exhausted
// memory become XPath exceptions. Unreadable text answers nil silently.
template <class Select>
REALobject Selection(REALstring query, Select&& select) {
    try {
        Utf8Arg text(query);
        if (!text.ok()) return nullptr;
        try {
            return select(text.c_str());
        } catch (const pugi::xpath_exception& e) {
            ThrowLibraryError(e);
        }
    } catch (const std::bad_alloc& e) {
        ThrowOutOfMemory(e);
    } catch (const std::exception& e) {
        ReportEscapedException(&e, false);
    } catch (...) {
        ReportEscapedException(nullptr, false);
    }
    return nullptr;
}

}  // namespace

// The variable set is used for this call only and is not locked.
REALobject SelectNodes(REALobject self, REALstring query, REALobject variables) {
    return Selection(query, [&](const char* text) {
        pugi::xpath_node_set result = NodeOf(self).select_nodes(text, VariablesOf(variables));
        return WrapNodeSet(OwnerOf(self), std::move(result), VariableOwnersOf(variables));
    });
}

REALobject SelectNode(REALobject self, REALstring query, REALobject variables) {
    return Selection(query, [&](const char* text) -> REALobject {
        const pugi::xpath_node entry = NodeOf(self).select_node(text, VariablesOf(variables));
        if (!entry) return nullptr;
        REALobject owner = OwnerOfEntry(entry, OwnerOf(self), VariableOwnersOf(variables));
        return CreateXPathNode(owner, new pugi::xpath_node(entry));
    });
}
