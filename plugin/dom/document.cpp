// Class Document: a Node subclass that owns a parsed tree (or, from
// Node.Root(), designates the document node of another Document's tree).
#include "dom/records.h"
#include "host/exceptions.h"
#include "host/registration.h"
#include "host/strings.h"

namespace {

void Constructor(REALobject self) {
    Shielded([&] {
        NodeData* data = ClassData<NodeData>(self, NodeClass);
        data->handle = new pugi::xml_document();
        data->owner = self;  // an owning Document holds no lock on itself
        data->ownsDocument = true;
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()"),
};

}  // namespace

// No record and no destructor of its own: a Document's data is its NodeData.
REALclassDefinition DocumentClass =
    ClassRecord({"Document", "TorvaneXml.Node", 0, nullptr, nullptr, 0, Methods, CountOf(Methods),
                 nullptr, nullptr, 0});
