// Adding and removing children: by name, by NodeType, next to a reference
// child, and which kinds of node may hold which.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "node_support.h"

namespace {

class EditingChildren : public DomTest {
protected:
    // A Document holding one node of every kind that can exist in a tree,
    // each reachable by its NodeType.
    struct Kinds {
        emu::Value doc;
        std::vector<std::pair<int64_t, emu::Value>> nodes;
    };
    Kinds EveryKind() {
        Kinds k;
        k.doc = NewDocument();
        k.nodes.emplace_back(nt::kDocument, k.doc);
        k.nodes.emplace_back(nt::kDeclaration,
                             Call(k.doc, "AppendChild", {NodeType(nt::kDeclaration)}));
        k.nodes.emplace_back(nt::kDoctype, Call(k.doc, "AppendChild", {NodeType(nt::kDoctype)}));
        emu::Value element = Call(k.doc, "AppendChild", {Str("e")});
        k.nodes.emplace_back(nt::kElement, element);
        for (int64_t type : {nt::kPcdata, nt::kCdata, nt::kComment, nt::kPi})
            k.nodes.emplace_back(type, Call(element, "AppendChild", {NodeType(type)}));
        k.nodes.emplace_back(nt::kNull, Call(element, "NextSibling"));
        for (const auto& [type, node] : k.nodes) EXPECT_EQ(TypeOf(node), type);
        return k;
    }

