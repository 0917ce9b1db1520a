// Instance records of the XPath classes and the factories through which the
// XPath units hand each other result objects.
//
// Ownership follows the object model: every result holds one lock on the
// owning Document of the tree its entries lie in. A node-set variable can
// bring entries of another tree into a result (an expression such as
// "$items" evaluated against a node of a different document), so a node set
// also holds one lock on the owning Document of each further tree its entries
// lie in, and a single entry records the owner of its own tree.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "dom/records.h"
#include "base/exceptions.h"
#include "base/hostcalls.h"
#include "base/registration.h"

// Owning Documents held with one lock each, besides a record's own owner.
using OwnerList = std::vector<REALobject>;

// A node-set result: the library's set plus the owners of the trees its
// entries lie in other than the record's own owner (usually none). The entries
// are never changed after creation, so iterators may point into them.
struct NodeSetValue {
    pugi::xpath_node_set set;
    OwnerList others;  // locked; released when the value is destroyed
    ~NodeSetValue();
};

struct XPathNodeSetData {
    REALobject owner;       // locked
    NodeSetValue* nodeSet;  // owned; nil in a record that was never bound
};

// Walks the entries of the set held by a node set object, in place.
struct XPathNodeCursor {
    const pugi::xpath_node_set* nodeSet;  // not owned
    const pugi::xpath_node* first;
    const pugi::xpath_node* current;
    const pugi::xpath_node* end;
};

struct XPathNodeIteratorData {
    REALobject owner;          // locked
    REALobject nodeSetObject;  // the XPathNodeSet walked, locked
    XPathNodeCursor* cursor;   // owned; nil in a record that was never bound
    uint8_t started;
};

struct XPathNodeData {
    REALobject owner;         // locked
    pugi::xpath_node* entry;  // owned, never an empty entry; nil when never bound
};

// The variable set and the owning Documents of the node-set values stored in
// it. A node-set value copies its entries, which still point into their
// trees, so each node-set variable keeps those trees alive until its value is
// replaced or the set is destroyed.
struct VariableSetState {
    pugi::xpath_variable_set variables;
    std::map<std::string, OwnerList> owners;  // variable name -> locked owners
    ~VariableSetState();
};

// One pointer, as the class registers it: the state is created by
// Constructor() or, for a set made without a constructor, on first use.
struct XPathVariableSetData {
    VariableSetState* variableSet;
};

struct XPathQueryData {
    pugi::xpath_query* query;  // owned; nil until compiled
    REALobject variables;      // the XPathVariableSet compiled against, locked
};

// The data sizes the classes register on 64-bit hosts.
static_assert(sizeof(void*) != 8 ||
                  (sizeof(XPathNodeIteratorData) == 32 && sizeof(XPathNodeData) == 16 &&
                   sizeof(XPathNodeSetData) == 16 && sizeof(XPathQueryData) == 16 &&
                   sizeof(XPathVariableSetData) == 8),
              "XPath record layout");

// Factories: each takes ownership of the heap value, locks the owner (and the
// node set object) and returns a new object carrying one lock for the caller.
REALobject CreateXPathNodeSet(REALobject owner, NodeSetValue* nodeSet);
REALobject CreateXPathNodeIterator(REALobject owner, REALobject nodeSetObject,
                                   const pugi::xpath_node_set* nodeSet);
REALobject CreateXPathNode(REALobject owner, pugi::xpath_node* entry);

// The library's variable set of an XPathVariableSet object; null for nil and
// for a set that holds no variables yet, which the library treats as none.
inline pugi::xpath_variable_set* VariablesOf(REALobject variableSet) {
    if (!variableSet) return nullptr;
    VariableSetState* state =
        ClassData<XPathVariableSetData>(variableSet, XPathVariableSetClass)->variableSet;
    return state ? &state->variables : nullptr;
}

// Every owning Document the node-set variables of `variableSet` hold: the
// trees outside the context's one that an evaluation may bring entries from.
inline OwnerList VariableOwnersOf(REALobject variableSet) {
    OwnerList result;
    if (!variableSet) return result;
    VariableSetState* state =
        ClassData<XPathVariableSetData>(variableSet, XPathVariableSetClass)->variableSet;
    if (!state) return result;
    for (const auto& variable : state->owners)
        for (REALobject owner : variable.second)
            if (std::find(result.begin(), result.end(), owner) == result.end())
                result.push_back(owner);
    return result;
}

// The document node of the tree `owner` owns (the null node for nil).
inline pugi::xml_node OwnerRoot(REALobject owner) {
    return NodeOf(owner).root();
}

// The document node of the tree an entry lies in.
inline pugi::xml_node EntryRoot(const pugi::xpath_node& entry) {
    return entry.attribute() ? entry.parent().root() : entry.node().root();
}

// The owner among `owner` and `others` whose tree holds `entry`; `owner` when
// none of the others does.
inline REALobject OwnerOfEntry(const pugi::xpath_node& entry, REALobject owner,
                               const OwnerList& others) {
    if (others.empty()) return owner;
    const pugi::xml_node root = EntryRoot(entry);
    if (root == OwnerRoot(owner)) return owner;
    for (REALobject other : others)
        if (root == OwnerRoot(other)) return other;
    return owner;
}

// Wraps the node-set result of an evaluation whose context node has `owner`.
// Entries outside the owner's tree come from node-set variables: the new set
// also locks the owner, among `candidates`, of each such tree.
inline REALobject WrapNodeSet(REALobject owner, pugi::xpath_node_set&& result,
                              const OwnerList& candidates) {
    std::unique_ptr<NodeSetValue> value(new NodeSetValue{std::move(result), {}});
    if (!candidates.empty()) {
        const pugi::xml_node ownRoot = OwnerRoot(owner);
        std::vector<pugi::xml_node> roots;
        for (REALobject candidate : candidates) roots.push_back(OwnerRoot(candidate));
        for (const pugi::xpath_node& entry : value->set) {
            const pugi::xml_node root = EntryRoot(entry);
            if (root == ownRoot) continue;
            for (size_t i = 0; i < candidates.size(); ++i) {
                if (roots[i] != root) continue;
                OwnerList& others = value->others;
                if (std::find(others.begin(), others.end(), candidates[i]) == others.end()) {
                    others.reserve(others.size() + 1);
                    REALLockObject(candidates[i]);
                    others.push_back(candidates[i]);
                }
                break;
            }
        }
    }
    return CreateXPathNodeSet(owner, value.release());
}

inline NodeSetValue::~NodeSetValue() {
    for (REALobject other : others) REALUnlockObject(other);
}

inline VariableSetState::~VariableSetState() {
    for (auto& variable : owners)
        for (REALobject owner : variable.second) REALUnlockObject(owner);
}

// Reports an error the library raised while compiling or evaluating: its
// description as message, its byte offset into the query text, and -1.
inline void ThrowLibraryError(const pugi::xpath_exception& e) {
    ThrowXPathException(e.result().description(), static_cast<int64_t>(e.result().offset), -1);
}

// Reports memory exhausted inside the library.
inline void ThrowOutOfMemory(const std::bad_alloc& e) {
    ThrowXPathException(e.what(), 0, kOutOfMemoryError);
}
