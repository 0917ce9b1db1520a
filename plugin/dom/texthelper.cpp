// Class TextHelper: the leading text (PCDATA) of an element, read and written as values.
#include "dom/records.h"
#include "host/exceptions.h"
#include "host/registration.h"
#include "host/strings.h"

REALobject CreateText(REALobject owner, pugi::xml_text* handle) {
    REALobject obj = REALnewInstanceOfClass(&TextClass);
    if (!obj) {
        delete handle;
        return nullptr;
    }
    TextHelperData* data = ClassData<TextHelperData>(obj, TextClass);
    data->owner = owner;
    REALLockObject(owner);
    data->handle = handle;
    return obj;
}

namespace {

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    TextHelperData* data = ClassData<TextHelperData>(self, TextClass);
    delete data->handle;
    data->handle = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
};

}  // namespace

REALclassDefinition TextClass =
    ClassRecord({"TextHelper", nullptr, sizeof(TextHelperData), HOST_FN(Destructor), nullptr, 0,
                 Methods, CountOf(Methods), nullptr, nullptr, 0});
