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
#include <vector>

#include "base/hostcalls.h"
#include "base/wrapper.h"

// The class records, defined in each class's unit.
extern REALclassDefinition XPathNodeIteratorClass;
extern REALclassDefinition XPathNodeClass;
extern REALclassDefinition XPathNodeSetClass;
extern REALclassDefinition XPathQueryClass;
extern REALclassDefinition XPathVariableSetClass;

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

using XPathNodeSetData = WrapperRecord<NodeSetValue>;
using XPathNodeData = WrapperRecord<pugi::xpath_node>;  // never an empty entry
using XPathNodeSetWrapper = Wrapper<XPathNodeSetData, XPathNodeSetClass>;
using XPathNodeWrapper = Wrapper<XPathNodeData, XPathNodeClass>;

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
                  (sizeof(XPathNodeData) == 16 && sizeof(XPathNodeSetData) == 16 &&
                   sizeof(XPathQueryData) == 16 && sizeof(XPathVariableSetData) == 8),
              "XPath record layout");

// Wraps one entry, recording `owner`; nil for an empty entry.
inline REALobject CreateXPathNode(REALobject owner, const pugi::xpath_node& entry) {
    if (!entry) return nullptr;
    return XPathNodeWrapper::Create(owner, std::make_unique<pugi::xpath_node>(entry));
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
