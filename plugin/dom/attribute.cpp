// Class Attribute: one attribute of an element or declaration node.
#include <cstring>

#include "datetime/iso8601.h"
#include "dom/records.h"
#include "dom/value_members.h"
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"

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

REALobject OwnerOfAttribute(REALobject self) {
    return ClassData<AttributeData>(self, AttributeClass)->owner;
}

RBBoolean GetEmpty(REALobject self, RBInteger) {
    return AttributeOf(self).empty();
}

REALstring GetValue(REALobject self, RBInteger) {
    return Shielded(REALstring(nullptr), [&] { return BuildString(AttributeOf(self).value()); });
}

using Readers = ValueReaders<pugi::xml_attribute, AttributeOf>;

struct AttributeStore {
    template <class... Value>
    static bool Put(pugi::xml_attribute handle, Value... value) {
        return handle.set_value(value...);
    }
};
using Writers = ValueWriters<pugi::xml_attribute, AttributeOf, AttributeStore>;

REALstring GetName(REALobject self, RBInteger) {
    return Shielded(REALstring(nullptr), [&] { return BuildString(AttributeOf(self).name()); });
}

void SetName(REALobject self, RBInteger, REALstring value) {
    Shielded([&] {
        Utf8Arg name(value);
        if (name.ok()) AttributeOf(self).set_name(name.c_str(), name.size());
    });
}

REALobject DateTimeValue(REALobject self, RBInteger) {
    return Shielded(REALobject(nullptr), [&] {
        const char* text = AttributeOf(self).as_string("");
        return ParseDateTimeFromISO8601(text, std::strlen(text));
    });
}

void Constructor(REALobject) {}

void Destructor(REALobject self) {
    AttributeData* data = ClassData<AttributeData>(self, AttributeClass);
    delete data->handle;
    data->handle = nullptr;
    REALUnlockObject(data->owner);
    data->owner = nullptr;
}

REALobject NextAttribute(REALobject self) {
    return Shielded(REALobject(nullptr), [&] {
        return CreateAttribute(OwnerOfAttribute(self), AttributeOf(self).next_attribute());
    });
}

REALobject PreviousAttribute(REALobject self) {
    return Shielded(REALobject(nullptr), [&] {
        return CreateAttribute(OwnerOfAttribute(self), AttributeOf(self).previous_attribute());
    });
}

// Identity of the underlying attribute records; nil is never equal.
RBInteger Compare(REALobject self, REALobject rhs) {
    if (!rhs) return 1;
    const pugi::xml_attribute left = AttributeOf(self);
    const pugi::xml_attribute right = AttributeOf(rhs);
    if (left == right) return 0;
    return left > right ? 1 : -1;
}

void SetDateValue(REALobject self, REALobject value) {
    char buffer[kDateTextCapacity];
    const size_t length = FormatDateTimeToISO8601(value, buffer, sizeof(buffer), false);
    // A DateTime whose fields the host cannot read leaves the value as it was.
    if (value && length == 0) return;
    AttributeOf(self).set_value(buffer, length);
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
    Property("Name", "String", HOST_FN(GetName), HOST_FN(SetName)),
    // Date members last: a 2019.1 host registers the tables without them.
    Property("AsDateTime", "DateTime", HOST_FN(DateTimeValue)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(NextAttribute), "NextAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(PreviousAttribute), "PreviousAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(Writers::SetDoubleValuePrec), "Set(value as Double, precision as Integer)"),
    Method(HOST_FN(Writers::SetSingleValuePrec), "Set(value as Single, precision as Integer)"),
    Method(HOST_FN(Writers::SetValue), "Set(value as String)"),
    Method(HOST_FN(Writers::SetBooleanValue), "Set(value as Boolean)"),
    Method(HOST_FN(Writers::SetInt32Value), "Set(value as Int32)"),
    Method(HOST_FN(Writers::SetUInt32Value), "Set(value as UInt32)"),
    Method(HOST_FN(Writers::SetInt64Value), "Set(value as Int64)"),
    Method(HOST_FN(Writers::SetUInt64Value), "Set(value as UInt64)"),
    Method(HOST_FN(Writers::SetSingleValue), "Set(value as Single)"),
    Method(HOST_FN(Writers::SetDoubleValue), "Set(value as Double)"),
    Method(HOST_FN(Compare), "Operator_Compare(rhs As TorvaneXml.Attribute) As Integer"),
    Method(HOST_FN(SetDateValue), "Set(value as DateTime)"),
};

}  // namespace

REALclassDefinition AttributeClass =
    ClassRecord({"Attribute", nullptr, sizeof(AttributeData), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
