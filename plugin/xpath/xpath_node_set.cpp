// Class XPathNodeSet: the node-set result of an evaluation, and the owners of
// the trees its entries lie in.
#include <algorithm>
#include <new>

#include "base/exceptions.h"
#include "base/registration.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

// The document node of the tree an entry lies in.
pugi::xml_node EntryRoot(const pugi::xpath_node& entry) {
    return entry.attribute() ? entry.parent().root() : entry.node().root();
}

}  // namespace

// The links go before the locks that keep their registries alive.
NodeSetValue::~NodeSetValue() {
    links.clear();
    for (REALobject other : others) REALUnlockObject(other);
}

namespace {

// Sets up to this size are scanned on each removal; larger ones are indexed.
constexpr size_t kScannedSetSize = 16;

const void* EntryKey(const pugi::xpath_node& entry) {
    return entry.attribute() ? static_cast<const void*>(entry.attribute().internal_object())
                             : static_cast<const void*>(entry.node().internal_object());
}

}  // namespace

void NodeSetValue::ClearDoomed(const Removal& removal) {
    if (removed == set.size()) return;
    // The set owns its storage, which is not const: entries are cleared in
    // place so iterators pointing into it stay valid.
    pugi::xpath_node* entries = const_cast<pugi::xpath_node*>(set.begin());
    auto clear = [&](size_t i) {
        if (!entries[i]) return;
        entries[i] = pugi::xpath_node();
        ++removed;
    };
    if (set.size() > kScannedSetSize && !indexed) {
        // Without memory for the index, this removal scans instead.
        try {
            index.reserve(set.size());
            for (size_t i = 0; i < set.size(); ++i)
                if (entries[i]) index.emplace(EntryKey(entries[i]), i);
            indexed = true;
        } catch (const std::bad_alloc&) {
            index.clear();
        }
    }
    if (!indexed) {
        for (size_t i = 0; i < set.size(); ++i)
            if (entries[i] && EntryDoomed(removal, entries[i])) clear(i);
    } else {
        auto drop = [&](const void* key) {
            auto found = index.equal_range(key);
            if (found.first == found.second) return;
            for (auto it = found.first; it != found.second; ++it) clear(it->second);
            index.erase(found.first, found.second);
        };
        removal.ForEachDoomed([&](const pugi::xml_node& n) { drop(n.internal_object()); },
                              [&](const pugi::xml_attribute& a) { drop(a.internal_object()); });
    }
    if (removed == set.size()) {
        // Nothing left to clear: stop hearing about this tree's removals.
        index.clear();
        Unlink();
        for (auto& link : links) link->Unlink();
    }
}

REALobject OwnerOfEntry(const pugi::xpath_node& entry, REALobject owner, const OwnerList& others) {
    if (others.empty()) return owner;
    const pugi::xml_node root = EntryRoot(entry);
    if (HoldsTree(owner, root)) return owner;
    for (REALobject other : others)
        if (HoldsTree(other, root)) return other;
    return owner;
}

REALobject WrapNodeSet(REALobject owner, pugi::xpath_node_set&& result,
                       const OwnerList& candidates) {
    std::unique_ptr<NodeSetValue> value(new NodeSetValue(std::move(result)));
    if (!candidates.empty()) {
        for (const pugi::xpath_node& entry : value->set) {
            const pugi::xml_node root = EntryRoot(entry);
            if (HoldsTree(owner, root)) continue;
            for (size_t i = 0; i < candidates.size(); ++i) {
                if (!HoldsTree(candidates[i], root)) continue;
                OwnerList& others = value->others;
                if (std::find(others.begin(), others.end(), candidates[i]) == others.end()) {
                    others.reserve(others.size() + 1);
                    auto link = std::make_unique<OtherTreeLink>(value.get());
                    value->links.reserve(value->links.size() + 1);
                    REALLockObject(candidates[i]);
                    others.push_back(candidates[i]);
                    if (TreeRegistry* registry = TreeHandle::RegistryOf(candidates[i]))
                        registry->Add(link.get());
                    value->links.push_back(std::move(link));
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
