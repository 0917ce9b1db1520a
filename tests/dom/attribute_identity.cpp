// Attribute names, neighbours, identity comparison, and wrappers that
// designate no attribute (missing, or never bound to one).
#include "fixture.h"

namespace {

using emu::Value;

class AttributeTest : public PluginTest {
protected:
    Value Element(std::string_view xml) { return Call(Parse(xml), "DocumentElement"); }
    Value Attr(const Value& element, std::string_view name) {
        return Call(element, "Attribute", {Str(name)});
    }
    // An Attribute object made by class name: its record was never bound.
    Value Unbound() {
        return host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass",
                                 {Str("TorvaneXml.Attribute")});
    }
};

// Missing and never-bound wrappers answer the same empty values.
TEST_F(AttributeTest, EmptyWrappersReadDefaultsAndIgnoreWrites) {
    Value e = Element("<r a='1'/>");
    Value missing = Attr(e, "nope");
    Value unbound = Unbound();
    ASSERT_TRUE(unbound);
    ASSERT_EQ(unbound.className(), "TorvaneXml.Attribute");
    for (const Value* w : {&missing, &unbound}) {
        EXPECT_TRUE(Get(*w, "Empty").asBool());
        EXPECT_EQ(GetString(*w, "AsString"), "");
        EXPECT_EQ(GetString(*w, "Name"), "");
        EXPECT_EQ(Get(*w, "AsInt32").asInt(), 0);
        EXPECT_EQ(Get(*w, "AsUInt64").asUInt(), 0u);
        EXPECT_EQ(Get(*w, "AsDouble").asDouble(), 0.0);
        EXPECT_FALSE(Get(*w, "AsBoolean").asBool());
        EXPECT_TRUE(Get(*w, "AsDateTime").isNil());
        Call(*w, "Set", {Value::Int32(5)});
        Call(*w, "Set", {Str("x")});
        Call(*w, "Set", {Value::Double(1.5), Int(3)});
        Call(*w, "Set", {host().dateTime(2023, 2, 1)});
        host().set(*w, "Name", Str("renamed"));
        EXPECT_TRUE(Get(*w, "Empty").asBool());
        EXPECT_EQ(GetString(*w, "AsString"), "");
        EXPECT_TRUE(Get(Call(*w, "NextAttribute"), "Empty").asBool());
        EXPECT_TRUE(Get(Call(*w, "PreviousAttribute"), "Empty").asBool());
    }
    EXPECT_EQ(Xml(e), "<r a=\"1\"/>");
}

TEST_F(AttributeTest, NeighboursInDocumentOrder) {
    Value e = Element("<r a='1' b='2' c='3'/>");
    Value b = Attr(e, "b");
    EXPECT_EQ(GetString(Call(b, "NextAttribute"), "Name"), "c");
    EXPECT_EQ(GetString(Call(b, "PreviousAttribute"), "Name"), "a");
    Value last = Call(Call(b, "NextAttribute"), "NextAttribute");
    EXPECT_TRUE(Get(last, "Empty").asBool());
    Value first = Call(Call(b, "PreviousAttribute"), "PreviousAttribute");
    EXPECT_TRUE(Get(first, "Empty").asBool());
    // The neighbour keeps the document alive on its own.
    Value next = Call(b, "NextAttribute");
    e = {};
    b = {};
    EXPECT_EQ(GetString(next, "AsString"), "3");
}

TEST_F(AttributeTest, RenamingAcceptsDuplicatesAndKeepsAllBytes) {
    Value e = Element("<r a='1' b='2'/>");
    Value b = Attr(e, "b");
    host().set(b, "Name", Str("a"));
    EXPECT_EQ(GetString(b, "Name"), "a");
    EXPECT_EQ(Xml(e), "<r a=\"1\" a=\"2\"/>");
    host().set(b, "Name", Str(std::string_view("x\0y", 3)));
    EXPECT_EQ(GetString(b, "Name"), "x");
    host().set(b, "Name", host().strUnconvertible("\xFF"));
    EXPECT_EQ(GetString(b, "Name"), "x");
}

TEST_F(AttributeTest, CompareIsIdentityOfTheAttribute) {
    Value e = Element("<r a='1' b='1'/>");
    Value a1 = Attr(e, "a");
    Value a2 = Attr(e, "a");
    Value b = Attr(e, "b");
    Value viaNext = Call(Call(e, "FirstAttribute"), "NextAttribute");
    EXPECT_EQ(host().compare(a1, a2), 0);
    EXPECT_EQ(host().compare(a1, a1), 0);
    EXPECT_EQ(host().compare(b, viaNext), 0);
    EXPECT_EQ(host().compare(a1, Value()), 1);
    // Equal names and values do not make two attributes the same.
    const int64_t ab = host().compare(a1, b);
    const int64_t ba = host().compare(b, a1);
    EXPECT_NE(ab, 0);
    EXPECT_EQ(ab, -ba);
    EXPECT_EQ((ab == 1) + (ba == 1), 1);

    // Empty wrappers, missing or never bound, are all the same empty handle,
    // which orders before every attribute; nil is never equal.
    Value missing = Attr(e, "zz");
    Value unbound = Unbound();
    EXPECT_EQ(host().compare(missing, unbound), 0);
    EXPECT_EQ(host().compare(missing, a1), -1);
    EXPECT_EQ(host().compare(a1, unbound), 1);
    EXPECT_EQ(host().compare(missing, Value()), 1);
    EXPECT_EQ(host().compare(unbound, Value()), 1);

    // Same attribute from two documents' views: not equal.
    Value other = Attr(Element("<r a='1'/>"), "a");
    EXPECT_NE(host().compare(a1, other), 0);
}

TEST_F(AttributeTest, WrapperKeepsItsDocumentAlive) {
    Value a = Attr(Element("<r a='kept'/>"), "a");
    EXPECT_EQ(GetString(a, "AsString"), "kept");
    Call(a, "Set", {Str("changed")});
    EXPECT_EQ(GetString(a, "AsString"), "changed");
}

}  // namespace
