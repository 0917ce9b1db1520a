// NodeIterator, NamedNodeIterator and AttributeIterator: the host's For Each
// protocol, Count and Any, live ranges, and lifetime.
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using emu::Value;

class IteratorTest : public PluginTest {
protected:
    Value Element(std::string_view xml) { return Call(Parse(xml), "DocumentElement"); }
    Value Children(const Value& e) { return Call(e, "Children"); }
    Value Named(const Value& e, std::string_view name) { return Call(e, "Children", {Str(name)}); }
    Value Attributes(const Value& e) { return Call(e, "NodeAttributes"); }
    bool MoveNext(const Value& it) { return Call(it, "MoveNext").asBool(); }
    std::vector<std::string> Names(const Value& iterable, const char* property = "Name") {
        std::vector<std::string> names;
        host().forEach(iterable, [&](const Value& v) { names.push_back(GetString(v, property)); });
        return names;
    }
    using Strings = std::vector<std::string>;
};

TEST_F(IteratorTest, ChildrenYieldEveryNodeTypeInOrder) {
    Value e = Element("<r><a/>text<![CDATA[c]]><b/></r>");
    Value it = Children(e);
    EXPECT_EQ(it.className(), "TorvaneXml.NodeIterator");
    std::vector<int64_t> types;
    host().forEach(it, [&](const Value& v) {
        EXPECT_EQ(v.className(), "TorvaneXml.Node");
        types.push_back(Get(v, "Type").asInt());
    });
    EXPECT_EQ(types, (std::vector<int64_t>{2, 3, 4, 2}));
}

TEST_F(IteratorTest, NamedChildrenMatchTheWholeNameByteForByte) {
    Value e = Element("<r><b i='1'/><a/><b i='2'/><bb/><B/><b i='3'/></r>");
    Value it = Named(e, "b");
    EXPECT_EQ(it.className(), "TorvaneXml.NamedNodeIterator");
    EXPECT_EQ(Get(it, "Count").asInt(), 3);
    Strings ids;
    host().forEach(it, [&](const Value& v) {
        ids.push_back(GetString(Call(v, "Attribute", {Str("i")}), "AsString"));
    });
    EXPECT_EQ(ids, (Strings{"1", "2", "3"}));
    EXPECT_EQ(Get(Named(e, "x"), "Count").asInt(), 0);
    EXPECT_EQ(Get(Named(e, ""), "Count").asInt(), 0);
}

TEST_F(IteratorTest, AttributesYieldAttributeObjectsInOrder) {
    Value e = Element("<r z='1' a='2' m='3'/>");
    Value it = Attributes(e);
    EXPECT_EQ(it.className(), "TorvaneXml.AttributeIterator");
    Strings seen;
    host().forEach(it, [&](const Value& v) {
        EXPECT_EQ(v.className(), "TorvaneXml.Attribute");
        seen.push_back(GetString(v, "Name") + "=" + GetString(v, "AsString"));
    });
    EXPECT_EQ(seen, (Strings{"z=1", "a=2", "m=3"}));
}

