// XPath results keep their documents alive, and release them with the last
// holder.
#include "xpath_test.h"

namespace {

class ResultLifetime : public XPathTest {};

TEST_F(ResultLifetime, SetIteratorAndEntryOutliveDocumentContextAndQuery) {
    emu::Value set, it, entry, fromQuery, nodeFromQuery;
    {
        emu::Value doc = Parse(kCatalog);
        emu::Value context = Call(doc, "DocumentElement");
        emu::Value q = Query("book/title");
        set = SelectNodes(context, "book/@id");
        it = Call(set, "XPathNodes");
        entry = SelectNode(context, "book[2]/title");
        fromQuery = Call(q, "EvaluateNodeSet", {context});
        nodeFromQuery = Call(q, "EvaluateNode", {context});
    }
    EXPECT_EQ(LiveDocuments(), 1);
    EXPECT_EQ(Live("TorvaneXml.XPathQuery"), 0);
    EXPECT_EQ(Entries(set), (Strings{"@id=b1", "@id=b2", "@id=b3"}));
    ASSERT_TRUE(Call(it, "MoveNext").asBool());
    EXPECT_EQ(Describe(Call(it, "Value")), "@id=b1");
    EXPECT_EQ(GetString(Get(entry, "Node"), "TextValue"), "Beta");
    EXPECT_EQ(Entries(fromQuery), (Strings{"title", "title", "title"}));
    EXPECT_EQ(GetString(Get(nodeFromQuery, "Node"), "TextValue"), "Alpha");

    // Released only with the last holder, in any order.
    set = {};
    EXPECT_EQ(LiveDocuments(), 1);
    it = {};
    entry = {};
    fromQuery = {};
    EXPECT_EQ(LiveDocuments(), 1);
    emu::Value node = Get(nodeFromQuery, "Node");
    nodeFromQuery = {};
    EXPECT_EQ(LiveDocuments(), 1);
    EXPECT_EQ(GetString(node, "Name"), "title");
    node = {};
    EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(ResultLifetime, IteratorKeepsItsSetAlive) {
    emu::Value it;
    {
        emu::Value doc = Parse(kCatalog);
        it = Call(SelectNodes(doc, "//title"), "XPathNodes");
    }
    EXPECT_EQ(Live("TorvaneXml.XPathNodeSet"), 1);
    Strings seen;
    while (Call(it, "MoveNext").asBool())
        seen.push_back(GetString(Get(Call(it, "Value"), "Node"), "TextValue"));
    EXPECT_EQ(seen, (Strings{"Alpha", "Beta", "Gamma"}));
    it = {};
    EXPECT_EQ(Live("TorvaneXml.XPathNodeSet"), 0);
    EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(ResultLifetime, WrappersFromAnEntryLockTheDocumentDirectly) {
    emu::Value attribute, parent;
    {
        emu::Value doc = Parse(kCatalog);
        emu::Value entry = SelectNode(doc, "//book[3]/@id");
        attribute = Get(entry, "Attribute");
        parent = Get(entry, "Parent");
    }
    EXPECT_EQ(Live("TorvaneXml.XPathNode"), 0);
    EXPECT_EQ(GetString(attribute, "AsString"), "b3");
    EXPECT_EQ(GetString(parent, "Name"), "book");
    attribute = {};
    EXPECT_EQ(LiveDocuments(), 1);
    parent = {};
    EXPECT_EQ(LiveDocuments(), 0);
}

}  // namespace