    // The children each kind of node takes, written out: a document every
    // kind that can stand in a tree, an element all but declarations and
    // doctypes, any other node none.
    static bool Allowed(int64_t parent, int64_t child) {
        static const std::map<int64_t, std::set<int64_t>> kTakes = {
            {nt::kDocument,
             {nt::kElement, nt::kPcdata, nt::kCdata, nt::kComment, nt::kPi, nt::kDeclaration,
              nt::kDoctype}},
            {nt::kElement, {nt::kElement, nt::kPcdata, nt::kCdata, nt::kComment, nt::kPi}},
        };
        const auto it = kTakes.find(parent);
        return it != kTakes.end() && it->second.count(child) > 0;
    }
};

TEST_F(EditingChildren, ByNameAtEveryPosition) {
    emu::Value doc = Parse("<r><m/></r>");
    emu::Value r = Element(doc), m = Call(r, "FirstChild");
    EXPECT_EQ(NameOf(Call(r, "AppendChild", {Str("last")})), "last");
    EXPECT_EQ(NameOf(Call(r, "PrependChild", {Str("first")})), "first");
    EXPECT_EQ(NameOf(Call(r, "InsertChildBefore", {Str("before"), m})), "before");
    emu::Value after = Call(r, "InsertChildAfter", {Str("after"), m});
    EXPECT_EQ(TypeOf(after), nt::kElement);
    EXPECT_EQ(Raw(doc), "<r><first/><before/><m/><after/><last/></r>");
    // Any text becomes the name, unchecked.
    Call(r, "AppendChild", {Str("")});
    EXPECT_EQ(ChildNames(r).back(), "");
}

TEST_F(EditingChildren, ByTypeFollowsWhichNodesHoldWhich) {
    Kinds k = EveryKind();
    const int64_t types[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255, (int64_t{1} << 32) + 2};
    const char* members[] = {"AppendChild", "PrependChild"};
    for (const auto& [parentType, parent] : k.nodes) {
        for (int64_t type : types) {
            for (const char* member : members) {
                SCOPED_TRACE(std::string(member) + " parent " + std::to_string(parentType) +
                             " child " + std::to_string(type));
                const std::string before = Xml(k.doc, fmt::kRaw);
                emu::Value made = Call(parent, member, {NodeType(type)});
                ASSERT_FALSE(made.isNil());
                EXPECT_EQ(IsEmpty(made), !Allowed(parentType, type));
                if (IsEmpty(made)) {
                    EXPECT_EQ(Xml(k.doc, fmt::kRaw), before);
                    continue;
                }
                EXPECT_EQ(TypeOf(made), type);
                EXPECT_EQ(host().compare(Call(made, "Parent"), parent), 0);
                EXPECT_EQ(NameOf(made), type == nt::kDeclaration ? "xml" : "");
                EXPECT_EQ(GetString(made, "Value"), "");
                EXPECT_TRUE(Call(parent, "RemoveChild", {made}).asBool());
            }
        }
    }
}

TEST_F(EditingChildren, ByNameOnlyIntoDocumentsAndElements) {
    Kinds k = EveryKind();
    for (const auto& [type, node] : k.nodes) {
        SCOPED_TRACE(type);
        const std::string before = Xml(k.doc, fmt::kRaw);
        emu::Value made = Call(node, "AppendChild", {Str("x")});
        const bool allowed = type == nt::kDocument || type == nt::kElement;
        EXPECT_EQ(IsEmpty(made), !allowed);
        EXPECT_EQ(IsEmpty(Call(node, "PrependChild", {Str("y")})), !allowed);
        if (!allowed) {
            EXPECT_EQ(Xml(k.doc, fmt::kRaw), before);
        }
    }
}

// The reference must be a child of this very node.
TEST_F(EditingChildren, InsertionsNeedAChildAsReference) {
    emu::Value doc = Parse("<r><a><g/></a></r>");
    emu::Value other = Parse("<r><a/></r>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    const struct {
        const char* what;
        emu::Value reference;
    } refusals[] = {
        {"grandchild", Call(a, "FirstChild")},
        {"itself", r},
        {"parent", Call(r, "Parent")},
        {"node of another document", Call(Element(other), "FirstChild")},
        {"empty", Call(a, "NextSibling")},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(IsEmpty(Call(r, "InsertChildBefore", {Str("x"), c.reference})));
        EXPECT_TRUE(IsEmpty(Call(r, "InsertChildAfter", {Str("x"), c.reference})));
        EXPECT_TRUE(IsEmpty(Call(r, "InsertChildBefore", {NodeType(nt::kComment), c.reference})));
        EXPECT_TRUE(IsEmpty(Call(r, "InsertChildAfter", {NodeType(nt::kComment), c.reference})));
    }
    EXPECT_EQ(Raw(doc), "<r><a><g/></a></r>");
    EXPECT_EQ(Raw(other), "<r><a/></r>");

    emu::Value comment = Call(r, "InsertChildBefore", {NodeType(nt::kComment), a});
    host().set(comment, "Value", Str("c"));
    Call(r, "InsertChildAfter", {NodeType(nt::kPcdata), a});
    EXPECT_EQ(ChildNames(r), (std::vector<std::string>{"", "a", "#"}));
    EXPECT_TRUE(IsEmpty(Call(r, "InsertChildAfter", {NodeType(nt::kNull), a})));
    EXPECT_TRUE(IsEmpty(Call(r, "InsertChildAfter", {NodeType(99), a})));
}

// A nil reference refuses before the name is read: an unreadable name then
// still gives an empty wrapper, not nil.
TEST_F(EditingChildren, NilReferenceAndUnreadableNames) {
    emu::Value doc = Parse("<r><a/></r>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    emu::Value bad = host().strUnconvertible("x");
    for (const char* member : {"InsertChildBefore", "InsertChildAfter"}) {
        SCOPED_TRACE(member);
        emu::Value made = Call(r, member, {bad, NilObject()});
        ASSERT_FALSE(made.isNil());
        EXPECT_TRUE(IsEmpty(made));
        EXPECT_TRUE(IsEmpty(Call(r, member, {Str("x"), Nil()})));
        EXPECT_TRUE(IsEmpty(Call(r, member, {NodeType(nt::kElement), NilObject()})));
        EXPECT_TRUE(Call(r, member, {bad, a}).isNil());
    }
    EXPECT_TRUE(Call(r, "AppendChild", {bad}).isNil());
    EXPECT_TRUE(Call(r, "PrependChild", {bad}).isNil());
    EXPECT_EQ(Raw(doc), "<r><a/></r>");
}

TEST_F(EditingChildren, RemoveChildByNameTakesOnlyTheFirst) {
    emu::Value doc = Parse("<r><a i='1'/><b/><a i='2'><x/></a><a i='3'/></r>");
    emu::Value r = Element(doc);
    EXPECT_TRUE(Call(r, "RemoveChild", {Str("a")}).asBool());
    EXPECT_EQ(Raw(doc), "<r><b/><a i=\"2\"><x/></a><a i=\"3\"/></r>");
    EXPECT_TRUE(Call(r, "RemoveChild", {Str("a")}).asBool());
    EXPECT_EQ(Raw(doc), "<r><b/><a i=\"3\"/></r>");
    EXPECT_FALSE(Call(r, "RemoveChild", {Str("x")}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {host().strUnconvertible("b")}).asBool());
    EXPECT_EQ(Raw(doc), "<r><b/><a i=\"3\"/></r>");
}

TEST_F(EditingChildren, RemoveChildByNodeNeedsADirectChild) {
    emu::Value doc = Parse("<r><a><g/></a><b/></r>");
    emu::Value other = Parse("<r><a/></r>");
    emu::Value r = Element(doc), a = Call(r, "FirstChild");
    EXPECT_FALSE(Call(r, "RemoveChild", {NilObject()}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {Call(a, "FirstChild")}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {Call(Element(other), "FirstChild")}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {r}).asBool());
    EXPECT_EQ(Raw(doc), "<r><a><g/></a><b/></r>");
    EXPECT_TRUE(Call(r, "RemoveChild", {a}).asBool());  // with its subtree
    EXPECT_EQ(Raw(doc), "<r><b/></r>");
    EXPECT_TRUE(Call(doc, "RemoveChild", {r}).asBool());
    EXPECT_EQ(Raw(doc), "");
    EXPECT_EQ(Raw(other), "<r><a/></r>");
}

TEST_F(EditingChildren, RemoveAllChildrenIsFalseOnlyOnAnEmptyWrapper) {
    emu::Value doc = Parse("<r><a><g/></a>t<b/></r>");
    emu::Value r = Element(doc);
    emu::Value text = Call(Call(r, "FirstChild"), "NextSibling");
    EXPECT_TRUE(Call(text, "RemoveAllChildren").asBool());  // nothing to remove
    EXPECT_TRUE(Call(r, "RemoveAllChildren").asBool());
    EXPECT_EQ(Raw(doc), "<r/>");
    EXPECT_TRUE(Call(r, "RemoveAllChildren").asBool());
    EXPECT_FALSE(Call(Call(r, "FirstChild"), "RemoveAllChildren").asBool());
    EXPECT_TRUE(Call(doc, "RemoveAllChildren").asBool());
    EXPECT_EQ(Xml(doc, fmt::kRaw), "<?xml version=\"1.0\"?>");
}

}  // namespace
