// Moving nodes within a document and copying them, also from another one.
#include <string>
#include <vector>

#include "node_support.h"

namespace {

using EditingMoves = DomTest;

// A move keeps the node itself: wrappers of it see it in its new place.
TEST_F(EditingMoves, MovesKeepIdentityAndSubtree) {
    emu::Value doc = Parse("<r><a k='1'><x/></a><b/><c/></r>");
    emu::Value r = Element(doc);
    emu::Value a = Call(r, "FirstChild"), b = Call(a, "NextSibling"), c = Call(r, "LastChild");

    emu::Value moved = Call(r, "AppendMove", {a});
    EXPECT_EQ(host().compare(moved, a), 0);
    EXPECT_EQ(Raw(doc), "<r><b/><c/><a k=\"1\"><x/></a></r>");
    EXPECT_EQ(host().compare(Call(a, "PreviousSibling"), c), 0);

    Call(r, "PrependMove", {c});
    EXPECT_EQ(Raw(doc), "<r><c/><b/><a k=\"1\"><x/></a></r>");
    Call(r, "InsertMoveBefore", {a, b});
    EXPECT_EQ(Raw(doc), "<r><c/><a k=\"1\"><x/></a><b/></r>");
    Call(r, "InsertMoveAfter", {c, b});
    EXPECT_EQ(Raw(doc), "<r><a k=\"1\"><x/></a><b/><c/></r>");
    // Down one level and back up.
    EXPECT_EQ(host().compare(Call(b, "AppendMove", {c}), c), 0);
    EXPECT_EQ(host().compare(Call(c, "Parent"), b), 0);
    Call(r, "AppendMove", {c});
    EXPECT_EQ(Raw(doc), "<r><a k=\"1\"><x/></a><b/><c/></r>");
}

TEST_F(EditingMoves, MoveRefusalsLeaveBothDocumentsUnchanged) {
    emu::Value doc = Parse("<r><a><x/></a><b/></r>");
    emu::Value other = Parse("<o><f/></o>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild"), x = Call(a, "FirstChild");
    emu::Value b = Call(r, "LastChild");
    emu::Value foreign = Call(Element(other), "FirstChild");
    const std::string before = Raw(doc);
    const struct {
        const char* what;
        emu::Value target;
        const char* member;
        std::vector<emu::Value> args;
    } cases[] = {
        {"from another document", r, "AppendMove", {foreign}},
        {"from another document", r, "PrependMove", {foreign}},
        {"into another document", Element(other), "AppendMove", {b}},
        {"into own subtree", x, "AppendMove", {r}},
        {"into itself", a, "PrependMove", {a}},
        {"moved is the reference", r, "InsertMoveBefore", {a, a}},
        {"moved is the reference", r, "InsertMoveAfter", {b, b}},
        {"reference not a child", r, "InsertMoveBefore", {b, x}},
        {"reference not a child", r, "InsertMoveAfter", {b, r}},
        {"document node", r, "AppendMove", {doc}},
        {"into a text-less kind",
         Call(x, "AppendChild", {NodeType(nt::kComment)}),
         "AppendMove",
         {b}},
        {"empty node", r, "AppendMove", {Call(b, "FirstChild")}},
        {"nil", r, "AppendMove", {Nil()}},
        {"nil", r, "PrependMove", {Nil()}},
        {"nil moved", r, "InsertMoveBefore", {Nil(), b}},
        {"nil reference", r, "InsertMoveAfter", {a, Nil()}},
        {"both nil", r, "InsertMoveAfter", {Nil(), Nil()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + ": " + c.what);
        emu::Value result = Call(c.target, c.member, c.args);
        ASSERT_FALSE(result.isNil());
        EXPECT_TRUE(IsEmpty(result));
    }
    Call(x, "RemoveAllChildren");  // the comment the table added
    EXPECT_EQ(Raw(doc), before);
    EXPECT_EQ(Raw(other), "<o><f/></o>");
}

// Declarations and doctypes move only directly under the document.
TEST_F(EditingMoves, MovesObeyWhichNodesHoldWhich) {
    emu::Value doc = NewDocument();
    emu::Value declaration = Call(doc, "AppendChild", {NodeType(nt::kDeclaration)});
    emu::Value element = Call(doc, "AppendChild", {Str("e")});
    EXPECT_TRUE(IsEmpty(Call(element, "AppendMove", {declaration})));
    EXPECT_EQ(host().compare(Call(doc, "AppendMove", {declaration}), declaration), 0);
    EXPECT_EQ(Xml(doc, fmt::kRaw | fmt::kNoDeclaration), "<e/><?xml?>");
}

TEST_F(EditingMoves, CopiesCarryTheWholeSubtreeFromAnyDocument) {
    emu::Value doc = Parse("<r><m/></r>");
    emu::Value source = Parse("<s k='v'>text<inner a='1'><![CDATA[c]]></inner><!-- --></s>");
    emu::Value r = Element(doc), m = Call(r, "FirstChild"), s = Element(source);
    emu::Value copy = Call(r, "AppendCopy", {s});
    EXPECT_NE(host().compare(copy, s), 0);
    EXPECT_EQ(Xml(copy, fmt::kRaw), Xml(s, fmt::kRaw));
    Call(r, "PrependCopy", {Call(s, "Child", {Str("inner")})});
    Call(r, "InsertCopyBefore", {Call(s, "FirstChild"), m});
    Call(r, "InsertCopyAfter", {m, m});
    const std::string copied = "<s k=\"v\">text<inner a=\"1\"><![CDATA[c]]></inner></s>";
    EXPECT_EQ(Raw(doc), "<r><inner a=\"1\"><![CDATA[c]]></inner>text<m/><m/>" + copied + "</r>");
    EXPECT_EQ(Raw(source), copied);
    // The copy is independent of its source.
    host().set(Call(copy, "Child", {Str("inner")}), "Name", Str("changed"));
    EXPECT_EQ(Raw(source), copied);
}

// Copying an ancestor into its own descendant copies the subtree as it was.
TEST_F(EditingMoves, CopyIntoOwnSubtreeTerminates) {
    emu::Value doc = Parse("<a><b/></a>");
    emu::Value a = Element(doc), b = Call(a, "FirstChild");
    EXPECT_FALSE(IsEmpty(Call(b, "AppendCopy", {a})));
    EXPECT_EQ(Raw(doc), "<a><b><a><b/></a></b></a>");
}

TEST_F(EditingMoves, CopyRefusals) {
    emu::Value doc = Parse("<r><a/><b/></r>");
    emu::Value other = Parse("<o><f/></o>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    emu::Value foreign = Element(other);
    emu::Value text = Call(a, "AppendChild", {NodeType(nt::kPcdata)});
    const struct {
        const char* what;
        emu::Value target;
        const char* member;
        std::vector<emu::Value> args;
    } cases[] = {
        {"into a text node", text, "AppendCopy", {foreign}},
        {"into a text node", text, "PrependCopy", {foreign}},
        {"a document", r, "AppendCopy", {other}},
        {"a declaration into an element",
         r,
         "AppendCopy",
         {Call(NewDocument(), "AppendChild", {NodeType(nt::kDeclaration)})}},
        {"reference not a child", r, "InsertCopyBefore", {foreign, text}},
        {"reference of another document",
         r,
         "InsertCopyAfter",
         {foreign, Call(foreign, "FirstChild")}},
        {"empty node", r, "AppendCopy", {Call(text, "NextSibling")}},
        {"nil copied", r, "InsertCopyBefore", {NilObject(), a}},
        {"nil reference", r, "InsertCopyAfter", {foreign, NilObject()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + ": " + c.what);
        emu::Value result = Call(c.target, c.member, c.args);
        ASSERT_FALSE(result.isNil());
        EXPECT_TRUE(IsEmpty(result));
    }
    for (const char* declaration : {"AppendCopy(copied as TorvaneXml.Node) as TorvaneXml.Node",
                                    "PrependCopy(copied as TorvaneXml.Node) as TorvaneXml.Node"}) {
        SCOPED_TRACE(declaration);
        emu::Value refused = CallNodeMember(r, declaration, nullptr);
        ASSERT_FALSE(refused.isNil());
        EXPECT_EQ(refused.className(), "TorvaneXml.Node");
        EXPECT_TRUE(IsEmpty(refused));
    }
    EXPECT_EQ(Raw(doc), "<r><a></a><b/></r>");
    EXPECT_EQ(Raw(other), "<o><f/></o>");
}

// A Document passed where a Node is expected acts as its document node.
TEST_F(EditingMoves, WholeDocumentContentCopiesThroughItsElement) {
    emu::Value doc = Parse("<r/>");
    emu::Value other = Parse("<o><f/></o>");
    Call(Element(doc), "AppendCopy", {Element(other)});
    Call(doc, "AppendCopy", {Call(other, "FirstChild")});  // a second top-level element
    EXPECT_EQ(Raw(doc), "<r><o><f/></o></r><o><f/></o>");
}

}  // namespace
