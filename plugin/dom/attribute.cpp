// Class Attribute: one attribute of an element or declaration node.
#include "dom/records.h"
#include "host/exceptions.h"
#include "host/registration.h"
#include "host/strings.h"

REALobject CreateAttribute(REALobject owner, pugi::xml_attribute* handle) {
    REALobject obj = REALnewInstanceOfClass(&AttributeClass);
    if (!obj) {
        delete handle;
        return nullptr;
    }
    AttributeData* data = ClassData<AttributeData>(obj, AttributeClass);
    data->owner = owner;
    REALLockObject(owner);
    data->handle = handle;
    return obj;
}

namespace {

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    AttributeData* data = ClassData<AttributeData>(self, AttributeClass);
    delete data->handle;
    data->handle = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

REALclassDefinition AttributeClass =
    ClassRecord({"Attribute", nullptr, sizeof(AttributeData), HOST_FN(Destructor), nullptr, 0,
                 Methods, CountOf(Methods), nullptr, nullptr, 0});
