// XPathNodeIterator: the For Each protocol over a node set.
#include "xpath_test.h"

namespace {

class IteratorProtocol : public XPathTest {};

TEST_F(IteratorProtocol, CountAndAnyStayConstantWhileIterating) {
    emu::Value doc = Parse(kCatalog);
    struct Case {
        const char* query;
        int64_t count;
    };
    for (const Case& c :
         {Case{"//book", 3}, Case{"//@*", 5}, Case{"/catalog", 1}, Case{"//x", 0}}) {
        SCOPED_TRACE(c.query);
        emu::Value it = Call(SelectNodes(doc, c.query), "XPathNodes");
        int64_t steps = 0;
        do {
            EXPECT_EQ(Get(it, "Count").asInt(), c.count);
            EXPECT_EQ(Get(it, "Any").asBool(), c.count > 0);
        } while (Call(it, "MoveNext").asBool() && ++steps <= c.count);
        EXPECT_EQ(steps, c.count);
        EXPECT_EQ(Get(it, "Count").asInt(), c.count);
        EXPECT_EQ(Get(it, "Any").asBool(), c.count > 0);
    }
}

TEST_F(IteratorProtocol, ValueBeforeFirstMoveNextIsTheFirstEntry) {
    emu::Value doc = Parse(kCatalog);
    emu::Value it = Call(SelectNodes(doc, "//book/@id"), "XPathNodes");
    EXPECT_EQ(Describe(Call(it, "Value")), "@id=b1");
    ASSERT_TRUE(Call(it, "MoveNext").asBool());
    EXPECT_EQ(Describe(Call(it, "Value")), "@id=b1");
    // Each Value() is a new object.
    emu::Value a = Call(it, "Value");
    emu::Value b = Call(it, "Value");
    EXPECT_NE(a.object(), b.object());
}

TEST_F(IteratorProtocol, StaysAtTheEndAfterMoveNextAnsweredFalse) {
    emu::Value doc = Parse(kCatalog);
    emu::Value it = Call(SelectNodes(doc, "//title"), "XPathNodes");
    EXPECT_EQ(host().collect(it).size(), 3u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(Call(it, "MoveNext").asBool());
        EXPECT_FALSE(Call(it, "Value"));
    }
    // A second For Each over the same iterator object sees nothing more.
    EXPECT_TRUE(host().collect(it).empty());
    EXPECT_EQ(Get(it, "Count").asInt(), 3);
}

TEST_F(IteratorProtocol, IteratorReturnsItselfWithoutRewinding) {
    emu::Value doc = Parse(kCatalog);
    emu::Value it = Call(SelectNodes(doc, "//title"), "XPathNodes");
    ASSERT_TRUE(Call(it, "MoveNext").asBool());
    ASSERT_TRUE(Call(it, "MoveNext").asBool());
    emu::Value self = Call(it, "Iterator");
    EXPECT_EQ(self.object(), it.object());
    EXPECT_EQ(GetString(Get(Call(self, "Value"), "Node"), "TextValue"), "Beta");
    Strings rest;
    host().forEach(it, [&](const emu::Value& e) { rest.push_back(Describe(e)); });
    // For Each calls MoveNext first, which steps past Beta.
    EXPECT_EQ(rest, Strings{"title"});
}

TEST_F(IteratorProtocol, TwoIteratorsOverOneSetAreIndependent) {
    emu::Value doc = Parse(kCatalog);
    emu::Value set = SelectNodes(doc, "//title/text()");
    emu::Value first = Call(set, "XPathNodes");
    emu::Value second = Call(set, "XPathNodes");
    EXPECT_NE(first.object(), second.object());
    ASSERT_TRUE(Call(first, "MoveNext").asBool());
    ASSERT_TRUE(Call(first, "MoveNext").asBool());
    ASSERT_TRUE(Call(second, "MoveNext").asBool());
    EXPECT_EQ(Describe(Call(first, "Value")), "#Beta");
    EXPECT_EQ(Describe(Call(second, "Value")), "#Alpha");
    EXPECT_EQ(host().collect(first).size(), 1u);
    EXPECT_EQ(host().collect(second).size(), 2u);
    // A third one starts afresh after both ran out.
    EXPECT_EQ(Entries(set), (Strings{"#Alpha", "#Beta", "#Gamma"}));
}

}  // namespace
