// Class TextHelper: the leading text (PCDATA) of an element, read and written as values.
#include <cstring>

#include "datetime/iso8601.h"
#include "dom/records.h"
#include "dom/value_members.h"
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"

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

// The text a TextHelper designates; the empty text for a never-bound record.
pugi::xml_text TextOf(REALobject self) {
    const TextHelperData* data = ClassData<TextHelperData>(self, TextClass);
    return data->handle ? *data->handle : pugi::xml_text();
}

RBBoolean GetEmpty(REALobject self, RBInteger) {
    return TextOf(self).empty();
}

REALstring GetValue(REALobject self, RBInteger) {
    return Shielded(REALstring(nullptr), [&] { return BuildString(TextOf(self).get()); });
}

using Readers = ValueReaders<pugi::xml_text, TextOf>;

struct TextStore {
    template <class... Value>
    static bool Put(pugi::xml_text handle, Value... value) {
        return handle.set(value...);
    }
};
using Writers = ValueWriters<pugi::xml_text, TextOf, TextStore>;

REALobject DateTimeValue(REALobject self, RBInteger) {
    return Shielded(REALobject(nullptr), [&] {
        const char* text = TextOf(self).get();
        return ParseDateTimeFromISO8601(text, std::strlen(text));
    });
}

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    TextHelperData* data = ClassData<TextHelperData>(self, TextClass);
    delete data->handle;
    data->handle = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

void SetDateValue(REALobject self, REALobject value) {
    char buffer[kDateTextCapacity];
    const size_t length = FormatDateTimeToISO8601(value, buffer, sizeof(buffer), false);
    // A DateTime whose fields the host cannot read leaves the value as it was.
    if (value && length == 0) return;
    TextOf(self).set(buffer, length);
}

REALproperty Properties[] = {
    Property("Empty", "Boolean", HOST_FN(GetEmpty)),
    Property("AsString", "String", HOST_FN(GetValue)),
    Property("AsBoolean", "Boolean", HOST_FN(Readers::BooleanValue)),
    Property("AsInt32", "Int32", HOST_FN(Readers::Int32Value)),
    Property("AsUInt32", "UInt32", HOST_FN(Readers::UInt32Value)),
    Property("AsInt64", "Int64", HOST_FN(Readers::Int64Value)),
    Property("AsUInt64", "UInt64", HOST_FN(Readers::UInt64Value)),
    Property("AsSingle", "Single", HOST_FN(Readers::SingleValue)),
    Property("AsDouble", "Double", HOST_FN(Readers::DoubleValue)),
    // Date members last: a 2019.1 host registers the tables without them.
    Property("AsDateTime", "DateTime", HOST_FN(DateTimeValue)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(Writers::SetDoubleValuePrec), "Set(value as Double, precision as Integer)"),
    Method(HOST_FN(Writers::SetSingleValuePrec), "Set(value as Single, precision as Integer)"),
    Method(HOST_FN(Writers::SetBooleanValue), "Set(value as Boolean)"),
    Method(HOST_FN(Writers::SetInt32Value), "Set(value as Int32)"),
    Method(HOST_FN(Writers::SetUInt32Value), "Set(value as UInt32)"),
    Method(HOST_FN(Writers::SetInt64Value), "Set(value as Int64)"),
    Method(HOST_FN(Writers::SetUInt64Value), "Set(value as UInt64)"),
    Method(HOST_FN(Writers::SetSingleValue), "Set(value as Single)"),
    Method(HOST_FN(Writers::SetDoubleValue), "Set(value as Double)"),
    Method(HOST_FN(Writers::SetValue), "Set(value as String)"),
    Method(HOST_FN(SetDateValue), "Set(value as DateTime)"),
};

}  // namespace

REALclassDefinition TextClass =
    ClassRecord({"TextHelper", nullptr, sizeof(TextHelperData), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
