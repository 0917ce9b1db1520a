// Class XPathNodeIterator: walks an XPathNodeSet in place with the host's
// For Each protocol.
#include "dom/tree_iterator.h"
#include "xpath/records.h"

namespace {

// The entries of one node set; `value` is the set (nil for a set that was
// never bound, which has no entries). Entries a removal cleared are skipped
// and not counted.
struct EntryRange : IteratorRange<const pugi::xpath_node*> {
    const NodeSetValue* value = nullptr;

    RBInteger Count() const { return value ? static_cast<RBInteger>(value->Remaining()) : 0; }
    bool Any() const { return Count() > 0; }
    void Settle() {
        while (current != end && !*current) ++current;
    }
};

REALobject WrapEntry(REALobject owner, const EntryRange& range) {
    const pugi::xpath_node& entry = *range.current;
    // Entries from other trees only come with node-set variables: rare.
    const bool mixed = range.value && !range.value->others.empty();
    return CreateXPathNode(mixed ? OwnerOfEntry(entry, owner, range.value->others) : owner, entry);
}

// The record also holds the set walked, locked: the range points into it.
struct XPathNodeIteratorData : TreeIteratorData<EntryRange> {
    REALobject nodeSetObject;
};
static_assert(sizeof(void*) != 8 || sizeof(XPathNodeIteratorData) == 32, "XPath record layout");

using Walker = TreeIterator<EntryRange, XPathNodeIteratorClass, WrapEntry, XPathNodeIteratorData>;

void Destructor(REALobject self) {
    XPathNodeIteratorData* data = Walker::DataOf(self);
    REALUnlockObject(data->nodeSetObject);
    data->nodeSetObject = nullptr;
    Walker::Destructor(self);
}

}  // namespace

REALobject CreateXPathNodeIterator(REALobject owner, REALobject nodeSetObject) {
    std::unique_ptr<EntryRange> range(new EntryRange{});
    // Without a set the range stays all-null: begin, current and end agree,
    // an iteration over no entries.
    if (const NodeSetValue* value = XPathNodeSetWrapper::DataOf(nodeSetObject)->handle) {
        range->begin = value->set.begin();
        range->end = value->set.end();
        range->value = value;
    }
    REALobject obj = Walker::Create(owner, std::move(range));
    if (!obj) return nullptr;
    Walker::DataOf(obj)->nodeSetObject = nodeSetObject;
    REALLockObject(nodeSetObject);
    return obj;
}

REALclassDefinition XPathNodeIteratorClass =
    IteratorTables<Walker>::Record("XPathNodeIterator", HOST_FN(Destructor));
