// Class XPathNodeIterator: walks an XPathNodeSet in place with the host's
// For Each protocol.
#include "base/exceptions.h"
#include "base/registration.h"
#include "xpath/records.h"

REALobject CreateXPathNodeIterator(REALobject owner, REALobject nodeSetObject,
                                   const pugi::xpath_node_set* nodeSet) {
    XPathNodeCursor* cursor = new XPathNodeCursor{};
    REALobject obj = REALnewInstanceOfClass(&XPathNodeIteratorClass);
    if (!obj) {
        delete cursor;
        return nullptr;
    }
    XPathNodeIteratorData* data = ClassData<XPathNodeIteratorData>(obj, XPathNodeIteratorClass);
    data->owner = owner;
    REALLockObject(owner);
    data->nodeSetObject = nodeSetObject;
    REALLockObject(nodeSetObject);
    // Without a set the cursor stays all-null: first, current and end agree,
    // an iteration over no entries.
    cursor->nodeSet = nodeSet;
    if (nodeSet) {
        cursor->first = cursor->current = nodeSet->begin();
        cursor->end = nodeSet->end();
    }
    data->cursor = cursor;
    return obj;
}

namespace {

XPathNodeIteratorData* DataOf(REALobject self) {
    return ClassData<XPathNodeIteratorData>(self, XPathNodeIteratorClass);
}

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    XPathNodeIteratorData* data = DataOf(self);
    delete data->cursor;
    data->cursor = nullptr;
    REALUnlockObject(data->nodeSetObject);
    data->nodeSetObject = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

RBInteger Count(REALobject self, RBInteger) {
    const XPathNodeCursor* cursor = DataOf(self)->cursor;
    return cursor ? static_cast<RBInteger>(cursor->end - cursor->first) : 0;
}

RBBoolean Any(REALobject self, RBInteger) {
    const XPathNodeCursor* cursor = DataOf(self)->cursor;
    return cursor && cursor->first != cursor->end;
}

// Stays at the end once there: a second For Each over the same iterator,
// which does not rewind, sees no entries rather than memory past the set.
RBBoolean MoveNext(REALobject self) {
    XPathNodeIteratorData* data = DataOf(self);
    XPathNodeCursor* cursor = data->cursor;
    if (!cursor) return false;
    if (!data->started)
        data->started = 1;
    else if (cursor->current != cursor->end)
        ++cursor->current;
    return cursor->current != cursor->end;
}

REALobject Value(REALobject self) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        XPathNodeIteratorData* data = DataOf(self);
        const XPathNodeCursor* cursor = data->cursor;
        if (!cursor || cursor->current == cursor->end) return nullptr;
        const pugi::xpath_node entry = *cursor->current;
        if (!entry) return nullptr;
        const NodeSetValue* value =
            ClassData<XPathNodeSetData>(data->nodeSetObject, XPathNodeSetClass)->nodeSet;
        REALobject owner = value ? OwnerOfEntry(entry, data->owner, value->others) : data->owner;
        return CreateXPathNode(owner, new pugi::xpath_node(entry));
    });
}

REALobject Iterable(REALobject self) {
    REALLockObject(self);
    return self;
}

REALproperty Properties[] = {
    Property("Count", "Integer", HOST_FN(Count)),
    Property("Any", "Boolean", HOST_FN(Any)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(MoveNext), "MoveNext() as Boolean", kFlagsHidden),
    Method(HOST_FN(Value), "Value() as Variant", kFlagsHidden),
    Method(HOST_FN(Iterable), "Iterator() as Iterator", kFlagsHidden),
};

}  // namespace

REALclassDefinition XPathNodeIteratorClass = ClassRecord(
    {"XPathNodeIterator", nullptr, sizeof(XPathNodeIteratorData), HOST_FN(Destructor), Properties,
     CountOf(Properties), Methods, CountOf(Methods), "Iterator,Iterable", nullptr, 0});
