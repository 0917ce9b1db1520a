// Which text a TextHelper designates, and TextHelpers that designate none.
#include "fixture.h"

namespace {

using emu::Value;

class TextHelperTest : public PluginTest {
protected:
    Value Element(std::string_view xml) { return Call(Parse(xml), "DocumentElement"); }
};

TEST_F(TextHelperTest, EmptyHelperReadsDefaultsAndChangesNothing) {
    // First child is an element, so no text is found without create.
    Value e = Element("<r><c/>tail</r>");
    Value unbound = host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass",
                                      {Str("TorvaneXml.TextHelper")});
    ASSERT_EQ(unbound.className(), "TorvaneXml.TextHelper");
    Value missing = Call(e, "Text");
    for (const Value* t : {&missing, &unbound}) {
        EXPECT_TRUE(Get(*t, "Empty").asBool());
        EXPECT_EQ(GetString(*t, "AsString"), "");
        EXPECT_EQ(Get(*t, "AsInt64").asInt(), 0);
        EXPECT_EQ(Get(*t, "AsSingle").asSingle(), 0.0f);
        EXPECT_FALSE(Get(*t, "AsBoolean").asBool());
        EXPECT_TRUE(Get(*t, "AsDateTime").isNil());
        Call(*t, "Set", {Value::Int32(5)});
        Call(*t, "Set", {Str("x")});
        Call(*t, "Set", {Value::Single(1.5f), Int(2)});
        Call(*t, "Set", {Bool(true)});
        Call(*t, "Set", {host().dateTime(2023, 2, 1)});
        EXPECT_TRUE(Get(*t, "Empty").asBool());
    }
    EXPECT_EQ(Xml(e), "<r><c/>tail</r>");
}

TEST_F(TextHelperTest, WritesReachTheElementsLeadingText) {
    Value e = Element("<r>old<c/>tail</r>");
    Value t = Call(e, "Text");
    EXPECT_FALSE(Get(t, "Empty").asBool());
    EXPECT_EQ(GetString(t, "AsString"), "old");
    Call(t, "Set", {Value::Int64(-42)});
    EXPECT_EQ(Xml(e), "<r>-42<c/>tail</r>");
    EXPECT_EQ(Get(t, "AsInt32").asInt(), -42);
}

TEST_F(TextHelperTest, CreatedTextKeepsTheDocumentAlive) {
    Value t = Call(Element("<r/>"), "Text", {Bool(true)});
    Call(t, "Set", {Value::UInt64(7)});
    EXPECT_EQ(GetString(t, "AsString"), "7");
}

}  // namespace
