// Wrappers whose node or attribute a removal took away: every class becomes
// an empty wrapper after every removal member, reads give the empty values,
// edits refuse and write nowhere; moves and copies leave wrappers valid.
#include <functional>
#include <string>
#include <vector>

#include "node_support.h"

namespace {

using emu::Value;

class StaleWrapper : public DomTest {
public:
    using DomTest::Call;
    using DomTest::Str;

protected:
    static constexpr const char* kXml = "<r><p a='1' b='2'>text<q c='3'>inner</q></p><s/></r>";
};

// Each removal member, applied to the document element r of kXml; each
// takes p (or its attribute a) and everything below it away.
struct RemovalCase {
    const char* label;
    std::function<bool(StaleWrapper&, const Value& r, const Value& p, const Value& a)> remove;
    bool removesP;  // false: only attributes of p go
    bool all;       // the siblings go too: s, or p's attribute b
};

const RemovalCase kRemovals[] = {
    {"RemoveChild(node)",
     [](StaleWrapper& t, const Value& r, const Value& p, const Value&) {
         return t.Call(r, "RemoveChild", {p}).asBool();
     },
     true, false},
    {"RemoveChild(name)",
     [](StaleWrapper& t, const Value& r, const Value&, const Value&) {
         return t.Call(r, "RemoveChild", {t.Str("p")}).asBool();
     },
     true, false},
    {"RemoveAllChildren",
     [](StaleWrapper& t, const Value& r, const Value&, const Value&) {
         return t.Call(r, "RemoveAllChildren").asBool();
     },
     true, true},
    {"RemoveAttribute(attr)",
     [](StaleWrapper& t, const Value&, const Value& p, const Value& a) {
         return t.Call(p, "RemoveAttribute", {a}).asBool();
     },
     false, false},
    {"RemoveAttribute(name)",
     [](StaleWrapper& t, const Value&, const Value& p, const Value&) {
         return t.Call(p, "RemoveAttribute", {t.Str("a")}).asBool();
     },
     false, false},
    {"RemoveAllAttributes",
     [](StaleWrapper& t, const Value&, const Value& p, const Value&) {
         return t.Call(p, "RemoveAllAttributes").asBool();
     },
     false, true},
};

TEST_F(StaleWrapper, EveryWrapperIntoTheRemovedPartReadsAsEmpty) {
    for (const RemovalCase& c : kRemovals) {
        SCOPED_TRACE(c.label);
        Value doc = Parse(kXml);
        Value r = Element(doc);
        Value p = Call(r, "FirstChild");
        Value a = Call(p, "FirstAttribute");
        Value b = Call(a, "NextAttribute");
        Value q = Call(p, "LastChild");
        Value c3 = Call(q, "Attribute", {Str("c")});
        Value text = Call(p, "Text");
        Value qText = Call(q, "Text");
        Value s = Call(r, "LastChild");
        ASSERT_TRUE(c.remove(*this, r, p, a));

        // The attribute a goes in every case; p, everything below it and its
        // other attributes only when p goes.
        std::vector<Value> gone = {a}, kept = {r};
        for (const Value& v : {p, q, c3, text, qText}) (c.removesP ? gone : kept).push_back(v);
        (c.removesP || c.all ? gone : kept).push_back(b);
        (c.removesP && c.all ? gone : kept).push_back(s);
        for (const Value& v : gone) {
            EXPECT_TRUE(IsEmpty(v)) << v.className();
            if (v.className() == "TorvaneXml.TextHelper") {
                EXPECT_EQ(GetString(v, "AsString"), "");
                Call(v, "Set", {Str("lost")});
            } else {
                EXPECT_EQ(NameOf(v), "");
                host().set(v, "Name", Str("lost"));
            }
        }
        for (const Value& v : kept) EXPECT_FALSE(IsEmpty(v)) << v.className();
        // Edits through the stale wrappers wrote nowhere.
        EXPECT_EQ(Raw(doc).find("lost"), std::string::npos) << Raw(doc);
    }
}

TEST_F(StaleWrapper, StaleNodesRefuseEditsAndNavigation) {
    Value doc = Parse(kXml);
    Value r = Element(doc);
    Value p = Call(r, "FirstChild");
    ASSERT_TRUE(Call(r, "RemoveChild", {p}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {p}).asBool());
    EXPECT_EQ(TypeOf(p), nt::kNull);
    EXPECT_EQ(GetString(p, "TextValue"), "");
    EXPECT_EQ(Xml(p), "");
    EXPECT_TRUE(IsEmpty(Call(p, "AppendChild", {Str("x")})));
    EXPECT_TRUE(IsEmpty(Call(p, "AppendAttribute", {Str("x")})));
    EXPECT_TRUE(Call(p, "Root").isNil());
    EXPECT_TRUE(IsEmpty(Call(p, "Parent")));
    EXPECT_TRUE(IsEmpty(Call(r, "AppendMove", {p})));
    EXPECT_TRUE(IsEmpty(Call(r, "AppendCopy", {p})));
    EXPECT_EQ(Get(Call(p, "Children"), "Count").asInt(), 0);
    EXPECT_EQ(Raw(doc), "<r><s/></r>");
}

TEST_F(StaleWrapper, ARootDocumentOfARemovedNodeIsGoneOnlyWithItsTree) {
    Value doc = Parse(kXml);
    Value r = Element(doc);
    Value root = Call(r, "Root");
    ASSERT_TRUE(Call(doc, "RemoveChild", {r}).asBool());
    EXPECT_TRUE(IsEmpty(r));
    EXPECT_FALSE(IsEmpty(root));  // the document node itself stays
    EXPECT_EQ(Raw(root), "");
    EXPECT_TRUE(IsEmpty(Call(root, "DocumentElement")));
}

TEST_F(StaleWrapper, MovedNodesKeepTheirWrappersAndCopiesAreUnaffected) {
    Value doc = Parse(kXml);
    Value r = Element(doc);
    Value p = Call(r, "FirstChild");
    Value a = Call(p, "FirstAttribute");
    Value s = Call(r, "LastChild");
    ASSERT_FALSE(IsEmpty(Call(s, "AppendMove", {p})));
    Value copy = Call(r, "AppendCopy", {p});
    EXPECT_EQ(NameOf(p), "p");
    EXPECT_EQ(NameOf(a), "a");
    // Removing the copy leaves the original and its wrappers alone; removing
    // the node's new parent takes the moved node with it.
    ASSERT_TRUE(Call(r, "RemoveChild", {copy}).asBool());
    EXPECT_TRUE(IsEmpty(copy));
    EXPECT_EQ(NameOf(p), "p");
    ASSERT_TRUE(Call(r, "RemoveChild", {s}).asBool());
    EXPECT_TRUE(IsEmpty(p));
    EXPECT_TRUE(IsEmpty(a));
    EXPECT_EQ(Raw(doc), "<r/>");
}

TEST_F(StaleWrapper, ARefusedRemovalClearsNothing) {
    Value doc = Parse(kXml);
    Value other = Parse("<o a='1'><p/></o>");
    Value r = Element(doc);
    Value p = Call(r, "FirstChild");
    Value foreignP = Call(Element(other), "FirstChild");
    Value foreignA = Call(Element(other), "FirstAttribute");
    Value q = Call(p, "LastChild");
    // Not a child of r, an attribute of another element, a grandchild.
    EXPECT_FALSE(Call(r, "RemoveChild", {foreignP}).asBool());
    EXPECT_FALSE(Call(p, "RemoveAttribute", {foreignA}).asBool());
    EXPECT_FALSE(Call(r, "RemoveChild", {q}).asBool());
    EXPECT_FALSE(Call(r, "RemoveAttribute", {Call(p, "FirstAttribute")}).asBool());
    for (const Value& v : {foreignP, foreignA, q}) EXPECT_FALSE(IsEmpty(v)) << v.className();
}

TEST_F(StaleWrapper, ADocumentConstructedAgainStillTracksItsOldTree) {
    Value doc = Parse(kXml);
    Value r = Element(doc);
    Value p = Call(r, "FirstChild");
    Value a = Call(p, "FirstAttribute");
    Call(doc, "Constructor");
    EXPECT_EQ(Raw(doc), "");
    EXPECT_EQ(NameOf(p), "p");
    ASSERT_TRUE(Call(r, "RemoveChild", {p}).asBool());
    EXPECT_TRUE(IsEmpty(p));
    EXPECT_TRUE(IsEmpty(a));
    EXPECT_EQ(Raw(r), "<r><s/></r>");
}

TEST_F(StaleWrapper, ARootDocumentConstructedAgainLetsGoOfItsTree) {
    Value doc = Parse(kXml);
    Value root = Call(doc, "Root");
    doc = Value();
    ASSERT_EQ(Live("TorvaneXml.Document"), 2);
    Call(root, "Constructor");
    // The tree it designated went with its last reference; root now owns an
    // empty tree of its own.
    EXPECT_EQ(Live("TorvaneXml.Document"), 1);
    EXPECT_EQ(Raw(root), "");
    Call(root, "AppendChild", {Str("n")});
    EXPECT_EQ(Raw(root), "<n/>");
}

}  // namespace
