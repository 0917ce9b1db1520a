// The owner rule: every wrapper keeps its tree's owning Document alive, and
// the tree goes exactly when the last of them does.
#include <string>

#include "node_support.h"

namespace {

using NodeLifetime = DomTest;

TEST_F(NodeLifetime, ANodeKeepsTheTreeAfterTheDocumentIsDropped) {
    emu::Value doc = Parse("<a><b>text</b></a>");
    emu::Value b = Call(Element(doc), "FirstChild");
    doc = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);
    EXPECT_EQ(NameOf(b), "b");
    EXPECT_EQ(GetString(b, "TextValue"), "text");
    emu::Value root = Call(b, "Root");
    EXPECT_EQ(Xml(root, fmt::kRaw | fmt::kNoDeclaration), "<a><b>text</b></a>");
    b = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 2);  // the owner and the Root() one
    root = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 0);
    EXPECT_EQ(Live("TorvaneXml.Node"), 0);
}

// Each kind of object pointing into the tree holds it on its own.
TEST_F(NodeLifetime, EveryKindOfWrapperHoldsTheTree) {
    const char* kinds[] = {"Node",         "Attribute",         "TextHelper",
                           "NodeIterator", "NamedNodeIterator", "AttributeIterator",
                           "Root"};
    for (const char* kind : kinds) {
        SCOPED_TRACE(kind);
        emu::Value doc = Parse("<a x='1'>t<b/></a>");
        emu::Value a = Element(doc);
        const std::string k = kind;
        emu::Value held = k == "Node"                ? Call(a, "LastChild")
                          : k == "Attribute"         ? Call(a, "FirstAttribute")
                          : k == "TextHelper"        ? Call(a, "Text")
                          : k == "NodeIterator"      ? Call(a, "Children")
                          : k == "NamedNodeIterator" ? Call(a, "Children", {Str("b")})
                          : k == "AttributeIterator" ? Call(a, "NodeAttributes")
                                                     : Call(a, "Root");
        doc = {};
        a = {};
        EXPECT_EQ(Live("TorvaneXml.Document"), k == "Root" ? 2 : 1);
        if (k == "Attribute") {
            EXPECT_EQ(GetString(held, "AsString"), "1");
        }
        if (k == "TextHelper") {
            EXPECT_EQ(GetString(held, "AsString"), "t");
        }
        if (k == "NamedNodeIterator") {
            EXPECT_EQ(host().collect(held).size(), 1u);
        }
        if (k == "Root") {
            EXPECT_EQ(Xml(held, fmt::kRaw | fmt::kNoDeclaration), "<a x=\"1\">t<b/></a>");
        }
        held = {};
        EXPECT_EQ(Live("TorvaneXml.Document"), 0);
    }
}

TEST_F(NodeLifetime, DroppingARootDocumentLeavesTheOwnerIntact) {
    emu::Value doc = Parse("<a/>");
    Call(Element(doc), "Root");  // made and dropped at once
    emu::Value root = Call(Element(doc), "Root");
    root = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);
    EXPECT_EQ(Raw(doc), "<a/>");
    Call(Element(doc), "AppendChild", {Str("b")});
    EXPECT_EQ(Raw(doc), "<a><b/></a>");
}

// A copy lives in the document that received it: the source can go.
TEST_F(NodeLifetime, CopiesBelongToTheReceivingDocument) {
    emu::Value target = Parse("<t/>");
    emu::Value source = Parse("<s k='v'><deep>x</deep></s>");
    emu::Value copy = Call(Element(target), "AppendCopy", {Element(source)});
    emu::Value attr =
        Call(Element(target), "AppendCopy", {Call(Element(source), "FirstAttribute")});
    source = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);
    target = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);  // held by the copies
    EXPECT_EQ(Xml(copy, fmt::kRaw), "<s k=\"v\"><deep>x</deep></s>");
    EXPECT_EQ(GetString(attr, "AsString"), "v");
    EXPECT_EQ(Xml(Call(copy, "Root"), fmt::kRaw | fmt::kNoDeclaration),
              "<t k=\"v\"><s k=\"v\"><deep>x</deep></s></t>");
}

TEST_F(NodeLifetime, EmptyWrappersStillHoldTheirOwner) {
    emu::Value doc = Parse("<a/>");
    emu::Value nothing = Call(Element(doc), "FirstChild");
    doc = {};
    EXPECT_TRUE(IsEmpty(nothing));
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);
    nothing = {};
    EXPECT_EQ(Live("TorvaneXml.Document"), 0);
}

}  // namespace
