// Class XPathNodeSet: the node-set result of an evaluation.
#include "base/exceptions.h"
#include "base/registration.h"
#include "xpath/records.h"

REALobject CreateXPathNodeSet(REALobject owner, NodeSetValue* nodeSet) {
    REALobject obj = REALnewInstanceOfClass(&XPathNodeSetClass);
    if (!obj) {
        delete nodeSet;
        return nullptr;
    }
    XPathNodeSetData* data = ClassData<XPathNodeSetData>(obj, XPathNodeSetClass);
    data->owner = owner;
    REALLockObject(owner);
    data->nodeSet = nodeSet;
    return obj;
}

namespace {

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    XPathNodeSetData* data = ClassData<XPathNodeSetData>(self, XPathNodeSetClass);
    // Frees the entries, then releases the other trees' owners.
    delete data->nodeSet;
    data->nodeSet = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

// A new iterator at the start on every call. A set that was never bound is
// walked as a set without entries.
REALobject Nodes(REALobject self) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        XPathNodeSetData* data = ClassData<XPathNodeSetData>(self, XPathNodeSetClass);
        return CreateXPathNodeIterator(data->owner, self,
                                       data->nodeSet ? &data->nodeSet->set : nullptr);
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(Nodes), "XPathNodes() as TorvaneXml.XPathNodeIterator", kFlagsPublic),
};

}  // namespace

REALclassDefinition XPathNodeSetClass =
    ClassRecord({"XPathNodeSet", nullptr, sizeof(XPathNodeSetData), HOST_FN(Destructor), nullptr, 0,
                 Methods, CountOf(Methods), nullptr, nullptr, 0});
