// Class XPathNode: one entry of an XPath result, a node or an attribute.
#include "base/exceptions.h"
#include "base/registration.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

// Wraps the part of the entry `part` picks, recording the entry's owner. A
// record that was never bound reads as the empty entry.
template <class Part>
REALobject EntryPart(REALobject self, Part part) {
    return Shielded<REALobject>(nullptr, [&] {
        const XPathNodeData* data = XPathNodeWrapper::DataOf(self);
        return part(data->owner, data->handle ? data->handle->entry : pugi::xpath_node());
    });
}

void Constructor(REALobject) {}

REALobject GetNode(REALobject self, RBInteger) {
    return EntryPart(self, [](REALobject owner, const pugi::xpath_node& entry) {
        return CreateNode(owner, entry.node());
    });
}

REALobject GetAttribute(REALobject self, RBInteger) {
    return EntryPart(self, [](REALobject owner, const pugi::xpath_node& entry) {
        return CreateAttribute(owner, entry.attribute(), entry.parent());
    });
}

REALobject GetParent(REALobject self, RBInteger) {
    return EntryPart(self, [](REALobject owner, const pugi::xpath_node& entry) {
        return CreateNode(owner, entry.parent());
    });
}

REALproperty Properties[] = {
    Property("Node", "TorvaneXml.Node", HOST_FN(GetNode)),
    Property("Attribute", "TorvaneXml.Attribute", HOST_FN(GetAttribute)),
    Property("Parent", "TorvaneXml.Node", HOST_FN(GetParent)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

REALclassDefinition XPathNodeClass =
    ClassRecord({"XPathNode", nullptr, sizeof(XPathNodeData), HOST_FN(XPathNodeWrapper::Destructor),
                 Properties, CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
