// Class Node: one node of a tree, or no node at all (an empty wrapper).
#include "dom/records.h"
#include "host/exceptions.h"
#include "host/registration.h"
#include "host/strings.h"

REALobject CreateNode(REALobject owner, pugi::xml_node* handle) {
    REALobject obj = REALnewInstanceOfClass(&NodeClass);
    if (!obj) {
        delete handle;
        return nullptr;
    }
    NodeData* data = ClassData<NodeData>(obj, NodeClass);
    data->owner = owner;
    REALLockObject(owner);
    data->handle = handle;
    data->ownsDocument = false;
    return obj;
}

namespace {

void Constructor(REALobject) {}

// Also runs for every Document: Document registers no destructor of its own.
void Destructor(REALobject self) {
    NodeData* data = ClassData<NodeData>(self, NodeClass);
    if (data->handle) {
        if (data->ownsDocument)
            delete static_cast<pugi::xml_document*>(data->handle);
        else
            delete data->handle;
        data->handle = nullptr;
    }
    if (data->ownsDocument) return;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

REALclassDefinition NodeClass =
    ClassRecord({"Node", nullptr, sizeof(NodeData), HOST_FN(Destructor), nullptr, 0, Methods,
                 CountOf(Methods), nullptr, nullptr, 0});
