// Adding, inserting, removing and copying attributes.
#include <string>
#include <vector>

#include "node_support.h"

namespace {

class EditingAttributes : public DomTest {
protected:
    std::vector<std::string> Attributes(const emu::Value& node) {
        std::vector<std::string> out;
        host().forEach(Call(node, "NodeAttributes"), [&](const emu::Value& attr) {
            out.push_back(NameOf(attr) + "=" + GetString(attr, "AsString"));
        });
        return out;
    }
    using List = std::vector<std::string>;
};

TEST_F(EditingAttributes, AppendPrependAndInsertPlaceNewAttributes) {
    emu::Value doc = Parse("<a m='0'/>");
    emu::Value a = Element(doc), m = Call(a, "FirstAttribute");
    Call(Call(a, "AppendAttribute", {Str("last")}), "Set", {Str("4")});
    Call(Call(a, "PrependAttribute", {Str("first")}), "Set", {Str("1")});
    Call(Call(a, "InsertAttributeBefore", {Str("before"), m}), "Set", {Str("2")});
    emu::Value after = Call(a, "InsertAttributeAfter", {Str("after"), m});
    EXPECT_EQ(NameOf(after), "after");
    EXPECT_EQ(Attributes(a), (List{"first=1", "before=2", "m=0", "after=", "last=4"}));
}

// Names are not checked: a repeated name gives a second attribute.
TEST_F(EditingAttributes, RepeatedNamesMakeSeparateAttributes) {
    emu::Value doc = Parse("<a/>");
    emu::Value a = Element(doc);
    emu::Value id1 = Call(a, "AppendAttribute", {Str("id")});
    emu::Value id2 = Call(a, "AppendAttribute", {Str("id")});
    EXPECT_NE(host().compare(id1, id2), 0);
    EXPECT_EQ(Raw(doc), "<a id=\"\" id=\"\"/>");
}

TEST_F(EditingAttributes, OnlyElementsAndDeclarationsTakeAttributes) {
    emu::Value doc = NewDocument();
    emu::Value declaration = Call(doc, "AppendChild", {NodeType(nt::kDeclaration)});
    emu::Value element = Call(doc, "AppendChild", {Str("e")});
    const struct {
        const char* what;
        emu::Value node;
        bool takes;
    } cases[] = {
        {"element", element, true},
        {"declaration", declaration, true},
        {"document", doc, false},
        {"pcdata", Call(element, "AppendChild", {NodeType(nt::kPcdata)}), false},
        {"cdata", Call(element, "AppendChild", {NodeType(nt::kCdata)}), false},
        {"comment", Call(element, "AppendChild", {NodeType(nt::kComment)}), false},
        {"pi", Call(element, "AppendChild", {NodeType(nt::kPi)}), false},
        {"doctype", Call(doc, "PrependChild", {NodeType(nt::kDoctype)}), false},
        {"empty", Call(element, "NextSibling"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = Xml(doc, fmt::kRaw);
        EXPECT_EQ(!IsEmpty(Call(c.node, "AppendAttribute", {Str("x")})), c.takes);
        EXPECT_EQ(!IsEmpty(Call(c.node, "PrependAttribute", {Str("y")})), c.takes);
        EXPECT_EQ(!IsEmpty(Call(c.node, "Attribute", {Str("z"), Bool(true)})), c.takes);
        if (!c.takes) {
            EXPECT_EQ(Xml(doc, fmt::kRaw), before);
        }
    }
    EXPECT_EQ(Attributes(element), (List{"y=", "x=", "z="}));
}

// The reference must be an attribute of this very node; a nil one refuses
// before the name is read.
TEST_F(EditingAttributes, InsertionsNeedOwnAttributeAsReference) {
    emu::Value doc = Parse("<r k='1'><a k='2'/></r>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    emu::Value foreign = Call(a, "FirstAttribute");
    emu::Value missing = Call(r, "Attribute", {Str("none")});
    emu::Value bad = host().strUnconvertible("x");
    for (const char* member : {"InsertAttributeBefore", "InsertAttributeAfter"}) {
        SCOPED_TRACE(member);
        EXPECT_TRUE(IsEmpty(Call(r, member, {Str("x"), foreign})));
        EXPECT_TRUE(IsEmpty(Call(r, member, {Str("x"), missing})));
        emu::Value refused = Call(r, member, {bad, NilObject()});
        ASSERT_FALSE(refused.isNil());
        EXPECT_TRUE(IsEmpty(refused));
        EXPECT_TRUE(Call(r, member, {bad, Call(r, "FirstAttribute")}).isNil());
    }
    EXPECT_TRUE(Call(r, "AppendAttribute", {bad}).isNil());
    EXPECT_TRUE(Call(r, "PrependAttribute", {bad}).isNil());
    EXPECT_EQ(Raw(doc), "<r k=\"1\"><a k=\"2\"/></r>");
}

TEST_F(EditingAttributes, RemoveAttributeByNameTakesOnlyTheFirst) {
    emu::Value doc = Parse("<a x='1' y='2'/>");
    emu::Value a = Element(doc);
    Call(Call(a, "AppendAttribute", {Str("x")}), "Set", {Str("3")});
    EXPECT_TRUE(Call(a, "RemoveAttribute", {Str("x")}).asBool());
    EXPECT_EQ(Attributes(a), (List{"y=2", "x=3"}));
    EXPECT_TRUE(Call(a, "RemoveAttribute", {Str("x")}).asBool());
    EXPECT_FALSE(Call(a, "RemoveAttribute", {Str("x")}).asBool());
    EXPECT_FALSE(Call(a, "RemoveAttribute", {host().strUnconvertible("y")}).asBool());
    EXPECT_EQ(Attributes(a), (List{"y=2"}));
}

TEST_F(EditingAttributes, RemoveAttributeByObjectNeedsOwnAttribute) {
    emu::Value doc = Parse("<r k='1'><a k='2'/></r>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    EXPECT_FALSE(Call(r, "RemoveAttribute", {NilObject()}).asBool());
    EXPECT_FALSE(Call(r, "RemoveAttribute", {Call(a, "FirstAttribute")}).asBool());
    EXPECT_FALSE(Call(r, "RemoveAttribute", {Call(r, "Attribute", {Str("none")})}).asBool());
    EXPECT_EQ(Raw(doc), "<r k=\"1\"><a k=\"2\"/></r>");
    EXPECT_TRUE(Call(a, "RemoveAttribute", {Call(a, "FirstAttribute")}).asBool());
    EXPECT_EQ(Raw(doc), "<r k=\"1\"><a/></r>");
}

TEST_F(EditingAttributes, RemoveAllAttributesIsFalseOnlyOnAnEmptyWrapper) {
    emu::Value doc = Parse("<r x='1' y='2'><a/></r>");
    emu::Value r = Element(doc);
    EXPECT_TRUE(Call(r, "RemoveAllAttributes").asBool());
    EXPECT_EQ(Raw(doc), "<r><a/></r>");
    EXPECT_TRUE(Call(r, "RemoveAllAttributes").asBool());
    EXPECT_TRUE(Call(doc, "RemoveAllAttributes").asBool());
    EXPECT_FALSE(Call(Call(r, "NextSibling"), "RemoveAllAttributes").asBool());
}

TEST_F(EditingAttributes, CopiesTakeNameAndValueFromAnyDocument) {
    emu::Value doc = Parse("<a m='0'/>");
    emu::Value source = Parse("<s one='1' two='2' three='3'/>");
    emu::Value a = Element(doc), m = Call(a, "FirstAttribute"), s = Element(source);
    auto attr = [&](const char* name) { return Call(s, "Attribute", {Str(name)}); };
    EXPECT_EQ(NameOf(Call(a, "AppendCopy", {attr("one")})), "one");
    Call(a, "PrependCopy", {attr("two")});
    Call(a, "InsertCopyBefore", {attr("three"), m});
    Call(a, "InsertCopyAfter", {m, m});  // a copy of its own attribute
    EXPECT_EQ(Attributes(a), (List{"two=2", "three=3", "m=0", "m=0", "one=1"}));
    EXPECT_EQ(Raw(source), "<s one=\"1\" two=\"2\" three=\"3\"/>");
}

TEST_F(EditingAttributes, CopyRefusals) {
    emu::Value doc = Parse("<a m='0'>t</a>");
    emu::Value source = Parse("<s k='v'/>");
    emu::Value a = Element(doc), m = Call(a, "FirstAttribute");
    emu::Value k = Call(Element(source), "FirstAttribute");
    emu::Value text = Call(a, "FirstChild");
    EXPECT_TRUE(IsEmpty(Call(text, "AppendCopy", {k})));
    EXPECT_TRUE(IsEmpty(Call(text, "PrependCopy", {k})));
    EXPECT_TRUE(IsEmpty(Call(a, "InsertCopyBefore", {k, k})));  // reference not on a
    EXPECT_TRUE(IsEmpty(Call(a, "InsertCopyAfter", {k, Call(a, "Attribute", {Str("no")})})));
    EXPECT_TRUE(IsEmpty(Call(a, "AppendCopy", {Call(a, "Attribute", {Str("no")})})));
    for (const char* member : {"InsertCopyBefore", "InsertCopyAfter"}) {
        SCOPED_TRACE(member);
        EXPECT_TRUE(IsEmpty(Call(a, member, {NilObject(), m})));
        EXPECT_TRUE(IsEmpty(Call(a, member, {k, NilObject()})));
    }
    for (const char* declaration :
         {"AppendCopy(copied as TorvaneXml.Attribute) as TorvaneXml.Attribute",
          "PrependCopy(copied as TorvaneXml.Attribute) as TorvaneXml.Attribute"}) {
        SCOPED_TRACE(declaration);
        emu::Value refused = CallNodeMember(a, declaration, nullptr);
        ASSERT_FALSE(refused.isNil());
        EXPECT_EQ(refused.className(), "TorvaneXml.Attribute");
        EXPECT_TRUE(IsEmpty(refused));
    }
    EXPECT_EQ(Raw(doc), "<a m=\"0\">t</a>");
}

}  // namespace
