// Class Attribute: one attribute of an element or declaration node.
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"
#include "dom/records.h"
#include "dom/value_members.h"

namespace {

struct AttributeStore {
    template <class... Value>
    static bool Put(pugi::xml_attribute handle, Value... value) {
        return handle.set_value(value...);
    }
};
using Readers = ValueReaders<pugi::xml_attribute, AttributeOf>;
using Writers = ValueWriters<pugi::xml_attribute, AttributeOf, AttributeStore>;

void Constructor(REALobject) {}

RBBoolean GetEmpty(REALobject self, RBInteger) {
    return AttributeOf(self).empty();
}

REALstring GetName(REALobject self, RBInteger) {
    return Shielded(REALstring(nullptr), [&] { return ResultString(AttributeOf(self).name()); });
}

void SetName(REALobject self, RBInteger, REALstring value) {
    Shielded([&] {
        Utf8Arg name(value);
        if (name.ok()) AttributeOf(self).set_name(name.c_str(), name.size());
    });
}

REALobject NextAttribute(REALobject self) {
    return Shielded(REALobject(nullptr), [&] {
        return CreateAttribute(AttributeWrapper::DataOf(self)->owner,
                               AttributeOf(self).next_attribute(), AttributeParentOf(self));
    });
}

REALobject PreviousAttribute(REALobject self) {
    return Shielded(REALobject(nullptr), [&] {
        return CreateAttribute(AttributeWrapper::DataOf(self)->owner,
                               AttributeOf(self).previous_attribute(), AttributeParentOf(self));
    });
}

REALproperty Properties[] = {
    Property("Empty", "Boolean", HOST_FN(GetEmpty)),
    Property("AsString", "String", HOST_FN(Readers::GetAsString)),
    Property("AsBoolean", "Boolean", HOST_FN(Readers::GetAsBoolean)),
    Property("AsInt32", "Int32", HOST_FN(Readers::GetAsInt32)),
    Property("AsUInt32", "UInt32", HOST_FN(Readers::GetAsUInt32)),
    Property("AsInt64", "Int64", HOST_FN(Readers::GetAsInt64)),
    Property("AsUInt64", "UInt64", HOST_FN(Readers::GetAsUInt64)),
    Property("AsSingle", "Single", HOST_FN(Readers::GetAsSingle)),
    Property("AsDouble", "Double", HOST_FN(Readers::GetAsDouble)),
    Property("Name", "String", HOST_FN(GetName), HOST_FN(SetName)),
    Property("AsDateTime", "DateTime", HOST_FN(Readers::GetAsDateTime)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(NextAttribute), "NextAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(PreviousAttribute), "PreviousAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(Writers::SetDoubleWithPrecision), "Set(value as Double, precision as Integer)"),
    Method(HOST_FN(Writers::SetSingleWithPrecision), "Set(value as Single, precision as Integer)"),
    Method(HOST_FN(Writers::SetString), "Set(value as String)"),
    Method(HOST_FN(Writers::SetBoolean), "Set(value as Boolean)"),
    Method(HOST_FN(Writers::SetInt32), "Set(value as Int32)"),
    Method(HOST_FN(Writers::SetUInt32), "Set(value as UInt32)"),
    Method(HOST_FN(Writers::SetInt64), "Set(value as Int64)"),
    Method(HOST_FN(Writers::SetUInt64), "Set(value as UInt64)"),
    Method(HOST_FN(Writers::SetSingle), "Set(value as Single)"),
    Method(HOST_FN(Writers::SetDouble), "Set(value as Double)"),
    Method(HOST_FN((Operator_Compare<pugi::xml_attribute, AttributeOf>)),
           "Operator_Compare(rhs As TorvaneXml.Attribute) As Integer"),
    Method(HOST_FN(Writers::SetDateTime), "Set(value as DateTime)"),
};

}  // namespace

REALclassDefinition AttributeClass =
    ClassRecord({"Attribute", nullptr, sizeof(AttributeData), HOST_FN(AttributeWrapper::Destructor),
                 Properties, CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
