// XPathNode: node and attribute entries and the wrappers made from them.
#include "xpath_test.h"

namespace {

class Entry : public XPathTest {};

TEST_F(Entry, NodeAttributeAndParentPerKindOfEntry) {
    struct Case {
        const char* query;
        bool nodeEmpty;
        const char* nodeName;
        bool attributeEmpty;
        const char* attributeName;
        bool parentEmpty;
        const char* parentName;
    };
    const Case cases[] = {
        {"//book[2]/@lang", true, "", false, "lang", false, "book"},
        {"//book[1]/title", false, "title", true, "", false, "book"},
        {"/catalog", false, "catalog", true, "", false, ""},
        {"/", false, "", true, "", true, ""},
        {"//book[1]/title/text()", false, "", true, "", false, "title"},
    };
    emu::Value doc = Parse(kCatalog);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        emu::Value entry = SelectNode(doc, c.query);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry.className(), "TorvaneXml.XPathNode");
        emu::Value node = Get(entry, "Node");
        emu::Value attribute = Get(entry, "Attribute");
        emu::Value parent = Get(entry, "Parent");
        ASSERT_TRUE(node && attribute && parent);
        EXPECT_EQ(Get(node, "Empty").asBool(), c.nodeEmpty);
        EXPECT_EQ(GetString(node, "Name"), c.nodeName);
        EXPECT_EQ(Get(attribute, "Empty").asBool(), c.attributeEmpty);
        EXPECT_EQ(GetString(attribute, "Name"), c.attributeName);
        EXPECT_EQ(Get(parent, "Empty").asBool(), c.parentEmpty);
        EXPECT_EQ(GetString(parent, "Name"), c.parentName);
    }
}

TEST_F(Entry, DocumentNodeEntryIsTheDocument) {
    emu::Value doc = Parse(kCatalog);
    emu::Value node = Get(SelectNode(doc, "/"), "Node");
    EXPECT_EQ(Get(node, "Type").asInt(), 1);
    EXPECT_EQ(host().compare(node, doc), 0);
}

TEST_F(Entry, WrappersDesignateTheSelectedNodes) {
    emu::Value doc = Parse(kCatalog);
    emu::Value entry = SelectNode(doc, "//book[3]/@id");
    emu::Value parent = Get(entry, "Parent");
    emu::Value book = Call(Call(doc, "DocumentElement"), "LastChild");
    EXPECT_EQ(host().compare(parent, book), 0);
    EXPECT_NE(host().compare(parent, Call(book, "PreviousSibling")), 0);
    // Each read makes a new wrapper; editing through it edits the tree.
    emu::Value attribute = Get(entry, "Attribute");
    EXPECT_NE(attribute.object(), Get(entry, "Attribute").object());
    host().set(attribute, "Name", Str("ref"));
    EXPECT_EQ(Entries(SelectNodes(doc, "//@ref")), Strings{"@ref=b3"});
}

}  // namespace
