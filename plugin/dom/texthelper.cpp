// Class TextHelper: the leading text (PCDATA) of an element, read and written as values.
#include "base/registration.h"
#include "dom/records.h"
#include "dom/value_members.h"

namespace {

struct TextStore {
    template <class... Value>
    static bool Put(pugi::xml_text handle, Value... value) {
        return handle.set(value...);
    }
};
using Readers = ValueReaders<pugi::xml_text, TextOf>;
using Writers = ValueWriters<pugi::xml_text, TextOf, TextStore>;

void Constructor(REALobject) {}

RBBoolean GetEmpty(REALobject self, RBInteger) {
    return TextOf(self).empty();
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
    Property("AsDateTime", "DateTime", HOST_FN(Readers::GetAsDateTime)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(Writers::SetDoubleWithPrecision), "Set(value as Double, precision as Integer)"),
    Method(HOST_FN(Writers::SetSingleWithPrecision), "Set(value as Single, precision as Integer)"),
    Method(HOST_FN(Writers::SetBoolean), "Set(value as Boolean)"),
    Method(HOST_FN(Writers::SetInt32), "Set(value as Int32)"),
    Method(HOST_FN(Writers::SetUInt32), "Set(value as UInt32)"),
    Method(HOST_FN(Writers::SetInt64), "Set(value as Int64)"),
    Method(HOST_FN(Writers::SetUInt64), "Set(value as UInt64)"),
    Method(HOST_FN(Writers::SetSingle), "Set(value as Single)"),
    Method(HOST_FN(Writers::SetDouble), "Set(value as Double)"),
    Method(HOST_FN(Writers::SetString), "Set(value as String)"),
    Method(HOST_FN(Writers::SetDateTime), "Set(value as DateTime)"),
};

}  // namespace

REALclassDefinition TextClass =
    ClassRecord({"TextHelper", nullptr, sizeof(TextHelperData), HOST_FN(TextWrapper::Destructor),
                 Properties, CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
