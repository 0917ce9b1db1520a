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

#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/hostcalls.h"
#include "base/wrapper.h"
#include "dom/records.h"

// The class records, defined in each class's unit.
extern REALclassDefinition XPathNodeIteratorClass;
extern REALclassDefinition XPathNodeClass;
extern REALclassDefinition XPathNodeSetClass;
extern REALclassDefinition XPathQueryClass;
extern REALclassDefinition XPathVariableSetClass;

// Owning Documents held with one lock each, besides a record's own owner.
using OwnerList = std::vector<REALobject>;

// Whether a removal takes an entry (a node, or an attribute of its parent)
// away.
inline bool EntryDoomed(const Removal& removal, const pugi::xpath_node& entry) {
    return entry.attribute() ? removal.Dooms(entry.attribute(), entry.parent())
                             : removal.Dooms(entry.node());
}

struct NodeSetValue;

// Links a node set into the registry of a further tree its entries lie in.
struct OtherTreeLink : TreeHandle {
    NodeSetValue* value;
    explicit OtherTreeLink(NodeSetValue* v);
};

// A node-set result: the library's set plus the owners of the trees its
// entries lie in other than the record's own owner (usually none). Entries
// never move, so iterators may point into them; a removal clears the entries
// it takes away in place (an empty entry is skipped by every reader) and
// counts them. The set is tracked in its own owner's registry and, through
// `links`, in each further owner's.
struct NodeSetValue : TreeHandle {
    pugi::xpath_node_set set;
    OwnerList others;  // locked; released when the value is destroyed
    std::vector<std::unique_ptr<OtherTreeLink>> links;
    size_t removed = 0;
    // Entry position by node or attribute, built at the first removal that
    // reaches a set too large to scan, so each later removal costs the size
    // of what it removes rather than the size of the set.
    std::unordered_multimap<const void*, size_t> index;
    bool indexed = false;

    explicit NodeSetValue(pugi::xpath_node_set&& entries) : set(std::move(entries)) {
        notify = &OnRemoval;
    }
    ~NodeSetValue();
    bool Trackable() const { return set.size() > removed; }
    size_t Remaining() const { return set.size() - removed; }
    void ClearDoomed(const Removal& removal);
    static void OnRemoval(TreeTracked* self, const Removal& removal) {
        static_cast<NodeSetValue*>(self)->ClearDoomed(removal);
    }
};

inline OtherTreeLink::OtherTreeLink(NodeSetValue* v) : value(v) {
    notify = [](TreeTracked* self, const Removal& removal) {
        static_cast<OtherTreeLink*>(self)->value->ClearDoomed(removal);
    };
}

// One entry of a result; empty once a removal took it away.
struct EntryHandle : ClearedByRemoval<EntryHandle> {
    pugi::xpath_node entry;
    explicit EntryHandle(const pugi::xpath_node& e) : entry(e) {}
    bool Trackable() const { return static_cast<bool>(entry); }
    bool Doomed(const Removal& removal) const { return EntryDoomed(removal, entry); }
    void Clear() { entry = pugi::xpath_node(); }
};

using XPathNodeSetData = WrapperRecord<NodeSetValue>;
using XPathNodeData = WrapperRecord<EntryHandle>;
using XPathNodeSetWrapper = Wrapper<XPathNodeSetData, XPathNodeSetClass>;
using XPathNodeWrapper = Wrapper<XPathNodeData, XPathNodeClass>;

struct VariableSetState;

// A node-set variable's link into the registry of one tree its entries lie
// in: a removal there drops the entries it takes away from the stored value.
struct VariableLink : TreeHandle {
    VariableSetState* state;
    std::string name;
    VariableLink(VariableSetState* s, std::string n);
};

// The owners of one node-set variable's trees, locked, and its links.
struct VariableOwners {
    OwnerList owners;
    std::vector<std::unique_ptr<VariableLink>> links;
};

// The variable set and the owning Documents of the node-set values stored in
// it. A node-set value copies its entries, which still point into their
// trees, so each node-set variable keeps those trees alive until its value is
// replaced or the set is destroyed.
struct VariableSetState {
    pugi::xpath_variable_set variables;
    std::map<std::string, VariableOwners> owners;  // variable name -> its trees
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
                  (sizeof(XPathNodeData) == 16 && sizeof(XPathNodeSetData) == 16 &&
                   sizeof(XPathQueryData) == 16 && sizeof(XPathVariableSetData) == 8),
              "XPath record layout");

// Wraps one entry, recording `owner`; nil for an empty entry.
inline REALobject CreateXPathNode(REALobject owner, const pugi::xpath_node& entry) {
    if (!entry) return nullptr;
    return XPathNodeWrapper::Create(owner, std::make_unique<EntryHandle>(entry));
}

// An iterator at the start of the set `nodeSetObject` holds; locks both.
REALobject CreateXPathNodeIterator(REALobject owner, REALobject nodeSetObject);

// Wraps the node-set result of an evaluation whose context node has `owner`.
// Entries outside the owner's tree come from node-set variables: the new set
// also locks the owner, among `candidates`, of each such tree.
REALobject WrapNodeSet(REALobject owner, pugi::xpath_node_set&& result,
                       const OwnerList& candidates);

// The owner among `owner` and `others` whose tree holds `entry`; `owner` when
// none of the others does.
REALobject OwnerOfEntry(const pugi::xpath_node& entry, REALobject owner, const OwnerList& others);

// The library's variable set of an XPathVariableSet object; null for nil and
// for a set that holds no variables yet, which the library treats as none.
pugi::xpath_variable_set* VariablesOf(REALobject variableSet);

// Every owning Document the node-set variables of `variableSet` hold: the
// trees outside the context's one that an evaluation may bring entries from.
OwnerList VariableOwnersOf(REALobject variableSet);
