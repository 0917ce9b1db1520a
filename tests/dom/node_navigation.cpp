// Moving through the tree: siblings, children, parent, root, lookups by
// name, attribute and path, iteration, node output and identity.
#include <string>
#include <vector>

#include "node_support.h"

namespace {

using NodeNavigation = DomTest;

TEST_F(NodeNavigation, StepsSeeEveryKindOfNode) {
    emu::Value doc = Parse("<a><b/>x<c/></a>");
    emu::Value a = Element(doc);
    emu::Value b = Call(a, "FirstChild");
    emu::Value x = Call(b, "NextSibling");
    EXPECT_EQ(TypeOf(x), nt::kPcdata);
    EXPECT_EQ(GetString(x, "Value"), "x");
    EXPECT_EQ(NameOf(Call(x, "NextSibling")), "c");
    EXPECT_EQ(NameOf(Call(a, "LastChild")), "c");
    EXPECT_EQ(host().compare(Call(Call(a, "LastChild"), "PreviousSibling"), x), 0);
    EXPECT_TRUE(IsEmpty(Call(b, "PreviousSibling")));
    EXPECT_TRUE(IsEmpty(Call(Call(a, "LastChild"), "NextSibling")));
    EXPECT_TRUE(IsEmpty(Call(a, "Text")));
    EXPECT_EQ(GetString(a, "TextValue"), "x");
}

TEST_F(NodeNavigation, LookupsThatFindNothingGiveEmptyNodesNotNil) {
    emu::Value doc = Parse("<a/>");
    emu::Value a = Element(doc);
    const struct {
        const char* what;
        emu::Value result;
    } cases[] = {
        {"FirstChild", Call(a, "FirstChild")},
        {"LastChild", Call(a, "LastChild")},
        {"NextSibling", Call(a, "NextSibling")},
        {"Child", Call(a, "Child", {Str("zz")})},
        {"FindChildByAttribute", Call(a, "FindChildByAttribute", {Str("k"), Str("v")})},
        {"FirstElementByPath", Call(a, "FirstElementByPath", {Str("b/c")})},
        {"Parent of document", Call(doc, "Parent")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.result.isNil());
        EXPECT_EQ(c.result.className(), "TorvaneXml.Node");
        EXPECT_TRUE(IsEmpty(c.result));
        EXPECT_EQ(NameOf(c.result), "");
        EXPECT_EQ(TypeOf(c.result), nt::kNull);
    }
}

TEST_F(NodeNavigation, ParentClimbsToTheDocumentNodeAsANode) {
    emu::Value doc = Parse("<a><b/></a>");
    emu::Value docNode = Call(Element(doc), "Parent");
    EXPECT_EQ(docNode.className(), "TorvaneXml.Node");
    EXPECT_EQ(TypeOf(docNode), nt::kDocument);
    EXPECT_EQ(host().compare(docNode, doc), 0);
    EXPECT_TRUE(IsEmpty(Call(docNode, "Parent")));
}

TEST_F(NodeNavigation, RootIsANonOwningDocumentOrNil) {
    emu::Value doc = Parse("<a><b/></a>");
    emu::Value b = Call(Element(doc), "FirstChild");
    emu::Value root = Call(b, "Root");
    EXPECT_EQ(root.className(), "TorvaneXml.Document");
    EXPECT_EQ(host().compare(root, doc), 0);
    EXPECT_EQ(host().compare(Call(doc, "Root"), doc), 0);
    EXPECT_TRUE(Call(Call(b, "FirstChild"), "Root").isNil());
    // Dropping the Root() Document leaves the tree and its owner working.
    root = {};
    EXPECT_EQ(Raw(doc), "<a><b/></a>");
}

TEST_F(NodeNavigation, FindChildByAttributeMatchesExactly) {
    emu::Value doc =
        Parse("<r><a k='1'/><b k='2' id='first'/><a k='2' id='second'/><a K='2'/><a k='2 '/></r>");
    emu::Value r = Element(doc);
    auto id = [&](const emu::Value& node) {
        return GetString(Call(node, "Attribute", {Str("id")}), "AsString");
    };
    EXPECT_EQ(id(Call(r, "FindChildByAttribute", {Str("a"), Str("k"), Str("2")})), "second");
    EXPECT_EQ(id(Call(r, "FindChildByAttribute", {Str("k"), Str("2")})), "first");
    EXPECT_TRUE(IsEmpty(Call(r, "FindChildByAttribute", {Str("c"), Str("k"), Str("2")})));
    EXPECT_TRUE(IsEmpty(Call(r, "FindChildByAttribute", {Str("k"), Str("3")})));
    emu::Value bad = host().strUnconvertible("k");
    EXPECT_TRUE(IsEmpty(Call(r, "FindChildByAttribute", {Str("a"), bad, Str("2")})));
    EXPECT_TRUE(IsEmpty(Call(r, "FindChildByAttribute", {Str("k"), bad})));
}

TEST_F(NodeNavigation, FirstElementByPathTriesEveryMatchingBranch) {
    emu::Value doc = Parse("<a><b/><b><c id='deep'/></b></a>");
    emu::Value a = Element(doc);
    emu::Value c = Call(a, "FirstElementByPath", {Str("b/c")});
    EXPECT_EQ(GetString(Call(c, "Attribute", {Str("id")}), "AsString"), "deep");
    EXPECT_EQ(host().compare(Call(c, "FirstElementByPath", {Str("/a")}), a), 0);
    EXPECT_EQ(host().compare(Call(c, "FirstElementByPath", {Str("../..")}), a), 0);
    EXPECT_EQ(host().compare(Call(c, "FirstElementByPath", {Str(".")}), c), 0);
    EXPECT_EQ(host().compare(Call(c, "FirstElementByPath", {Str("")}), c), 0);
    EXPECT_TRUE(Call(a, "FirstElementByPath", {host().strUnconvertible("b")}).isNil());
}

TEST_F(NodeNavigation, ChildCreatesOnceOnRequest) {
    emu::Value doc = Parse("<a><b/></a>");
    emu::Value a = Element(doc);
    EXPECT_TRUE(IsEmpty(Call(a, "Child", {Str("n")})));
    EXPECT_TRUE(IsEmpty(Call(a, "Child", {Str("n"), Bool(false)})));
    emu::Value first = Call(a, "Child", {Str("n"), Bool(true)});
    emu::Value second = Call(a, "Child", {Str("n"), Bool(true)});
    EXPECT_EQ(host().compare(first, second), 0);
    EXPECT_EQ(Raw(doc), "<a><b/><n/></a>");
    // Nodes that take no children stay empty even when asked to create.
    Call(a, "AppendChild", {NodeType(nt::kComment)});
    EXPECT_TRUE(IsEmpty(Call(Call(a, "LastChild"), "Child", {Str("n"), Bool(true)})));
    EXPECT_TRUE(Call(a, "Child", {host().strUnconvertible("n"), Bool(true)}).isNil());
    EXPECT_EQ(ChildNames(a), (std::vector<std::string>{"b", "n", ""}));
}

TEST_F(NodeNavigation, ChildrenIterateAllOrByName) {
    emu::Value doc = Parse("<a><b i='1'/>t<c/><b i='2'/></a>");
    emu::Value a = Element(doc);
    EXPECT_EQ(ChildNames(a), (std::vector<std::string>{"b", "#t", "c", "b"}));
    std::vector<std::string> named;
    emu::Value name = Str("b");
    emu::Value iterator = Call(a, "Children", {name});
    EXPECT_EQ(iterator.className(), "TorvaneXml.NamedNodeIterator");
    name = {};  // the iterator keeps its own copy of the name
    host().forEach(iterator, [&](const emu::Value& b) {
        named.push_back(GetString(Call(b, "Attribute", {Str("i")}), "AsString"));
    });
    EXPECT_EQ(named, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(Call(a, "Children", {host().strUnconvertible("b")}).isNil());
    EXPECT_TRUE(ChildNames(Call(a, "FirstChild")).empty());
}

TEST_F(NodeNavigation, AttributesByNameAndInOrder) {
    emu::Value doc = Parse("<a x='1' y='2' z='3'/>");
    emu::Value a = Element(doc);
    std::vector<std::string> seen;
    host().forEach(Call(a, "NodeAttributes"), [&](const emu::Value& attr) {
        seen.push_back(NameOf(attr) + "=" + GetString(attr, "AsString"));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"x=1", "y=2", "z=3"}));
    EXPECT_EQ(NameOf(Call(a, "FirstAttribute")), "x");
    EXPECT_EQ(NameOf(Call(a, "LastAttribute")), "z");
    EXPECT_EQ(GetString(Call(a, "Attribute", {Str("y")}), "AsString"), "2");
    EXPECT_TRUE(IsEmpty(Call(a, "Attribute", {Str("w")})));
    EXPECT_TRUE(Call(a, "Attribute", {host().strUnconvertible("y")}).isNil());
    EXPECT_TRUE(Call(a, "Attribute", {host().strUnconvertible("w"), Bool(true)}).isNil());
    EXPECT_EQ(Raw(doc), "<a x=\"1\" y=\"2\" z=\"3\"/>");

    emu::Value w = Call(a, "Attribute", {Str("w"), Bool(true)});
    EXPECT_FALSE(IsEmpty(w));
    EXPECT_EQ(host().compare(Call(a, "Attribute", {Str("w"), Bool(true)}), w), 0);
    EXPECT_EQ(Raw(doc), "<a x=\"1\" y=\"2\" z=\"3\" w=\"\"/>");

    emu::Value text =
        Call(Call(a, "AppendChild", {NodeType(nt::kPcdata)}), "Attribute", {Str("w"), Bool(true)});
    EXPECT_TRUE(IsEmpty(text));
    EXPECT_TRUE(IsEmpty(Call(Call(a, "FirstChild"), "FirstAttribute")));
}

TEST_F(NodeNavigation, NodeToStringPrintsTheSubtreeWithoutDeclaration) {
    emu::Value doc = Parse("<a><b x='1'><c/></b></a>");
    emu::Value b = Call(Element(doc), "FirstChild");
    EXPECT_EQ(Call(b, "ToString").asString(), "<b x=\"1\">\n\t<c />\n</b>\n");
    EXPECT_EQ(Xml(b, fmt::kRaw), "<b x=\"1\"><c/></b>");
    EXPECT_EQ(Xml(b, fmt::kRaw | fmt::kWriteBom), "<b x=\"1\"><c/></b>");
    EXPECT_EQ(Xml(b, fmt::kRaw | fmt::kAttributeSingleQuote), "<b x='1'><c/></b>");
    EXPECT_EQ(Xml(Call(b, "NextSibling"), fmt::kRaw), "");
    EXPECT_EQ(Call(Call(b, "NextSibling"), "ToString").asString(), "");
}

TEST_F(NodeNavigation, CompareIsIdentity) {
    emu::Value doc = Parse("<a><b/><c/></a>");
    emu::Value a = Element(doc);
    emu::Value b1 = Call(a, "FirstChild"), b2 = Call(a, "Child", {Str("b")});
    emu::Value c = Call(a, "LastChild");
    EXPECT_NE(b1.object(), b2.object());  // two wrappers, one node
    EXPECT_EQ(host().compare(b1, b2), 0);
    EXPECT_EQ(host().compare(b1, b1), 0);
    EXPECT_EQ(host().compare(b1, Nil()), 1);
    EXPECT_EQ(host().compare(Call(c, "FirstChild"), Nil()), 1);
    const int64_t bc = host().compare(b1, c), cb = host().compare(c, b1);
    EXPECT_NE(bc, 0);
    EXPECT_EQ(bc, -cb);
    EXPECT_EQ(host().compare(Call(b1, "FirstChild"), Call(c, "FirstChild")), 0);
    EXPECT_NE(host().compare(Call(b1, "FirstChild"), b1), 0);
    // Nodes of two documents never compare equal.
    emu::Value other = Parse("<a><b/><c/></a>");
    EXPECT_NE(host().compare(Element(other), a), 0);
}

// A record no factory filled answers as an empty node everywhere.
TEST_F(NodeNavigation, NeverBoundNodeIsEmptyEverywhere) {
    emu::Value node = Unbound("TorvaneXml.Node");
    ASSERT_EQ(node.className(), "TorvaneXml.Node");
    emu::Value doc = Parse("<a x='1'><b/></a>");
    emu::Value a = Element(doc);
    EXPECT_TRUE(IsEmpty(node));
    EXPECT_EQ(TypeOf(node), nt::kNull);
    EXPECT_EQ(NameOf(node), "");
    EXPECT_EQ(GetString(node, "TextValue"), "");
    host().set(node, "Name", Str("n"));
    host().set(node, "TextValue", Str("t"));
    EXPECT_EQ(NameOf(node), "");
    EXPECT_TRUE(Call(node, "Root").isNil());
    EXPECT_TRUE(IsEmpty(Call(node, "FirstChild")));
    EXPECT_TRUE(IsEmpty(Call(node, "Child", {Str("b"), Bool(true)})));
    EXPECT_TRUE(IsEmpty(Call(node, "Text", {Bool(true)})));
    EXPECT_TRUE(IsEmpty(Call(node, "Attribute", {Str("x"), Bool(true)})));
    EXPECT_TRUE(ChildNames(node).empty());
    EXPECT_EQ(Call(node, "ToString").asString(), "");
    EXPECT_TRUE(IsEmpty(Call(node, "AppendChild", {Str("c")})));
    EXPECT_TRUE(IsEmpty(Call(node, "AppendCopy", {a})));
    EXPECT_FALSE(Call(node, "RemoveAllChildren").asBool());
    EXPECT_EQ(host().compare(node, Call(a, "NextSibling")), 0);
    // As an argument it is an empty node too.
    EXPECT_TRUE(IsEmpty(Call(a, "AppendCopy", {node})));
    EXPECT_TRUE(IsEmpty(Call(a, "AppendMove", {node})));
    EXPECT_FALSE(Call(a, "RemoveChild", {node}).asBool());
    EXPECT_TRUE(IsEmpty(Call(a, "InsertChildBefore", {Str("n"), node})));
    emu::Value attr = Unbound("TorvaneXml.Attribute");
    EXPECT_FALSE(Call(a, "RemoveAttribute", {attr}).asBool());
    EXPECT_TRUE(IsEmpty(Call(a, "AppendCopy", {attr})));
    EXPECT_TRUE(IsEmpty(Call(a, "InsertAttributeAfter", {Str("y"), attr})));
    EXPECT_EQ(Raw(doc), "<a x=\"1\"><b/></a>");
}

}  // namespace
