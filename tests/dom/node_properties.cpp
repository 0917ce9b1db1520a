// Node's properties Empty, Name, Type, Value and TextValue, and the text
// readers ChildValue and Text().
#include <string>

#include "node_support.h"

namespace {

using NodeProperties = DomTest;

TEST_F(NodeProperties, TypeNameAndValueByNodeKind) {
    emu::Value doc = Parse("<a>hi<![CDATA[cd]]><b/></a>");
    emu::Value a = Element(doc);
    const struct {
        const char* what;
        emu::Value node;
        int64_t type;
        const char* name;
        const char* value;
    } cases[] = {
        {"document", doc, nt::kDocument, "", ""},
        {"element", a, nt::kElement, "a", ""},
        {"pcdata", Call(a, "FirstChild"), nt::kPcdata, "", "hi"},
        {"cdata", Call(Call(a, "FirstChild"), "NextSibling"), nt::kCdata, "", "cd"},
        {"empty", Call(Call(a, "LastChild"), "FirstChild"), nt::kNull, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TypeOf(c.node), c.type);
        EXPECT_EQ(Get(c.node, "Type").enumType(), "TorvaneXml.NodeType");
        EXPECT_EQ(NameOf(c.node), c.name);
        EXPECT_EQ(GetString(c.node, "Value"), c.value);
        EXPECT_EQ(IsEmpty(c.node), c.type == nt::kNull);
    }
}

TEST_F(NodeProperties, SettersChangeOnlyWhatTheNodeCanCarry) {
    emu::Value doc = Parse("<a>hi</a>");
    emu::Value a = Element(doc);
    emu::Value text = Call(a, "FirstChild");
    host().set(a, "Value", Str("ignored"));
    host().set(text, "Name", Str("ignored"));
    EXPECT_EQ(Raw(doc), "<a>hi</a>");
    host().set(a, "Name", Str("renamed"));
    host().set(text, "Value", Str("there"));
    EXPECT_EQ(Raw(doc), "<renamed>there</renamed>");
    host().set(doc, "Name", Str("x"));
    EXPECT_EQ(NameOf(doc), "");
}

TEST_F(NodeProperties, TextValueReadsAndWritesTheFirstTextChild) {
    emu::Value doc = Parse("<r><a>hi</a><b/><c><x/>tail</c><d><![CDATA[cd]]></d></r>");
    emu::Value r = Element(doc);
    auto child = [&](const char* name) { return Call(r, "Child", {Str(name)}); };
    EXPECT_EQ(GetString(child("a"), "TextValue"), "hi");
    EXPECT_EQ(GetString(child("b"), "TextValue"), "");
    EXPECT_EQ(GetString(child("c"), "TextValue"), "tail");
    EXPECT_EQ(GetString(child("d"), "TextValue"), "cd");
    EXPECT_EQ(GetString(Call(child("a"), "FirstChild"), "TextValue"), "hi");

    host().set(child("a"), "TextValue", Str("changed"));  // reuses the text node
    host().set(child("b"), "TextValue", Str("new"));      // appends one
    host().set(child("b"), "TextValue", Str("again"));    // then reuses it
    host().set(child("d"), "TextValue", Str("cd2"));      // the CDATA counts as text
    EXPECT_EQ(Raw(doc), "<r><a>changed</a><b>again</b><c><x/>tail</c><d><![CDATA[cd2]]></d></r>");
    EXPECT_EQ(ChildNames(child("b")), (std::vector<std::string>{"#again"}));

    // A node that takes no children cannot get text.
    emu::Value comment = Call(r, "AppendChild", {NodeType(nt::kComment)});
    host().set(comment, "Value", Str("c"));
    host().set(comment, "TextValue", Str("x"));
    EXPECT_EQ(GetString(comment, "Value"), "c");
    EXPECT_EQ(GetString(comment, "TextValue"), "");
}

// Text handed in keeps its full length; text handed out ends at a zero byte.
TEST_F(NodeProperties, ZeroBytesCutWhatIsReadBack) {
    emu::Value doc = Parse("<a><b/>t</a>");
    emu::Value a = Element(doc);
    const std::string withZero("x\0y", 3);
    host().set(a, "TextValue", Str(withZero));
    EXPECT_EQ(GetString(a, "TextValue"), "x");
    host().set(Call(a, "LastChild"), "Value", Str(withZero));
    EXPECT_EQ(GetString(Call(a, "LastChild"), "Value"), "x");
    host().set(Call(a, "FirstChild"), "Name", Str(withZero));
    EXPECT_EQ(NameOf(Call(a, "FirstChild")), "x");
}

TEST_F(NodeProperties, StringsTheHostCannotConvertChangeNothing) {
    emu::Value doc = Parse("<a><b>t</b><c/></a>");
    emu::Value a = Element(doc);
    emu::Value bad = host().strUnconvertible("z");
    host().set(a, "Name", bad);
    host().set(Call(Call(a, "FirstChild"), "FirstChild"), "Value", bad);
    host().set(Call(a, "FirstChild"), "TextValue", bad);
    EXPECT_EQ(Raw(doc), "<a><b>t</b><c/></a>");
    // The text node made for the value stays, empty.
    host().set(Call(a, "LastChild"), "TextValue", bad);
    EXPECT_EQ(ChildNames(Call(a, "LastChild")), (std::vector<std::string>{"#"}));
}

TEST_F(NodeProperties, ChildValueReadsTheFirstTextOfAChildOrOfTheNode) {
    emu::Value doc = Parse("<r>lead<a>one</a><a>two</a><b><x/></b><c><![CDATA[cd]]></c></r>");
    emu::Value r = Element(doc);
    EXPECT_EQ(Call(r, "ChildValue", {Str("a")}).asString(), "one");
    EXPECT_EQ(Call(r, "ChildValue", {Str("b")}).asString(), "");
    EXPECT_EQ(Call(r, "ChildValue", {Str("c")}).asString(), "cd");
    EXPECT_EQ(Call(r, "ChildValue", {Str("missing")}).asString(), "");
    EXPECT_EQ(Call(r, "ChildValue", {host().strUnconvertible("a")}).asString(), "");
    EXPECT_EQ(Call(r, "ChildValue").asString(), "lead");
    EXPECT_EQ(Call(Call(r, "Child", {Str("b")}), "ChildValue").asString(), "");
}

// Text() finds only a PCDATA node in first position; TextValue looks further.
TEST_F(NodeProperties, TextHelperOnlyForLeadingText) {
    emu::Value doc = Parse("<r><a>x</a><b><c/>x</b><d><![CDATA[x]]></d><e/></r>");
    emu::Value r = Element(doc);
    auto text = [&](const char* name, bool create) {
        return Call(Call(r, "Child", {Str(name)}), "Text", {Bool(create)});
    };
    EXPECT_EQ(GetString(text("a", false), "AsString"), "x");
    EXPECT_TRUE(IsEmpty(text("b", false)));
    EXPECT_TRUE(IsEmpty(text("d", false)));
    EXPECT_TRUE(IsEmpty(text("e", false)));
    EXPECT_TRUE(IsEmpty(Call(Call(r, "Child", {Str("e")}), "Text")));  // create defaults to False
    EXPECT_EQ(Raw(doc), "<r><a>x</a><b><c/>x</b><d><![CDATA[x]]></d><e/></r>");

    emu::Value made = text("e", true);
    EXPECT_FALSE(IsEmpty(made));
    Call(made, "Set", {Str("new")});
    EXPECT_FALSE(IsEmpty(text("b", true)));  // appended after <c/>
    EXPECT_EQ(Raw(doc), "<r><a>x</a><b><c/>x</b><d><![CDATA[x]]></d><e>new</e></r>");
    EXPECT_EQ(ChildNames(Call(r, "Child", {Str("b")})), (std::vector<std::string>{"c", "#x", "#"}));
}

TEST_F(NilStringHostTest, EmptyStringsActAsEmptyText) {
    emu::Value doc = Parse("<a>t<b/></a>");
    emu::Value a = Element(doc);
    host().set(a, "TextValue", Str(""));
    EXPECT_EQ(GetString(a, "TextValue"), "");
    EXPECT_EQ(Call(a, "ChildValue", {Str("")}).asString(), "");
    EXPECT_TRUE(IsEmpty(Call(a, "Child", {Str("")})));
    EXPECT_EQ(Raw(doc), "<a><b/></a>");
}

}  // namespace