// The protocol step by step, the same for all three classes.
TEST_F(IteratorTest, ProtocolBeforeDuringAndAfterTheLoop) {
    Value e = Element("<r p='1' q='2'><x/><x/></r>");
    const struct {
        const char* label;
        Value it;
        const char* property;
        Strings items;
    } cases[] = {
        {"children", Children(e), "Name", {"x", "x"}},
        {"named", Named(e, "x"), "Name", {"x", "x"}},
        {"attributes", Attributes(e), "AsString", {"1", "2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Value& it = c.it;
        EXPECT_EQ(Get(it, "Count").asInt(), 2);
        EXPECT_TRUE(Get(it, "Any").asBool());
        // Before the first MoveNext, Value() is the first item.
        EXPECT_EQ(GetString(Call(it, "Value"), c.property), c.items[0]);
        ASSERT_TRUE(MoveNext(it));
        EXPECT_EQ(GetString(Call(it, "Value"), c.property), c.items[0]);
        // Two Value() calls at one position: two objects, equal.
        Value v1 = Call(it, "Value");
        Value v2 = Call(it, "Value");
        EXPECT_NE(v1.object(), v2.object());
        EXPECT_EQ(host().compare(v1, v2), 0);
        EXPECT_EQ(Get(it, "Count").asInt(), 2);
        ASSERT_TRUE(MoveNext(it));
        EXPECT_EQ(GetString(Call(it, "Value"), c.property), c.items[1]);
        EXPECT_NE(host().compare(v1, Call(it, "Value")), 0);
        EXPECT_FALSE(MoveNext(it));
        EXPECT_TRUE(Call(it, "Value").isNil());
        // Finished stays finished.
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(MoveNext(it));
        EXPECT_TRUE(Call(it, "Value").isNil());
        EXPECT_EQ(Get(it, "Count").asInt(), 2);
        EXPECT_TRUE(Get(it, "Any").asBool());
    }
}

TEST_F(IteratorTest, EmptyRangesAndEmptyNodes) {
    Value leaf = Element("<r/>");
    Value missing = Call(leaf, "FirstChild");
    ASSERT_TRUE(Get(missing, "Empty").asBool());
    const Value its[] = {Children(leaf),    Named(leaf, "a"),    Attributes(leaf),
                         Children(missing), Named(missing, "a"), Attributes(missing)};
    for (const Value& it : its) {
        SCOPED_TRACE(it.className());
        EXPECT_EQ(Get(it, "Count").asInt(), 0);
        EXPECT_FALSE(Get(it, "Any").asBool());
        EXPECT_TRUE(Call(it, "Value").isNil());
        EXPECT_FALSE(MoveNext(it));
        EXPECT_FALSE(MoveNext(it));
        EXPECT_TRUE(Call(it, "Value").isNil());
        EXPECT_TRUE(host().collect(it).empty());
    }
}

TEST_F(IteratorTest, NeverBoundIteratorsAreEmptyRanges) {
    for (const char* name : {"TorvaneXml.NodeIterator", "TorvaneXml.NamedNodeIterator",
                             "TorvaneXml.AttributeIterator"}) {
        SCOPED_TRACE(name);
        Value it = host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass", {Str(name)});
        ASSERT_EQ(it.className(), name);
        EXPECT_EQ(Get(it, "Count").asInt(), 0);
        EXPECT_FALSE(Get(it, "Any").asBool());
        EXPECT_TRUE(Call(it, "Value").isNil());
        EXPECT_FALSE(MoveNext(it));
        EXPECT_TRUE(host().collect(it).empty());
    }
}

TEST_F(IteratorTest, IteratorReturnsItselfWithoutRewinding) {
    Value e = Element("<r><a/><b/><c/></r>");
    Value it = Children(e);
    Value same = Call(it, "Iterator");
    EXPECT_EQ(same.object(), it.object());
    ASSERT_TRUE(MoveNext(it));
    ASSERT_TRUE(MoveNext(it));
    // A For Each over the same object continues where the steps stopped.
    EXPECT_EQ(Names(it), (Strings{"c"}));
    EXPECT_TRUE(Names(it).empty());
    // A fresh iterator starts over.
    EXPECT_EQ(Names(Children(e)), (Strings{"a", "b", "c"}));
}

TEST_F(IteratorTest, RangesAreWalkedLive) {
    Value e = Element("<r><a/><b/></r>");
    Strings seen;
    bool appended = false;
    host().forEach(Children(e), [&](const Value& v) {
        seen.push_back(GetString(v, "Name"));
        if (!appended) {
            Call(e, "AppendChild", {Str("c")});
            appended = true;
        }
    });
    EXPECT_EQ(seen, (Strings{"a", "b", "c"}));

    // Named: an appended match is reached, a non-match skipped.
    seen.clear();
    appended = false;
    host().forEach(Named(e, "b"), [&](const Value& v) {
        seen.push_back(GetString(v, "Name"));
        if (!appended) {
            Call(e, "AppendChild", {Str("z")});
            Call(e, "AppendChild", {Str("b")});
            appended = true;
        }
    });
    EXPECT_EQ(seen, (Strings{"b", "b"}));

    // Attributes, and Count follows the tree.
    Value attrs = Attributes(e);
    EXPECT_EQ(Get(attrs, "Count").asInt(), 0);
    Call(e, "AppendAttribute", {Str("k")});
    // Made over an empty range: later additions are not seen.
    EXPECT_FALSE(MoveNext(attrs));
    Value attrs2 = Attributes(e);
    ASSERT_TRUE(MoveNext(attrs2));
    Call(e, "AppendAttribute", {Str("l")});
    EXPECT_EQ(Get(attrs2, "Count").asInt(), 2);
    ASSERT_TRUE(MoveNext(attrs2));
    EXPECT_EQ(GetString(Call(attrs2, "Value"), "Name"), "l");
}

TEST_F(IteratorTest, NamedIteratorKeepsItsOwnCopyOfTheName) {
    Value e = Element("<r><item/><other/><item/></r>");
    Value it = Named(e, "item");
    // Renaming the first match in place (pugixml reuses its name bytes for a
    // shorter name) does not change what the iterator looks for.
    Value first = Call(e, "FirstChild");
    ASSERT_TRUE(MoveNext(it));
    host().set(first, "Name", Str("xy"));
    ASSERT_TRUE(MoveNext(it));
    EXPECT_EQ(GetString(Call(it, "Value"), "Name"), "item");
    EXPECT_FALSE(MoveNext(it));
    // begin stays on the renamed first child; the steps after it still look
    // for "item".
    EXPECT_EQ(Get(it, "Count").asInt(), 2);
}

TEST_F(IteratorTest, IteratorAloneKeepsTheDocumentAlive) {
    Value children, named, attrs;
    {
        Value e = Element("<r k='v'><a/><a/></r>");
        children = Children(e);
        named = Named(e, "a");
        attrs = Attributes(e);
    }
    EXPECT_EQ(Names(children), (Strings{"a", "a"}));
    EXPECT_EQ(Get(named, "Count").asInt(), 2);
    Value item;
    ASSERT_TRUE(MoveNext(attrs));
    item = Call(attrs, "Value");
    children = {};
    named = {};
    attrs = {};
    // The wrapper from Value() holds the document in turn.
    EXPECT_EQ(GetString(item, "AsString"), "v");
}

}  // namespace
