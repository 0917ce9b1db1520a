// Objects of the XPath classes made by class name, with no factory or
// constructor run, behave as empty and never fault.
#include "xpath_test.h"

namespace {

class NeverBound : public XPathTest {};

TEST_F(NeverBound, NodeSetIsEmpty) {
    emu::Value set = Unbound("TorvaneXml.XPathNodeSet");
    ASSERT_TRUE(set);
    emu::Value it = Call(set, "XPathNodes");
    EXPECT_EQ(Get(it, "Count").asInt(), 0);
    EXPECT_FALSE(Get(it, "Any").asBool());
    EXPECT_FALSE(Call(it, "Value"));
    EXPECT_FALSE(Call(it, "MoveNext").asBool());
    EXPECT_FALSE(Call(it, "MoveNext").asBool());
    EXPECT_TRUE(host().collect(Call(set, "XPathNodes")).empty());
    // As a variable value it is an empty node set.
    emu::Value doc = Parse(XPathTest::kCatalog);
    emu::Value vars = Variables();
    Call(vars, "Set", {Str("v"), set});
    EXPECT_EQ(Call(Query("count($v)", vars), "EvaluateNumber", {doc}).asDouble(), 0);
}

TEST_F(NeverBound, IteratorWalksNothing) {
    emu::Value it = Unbound("TorvaneXml.XPathNodeIterator");
    ASSERT_TRUE(it);
    EXPECT_EQ(Get(it, "Count").asInt(), 0);
    EXPECT_FALSE(Get(it, "Any").asBool());
    EXPECT_FALSE(Call(it, "MoveNext").asBool());
    EXPECT_FALSE(Call(it, "Value"));
    EXPECT_TRUE(host().collect(it).empty());
}

TEST_F(NeverBound, EntryGivesEmptyWrappers) {
    emu::Value entry = Unbound("TorvaneXml.XPathNode");
    ASSERT_TRUE(entry);
    for (const char* property : {"Node", "Attribute", "Parent"}) {
        SCOPED_TRACE(property);
        emu::Value wrapper = Get(entry, property);
        ASSERT_TRUE(wrapper);
        EXPECT_TRUE(Get(wrapper, "Empty").asBool());
    }
}

TEST_F(NeverBound, QueryAnswersEmptyValuesWithoutRaising) {
    emu::Value q = Unbound("TorvaneXml.XPathQuery");
    ASSERT_TRUE(q);
    emu::Value doc = Parse(XPathTest::kCatalog);
    EXPECT_FALSE(Call(q, "EvaluateNodeSet", {doc}));
    EXPECT_EQ(Call(q, "EvaluateNumber", {doc}).asDouble(), 0.0);
    EXPECT_FALSE(Call(q, "EvaluateBoolean", {doc}).asBool());
    EXPECT_EQ(Call(q, "EvaluateString", {doc}).asString(), "");
    EXPECT_FALSE(Call(q, "EvaluateNode", {doc}));
    // The nil node is still refused first.
    ExpectXPathError([&] { Call(q, "EvaluateNumber", {Nil()}); }, 1);
}

TEST_F(NeverBound, VariableSetIsCreatedOnFirstUseAndEmptyBefore) {
    emu::Value doc = Parse(XPathTest::kCatalog);
    emu::Value vars = Unbound("TorvaneXml.XPathVariableSet");
    ASSERT_TRUE(vars);
    // Before any variable: the same as no set at all.
    emu::HostException e = ExpectXPathError([&] { Query("$x", vars); }, -1);
    EXPECT_EQ(e.message, "Unknown variable: variable set is not provided");
    EXPECT_EQ(Entries(SelectNodes(doc, "//book[1]", vars)), Strings{"book"});
    EXPECT_FALSE(SelectNode(doc, "//magazine", vars));
    emu::Value plain = Query("count(//book)", vars);
    EXPECT_EQ(Call(plain, "EvaluateNumber", {doc}).asDouble(), 3);

    Call(vars, "Add", {Str("a"), XPathType(2)});
    Call(vars, "Set", {Str("id"), Str("b2")});
    EXPECT_EQ(Entries(SelectNodes(doc, "//book[@id=$id]/@lang", vars)), Strings{"@lang=de"});
    EXPECT_EQ(Call(Query("$a + 1", vars), "EvaluateNumber", {doc}).asDouble(), 1);

    emu::Value other = Unbound("TorvaneXml.XPathVariableSet");
    Call(other, "Set", {Str("n"), SelectNodes(doc, "//book")});
    EXPECT_EQ(Call(Query("count($n)", other), "EvaluateNumber", {doc}).asDouble(), 3);
}

TEST_F(NeverBound, NeverBoundContextNodeSelectsNothing) {
    emu::Value node = Unbound("TorvaneXml.Node");
    ASSERT_TRUE(node);
    EXPECT_EQ(Entries(SelectNodes(node, "//book")), Strings{});
    EXPECT_FALSE(SelectNode(node, "//book"));
    EXPECT_EQ(Call(Query("count(//book)"), "EvaluateNumber", {node}).asDouble(), 0);
    EXPECT_EQ(Entries(Call(Query("//book"), "EvaluateNodeSet", {node})), Strings{});
}

}  // namespace
