// Class TextHelper: the leading text (PCDATA) of an element, read and written as values.
#include <cstring>

#include "datetime/iso8601.h"
#include "dom/precision.h"
#include "dom/records.h"
#include "dom/value_readers.h"
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

void SetDoubleValuePrec(REALobject self, double value, RBInteger precision) {
    TextOf(self).set(value, ClampPrecision(precision));
}

void SetSingleValuePrec(REALobject self, float value, RBInteger precision) {
    TextOf(self).set(value, ClampPrecision(precision));
}

void SetBooleanValue(REALobject self, RBBoolean value) {
    TextOf(self).set(value != 0);
}
void SetInt32Value(REALobject self, int32_t value) {
    TextOf(self).set(int(value));
}
void SetUInt32Value(REALobject self, uint32_t value) {
    TextOf(self).set(static_cast<unsigned int>(value));
}
void SetInt64Value(REALobject self, int64_t value) {
    TextOf(self).set(static_cast<long long>(value));
}
void SetUInt64Value(REALobject self, uint64_t value) {
    TextOf(self).set(static_cast<unsigned long long>(value));
}
void SetSingleValue(REALobject self, float value) {
    TextOf(self).set(value);
}
void SetDoubleValue(REALobject self, double value) {
    TextOf(self).set(value);
}

void SetValue(REALobject self, REALstring value) {
    Shielded([&] {
        Utf8Arg text(value);
        if (text.ok()) TextOf(self).set(text.c_str(), text.size());
    });
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
    Method(HOST_FN(SetDoubleValuePrec), "Set(value as Double, precision as Integer)"),
    Method(HOST_FN(SetSingleValuePrec), "Set(value as Single, precision as Integer)"),
    Method(HOST_FN(SetBooleanValue), "Set(value as Boolean)"),
    Method(HOST_FN(SetInt32Value), "Set(value as Int32)"),
    Method(HOST_FN(SetUInt32Value), "Set(value as UInt32)"),
    Method(HOST_FN(SetInt64Value), "Set(value as Int64)"),
    Method(HOST_FN(SetUInt64Value), "Set(value as UInt64)"),
    Method(HOST_FN(SetSingleValue), "Set(value as Single)"),
    Method(HOST_FN(SetDoubleValue), "Set(value as Double)"),
    Method(HOST_FN(SetValue), "Set(value as String)"),
    Method(HOST_FN(SetDateValue), "Set(value as DateTime)"),
};

}  // namespace

REALclassDefinition TextClass =
    ClassRecord({"TextHelper", nullptr, sizeof(TextHelperData), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
