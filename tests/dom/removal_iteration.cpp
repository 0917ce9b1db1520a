// For Each loops that remove: NodeIterator, NamedNodeIterator and
// AttributeIterator go on with the item that followed a removed current
// item, stay correct when other items go, and finish when the node they walk
// goes. Count and Any describe the range as it now is.
#include <functional>
#include <string>
#include <vector>

#include "node_support.h"

namespace {

using emu::Value;
using Strings = std::vector<std::string>;

class RemovalLoop : public DomTest {
public:
    // The table's bodies call these.
    using DomTest::Call;
    using DomTest::GetString;
    using DomTest::Str;

protected:
    // Runs For Each over `iterable`, naming each item (attributes by name,
    // text by "#value") and calling `body` with the item and its position.
    Strings Loop(const Value& iterable, const std::function<void(const Value&, int)>& body) {
        Strings seen;
        host().forEach(iterable, [&](const Value& item) {
            seen.push_back(TypeOf(item) == nt::kPcdata ? "#" + GetString(item, "Value")
                                                       : NameOf(item));
            body(item, static_cast<int>(seen.size()) - 1);
        });
        return seen;
    }
    int64_t TypeOf(const Value& item) {
        return item.className() == "TorvaneXml.Attribute" ? nt::kElement : DomTest::TypeOf(item);
    }
};

// One loop over the children of the document element.
struct ChildLoopCase {
    const char* label;
    const char* xml;
    const char* name;  // Children(name); nullptr for Children()
    // What the body does with (parent, item, position).
    std::function<void(RemovalLoop&, const Value&, const Value&, int)> body;
    Strings visited;
    const char* after;
};

void RemoveIfX(RemovalLoop& t, const Value& parent, const Value& item, int) {
    if (t.GetString(item, "Name") == "x") {
        EXPECT_TRUE(t.Call(parent, "RemoveChild", {item}).asBool());
    }
}

const ChildLoopCase kChildLoops[] = {
    {"the issue's loop",
     "<r><a/><x/><b/><x/><x/><c/></r>",
     nullptr,
     RemoveIfX,
     {"a", "x", "b", "x", "x", "c"},
     "<r><a/><b/><c/></r>"},
    {"every child",
     "<r><a/>t<b/><c/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value& item, int) {
         EXPECT_TRUE(t.Call(p, "RemoveChild", {item}).asBool());
     },
     {"a", "#t", "b", "c"},
     "<r/>"},
    {"every other child",
     "<r><a/><b/><c/><d/><e/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value& item, int i) {
         if (i % 2 == 0) t.Call(p, "RemoveChild", {item});
     },
     {"a", "b", "c", "d", "e"},
     "<r><b/><d/></r>"},
    {"the last child",
     "<r><a/><b/><c/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value& item, int i) {
         if (i == 2) t.Call(p, "RemoveChild", {item});
     },
     {"a", "b", "c"},
     "<r><a/><b/></r>"},
    {"the current one's predecessor",
     "<r><a/><b/><c/><d/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value& item, int i) {
         if (i == 2) {
             EXPECT_TRUE(t.Call(p, "RemoveChild", {t.Call(item, "PreviousSibling")}).asBool());
         }
     },
     {"a", "b", "c", "d"},
     "<r><a/><c/><d/></r>"},
    {"a later sibling, by name",
     "<r><a/><b/><c/><d/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value&, int i) {
         if (i == 0) {
             EXPECT_TRUE(t.Call(p, "RemoveChild", {t.Str("c")}).asBool());
         }
     },
     {"a", "b", "d"},
     "<r><a/><b/><d/></r>"},
    {"the next sibling from the current",
     "<r><a/><b/><c/><d/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value& item, int) {
         t.Call(p, "RemoveChild", {t.Call(item, "NextSibling")});
     },
     {"a", "c"},
     "<r><a/><c/></r>"},
    {"all children at the second",
     "<r><a/><b/><c/></r>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value&, int i) {
         if (i == 1) {
             EXPECT_TRUE(t.Call(p, "RemoveAllChildren").asBool());
         }
     },
     {"a", "b"},
     "<r/>"},
    {"the parent itself",
     "<d><r><a/><b/><c/></r></d>",
     nullptr,
     [](RemovalLoop& t, const Value& p, const Value&, int i) {
         if (i == 0) {
             EXPECT_TRUE(t.Call(t.Call(p, "Parent"), "RemoveChild", {p}).asBool());
         }
     },
     {"a"},
     "<d/>"},
    {"named: every match",
     "<r><x i='1'/><a/><x i='2'/><x i='3'/><b/></r>",
     "x",
     RemoveIfX,
     {"x", "x", "x"},
     "<r><a/><b/></r>"},
    {"named: the next match and a non-match",
     "<r><x i='1'/><a/><x i='2'/><x i='3'/></r>",
     "x",
     [](RemovalLoop& t, const Value& p, const Value&, int i) {
         if (i != 0) return;
         t.Call(p, "RemoveChild", {t.Call(p, "FindChildByAttribute", {t.Str("i"), t.Str("2")})});
         t.Call(p, "RemoveChild", {t.Str("a")});
     },
     {"x", "x"},
     "<r><x i=\"1\"/><x i=\"3\"/></r>"},
};

