// Class XPathNode: one entry of an XPath result, a node or an attribute.
#include "dom/records.h"
#include "base/exceptions.h"
#include "base/registration.h"
#include "xpath/records.h"

REALobject CreateXPathNode(REALobject owner, pugi::xpath_node* entry) {
    REALobject obj = REALnewInstanceOfClass(&XPathNodeClass);
    if (!obj) {
        delete entry;
        return nullptr;
    }
    XPathNodeData* data = ClassData<XPathNodeData>(obj, XPathNodeClass);
    data->owner = owner;
    REALLockObject(owner);
    data->entry = entry;
    return obj;
}

namespace {

// The entry; the empty entry for a record that was never bound.
pugi::xpath_node EntryOf(REALobject self, REALobject* owner) {
    const XPathNodeData* data = ClassData<XPathNodeData>(self, XPathNodeClass);
    *owner = data->owner;
    return data->entry ? *data->entry : pugi::xpath_node();
}

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    XPathNodeData* data = ClassData<XPathNodeData>(self, XPathNodeClass);
    delete data->entry;
    data->entry = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

REALobject GetNode(REALobject self, RBInteger) {
    return Shielded<REALobject>(nullptr, [&] {
        REALobject owner;
        const pugi::xpath_node entry = EntryOf(self, &owner);
        return CreateNode(owner, entry.node());
    });
}

REALobject GetAttribute(REALobject self, RBInteger) {
    return Shielded<REALobject>(nullptr, [&] {
        REALobject owner;
        const pugi::xpath_node entry = EntryOf(self, &owner);
        return CreateAttribute(owner, entry.attribute());
    });
}

REALobject GetParentNode(REALobject self, RBInteger) {
    return Shielded<REALobject>(nullptr, [&] {
        REALobject owner;
        const pugi::xpath_node entry = EntryOf(self, &owner);
        return CreateNode(owner, entry.parent());
    });
}

REALproperty Properties[] = {
    Property("Node", "TorvaneXml.Node", HOST_FN(GetNode)),
    Property("Attribute", "TorvaneXml.Attribute", HOST_FN(GetAttribute)),
    Property("Parent", "TorvaneXml.Node", HOST_FN(GetParentNode)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

REALclassDefinition XPathNodeClass =
    ClassRecord({"XPathNode", nullptr, sizeof(XPathNodeData), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
