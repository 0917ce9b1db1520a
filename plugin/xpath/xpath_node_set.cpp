// Class XPathNodeSet: the node-set result of an evaluation, and the owners of
// the trees its entries lie in.
#include <algorithm>

#include "base/exceptions.h"
#include "base/registration.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

// The document node of the tree `owner` owns (the null node for nil).
pugi::xml_node OwnerRoot(REALobject owner) {
    return NodeOf(owner).root();
}

// The document node of the tree an entry lies in.
pugi::xml_node EntryRoot(const pugi::xpath_node& entry) {
    return entry.attribute() ? entry.parent().root() : entry.node().root();
}

}  // namespace

NodeSetValue::~NodeSetValue() {
    for (REALobject other : others) REALUnlockObject(other);
}

REALobject OwnerOfEntry(const pugi::xpath_node& entry, REALobject owner, const OwnerList& others) {
    if (others.empty()) return owner;
    const pugi::xml_node root = EntryRoot(entry);
    if (root == OwnerRoot(owner)) return owner;
    for (REALobject other : others)
        if (root == OwnerRoot(other)) return other;
    return owner;
}

REALobject WrapNodeSet(REALobject owner, pugi::xpath_node_set&& result,
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
    return XPathNodeSetWrapper::Create(owner, std::move(value));
}

namespace {

void Constructor(REALobject) {}

// A new iterator at the start on every call. A set that was never bound is
// walked as a set without entries.
REALobject XPathNodes(REALobject self) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        return CreateXPathNodeIterator(XPathNodeSetWrapper::DataOf(self)->owner, self);
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(XPathNodes), "XPathNodes() as TorvaneXml.XPathNodeIterator", kFlagsPublic),
};

}  // namespace

// The destructor frees the entries, then releases the other trees' owners.
REALclassDefinition XPathNodeSetClass = ClassRecord(
    {"XPathNodeSet", nullptr, sizeof(XPathNodeSetData), HOST_FN(XPathNodeSetWrapper::Destructor),
     nullptr, 0, Methods, CountOf(Methods), nullptr, nullptr, 0});