TEST_F(RemovalLoop, ChildLoopsVisitEveryRemainingChildOnce) {
    for (const ChildLoopCase& c : kChildLoops) {
        SCOPED_TRACE(c.label);
        Value doc = Parse(c.xml);
        // The loop's node is the element named r, wherever it stands.
        Value parent = Call(doc, "FirstElementByPath", {Str(c.xml[1] == 'd' ? "d/r" : "r")});
        Value it = c.name ? Call(parent, "Children", {Str(c.name)}) : Call(parent, "Children");
        const Strings seen =
            Loop(it, [&](const Value& item, int i) { c.body(*this, parent, item, i); });
        EXPECT_EQ(seen, c.visited);
        EXPECT_EQ(Raw(doc), c.after);
        EXPECT_FALSE(Call(it, "MoveNext").asBool());
    }
}

TEST_F(RemovalLoop, AttributeLoopsVisitEveryRemainingAttributeOnce) {
    struct Case {
        const char* label;
        std::function<void(RemovalLoop&, const Value&, const Value&, int)> body;
        Strings visited;
        const char* after;
    } cases[] = {
        {"the current by object",
         [](RemovalLoop& t, const Value& e, const Value& a, int i) {
             if (i % 2 == 0) {
                 EXPECT_TRUE(t.Call(e, "RemoveAttribute", {a}).asBool());
             }
         },
         {"a", "x", "b", "c"},
         "<r x=\"2\" c=\"4\"/>"},
        {"the current by name",
         [](RemovalLoop& t, const Value& e, const Value& a, int) {
             EXPECT_TRUE(t.Call(e, "RemoveAttribute", {t.Str(t.GetString(a, "Name"))}).asBool());
         },
         {"a", "x", "b", "c"},
         "<r/>"},
        {"a later one",
         [](RemovalLoop& t, const Value& e, const Value&, int i) {
             if (i == 0) {
                 EXPECT_TRUE(t.Call(e, "RemoveAttribute", {t.Str("b")}).asBool());
             }
         },
         {"a", "x", "c"},
         "<r a=\"1\" x=\"2\" c=\"4\"/>"},
        {"all of them",
         [](RemovalLoop& t, const Value& e, const Value&, int i) {
             if (i == 1) {
                 EXPECT_TRUE(t.Call(e, "RemoveAllAttributes").asBool());
             }
         },
         {"a", "x"},
         "<r/>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Value doc = Parse("<r a='1' x='2' b='3' c='4'/>");
        Value e = Element(doc);
        EXPECT_EQ(
            Loop(Call(e, "NodeAttributes"), [&](const Value& a, int i) { c.body(*this, e, a, i); }),
            c.visited);
        EXPECT_EQ(Raw(doc), c.after);
    }
}

TEST_F(RemovalLoop, NestedLoopsRemovingInnerAndOuterItems) {
    Value doc = Parse("<r><p><x/><k/></p><q><x/></q><p><k/><x/></p></r>");
    Value r = Element(doc);
    Strings seen;
    host().forEach(Call(r, "Children"), [&](const Value& outer) {
        seen.push_back(NameOf(outer));
        host().forEach(Call(outer, "Children"), [&](const Value& inner) {
            seen.push_back(NameOf(inner));
            if (NameOf(inner) == "x") Call(outer, "RemoveChild", {inner});
            // Removing the outer item from inside the inner loop finishes the
            // inner loop; the outer loop goes on with the next sibling.
            if (NameOf(outer) == "q") Call(r, "RemoveChild", {outer});
        });
    });
    EXPECT_EQ(seen, (Strings{"p", "x", "k", "q", "x", "p", "k", "x"}));
    EXPECT_EQ(Raw(doc), "<r><p><k/></p><p><k/></p></r>");
}

TEST_F(RemovalLoop, CountAndAnyDescribeTheRangeAsItNowIs) {
    Value doc = Parse("<r a='1' b='2'><x/><y/><x/></r>");
    Value r = Element(doc);
    Value children = Call(r, "Children"), named = Call(r, "Children", {Str("x")}),
          attributes = Call(r, "NodeAttributes");
    Call(r, "RemoveChild", {Call(r, "FirstChild")});
    Call(r, "RemoveAttribute", {Str("a")});
    EXPECT_EQ(Get(children, "Count").asInt(), 2);
    EXPECT_EQ(Get(named, "Count").asInt(), 1);
    EXPECT_EQ(Get(attributes, "Count").asInt(), 1);
    EXPECT_EQ(ChildNames(r), (Strings{"y", "x"}));
    EXPECT_TRUE(Call(r, "RemoveAllChildren").asBool());
    EXPECT_TRUE(Call(r, "RemoveAllAttributes").asBool());
    for (const Value& it : {children, named, attributes}) {
        EXPECT_EQ(Get(it, "Count").asInt(), 0);
        EXPECT_FALSE(Get(it, "Any").asBool());
        EXPECT_FALSE(Call(it, "MoveNext").asBool());
    }
}

TEST_F(RemovalLoop, IteratorsOverARemovedNodeFinish) {
    Value doc = Parse("<r><p a='1'><x/><y/></p></r>");
    Value p = Call(Element(doc), "FirstChild");
    Value children = Call(p, "Children"), named = Call(p, "Children", {Str("y")}),
          attributes = Call(p, "NodeAttributes");
    EXPECT_TRUE(Call(children, "MoveNext").asBool());
    EXPECT_TRUE(Call(Element(doc), "RemoveChild", {p}).asBool());
    for (const Value& it : {children, named, attributes}) {
        EXPECT_FALSE(Call(it, "MoveNext").asBool());
        EXPECT_TRUE(Call(it, "Value").isNil());
        EXPECT_EQ(Get(it, "Count").asInt(), 0);
    }
    EXPECT_EQ(Raw(doc), "<r/>");
}

}  // namespace
