// XPath results across removals: an XPathNode into a removed part answers
// empty wrappers; an XPathNodeSet and its iterators skip removed entries and
// count what remains; a node set stored in an XPathVariableSet drops them.
#include <functional>
#include <string>
#include <vector>

#include "xpath_test.h"

namespace {

using emu::Value;

class XPathRemoval : public XPathTest {
public:  // the table's removals call these
    using XPathTest::Call;
    using XPathTest::Str;
    Value catalog_, root_;

    void SetUp() override {
        XPathTest::SetUp();
        catalog_ = Parse(kCatalog);
        root_ = Call(catalog_, "DocumentElement");
    }
    void TearDown() override {
        catalog_ = root_ = Value();
        XPathTest::TearDown();
    }

    Value Book(const char* id) {
        return Call(root_, "FindChildByAttribute", {Str("book"), Str("id"), Str(id)});
    }
    int64_t Count(const Value& set) { return Get(Call(set, "XPathNodes"), "Count").asInt(); }
};

TEST_F(XPathRemoval, NodeSetsSkipEveryKindOfRemovedEntry) {
    struct Case {
        const char* label;
        const char* query;
        std::function<void(XPathRemoval&)> remove;
        Strings remaining;
    } cases[] = {
        {"an entry itself",
         "//book",
         [](XPathRemoval& t) { t.Call(t.root_, "RemoveChild", {t.Book("b2")}); },
         {"book", "book"}},
        {"entries below a node removed by name",
         "//price/text()",
         [](XPathRemoval& t) { t.Call(t.root_, "RemoveChild", {t.Str("book")}); },
         {"#25.5", "#7"}},
        {"attribute entries by name",
         "//@id",
         [](XPathRemoval& t) { t.Call(t.Book("b1"), "RemoveAttribute", {t.Str("id")}); },
         {"@id=b2", "@id=b3"}},
        {"every attribute of an element",
         "//@*",
         [](XPathRemoval& t) { t.Call(t.Book("b2"), "RemoveAllAttributes"); },
         {"@id=b1", "@lang=en", "@id=b3"}},
        {"attributes of a removed element",
         "//@lang",
         [](XPathRemoval& t) { t.Call(t.root_, "RemoveChild", {t.Book("b1")}); },
         {"@lang=de"}},
        {"everything",
         "//book | //price",
         [](XPathRemoval& t) { t.Call(t.root_, "RemoveAllChildren"); },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        catalog_ = Parse(kCatalog);
        root_ = Call(catalog_, "DocumentElement");
        Value set = SelectNodes(root_, c.query);
        Value iterator = Call(set, "XPathNodes");
        c.remove(*this);
        EXPECT_EQ(Entries(set), c.remaining);
        EXPECT_EQ(Count(set), static_cast<int64_t>(c.remaining.size()));
        EXPECT_EQ(Get(iterator, "Any").asBool(), !c.remaining.empty());
        int64_t walked = 0;
        host().forEach(iterator, [&](const Value& entry) {
            EXPECT_FALSE(entry.isNil());
            ++walked;
        });
        EXPECT_EQ(walked, static_cast<int64_t>(c.remaining.size()));
    }
}

TEST_F(XPathRemoval, AnIteratorPastRemovedEntriesGoesOnWithTheNextThatStays) {
    Value set = SelectNodes(root_, "//book");
    Value it = Call(set, "XPathNodes");
    Strings seen;
    host().forEach(it, [&](const Value& entry) {
        seen.push_back(GetString(Call(Get(entry, "Node"), "Attribute", {Str("id")}), "AsString"));
        // Removing the current entry and the next one: the walk goes on with b3.
        if (seen.size() == 1) {
            Call(root_, "RemoveChild", {Get(entry, "Node")});
            Call(root_, "RemoveChild", {Book("b2")});
        }
    });
    EXPECT_EQ(seen, (Strings{"b1", "b3"}));
    EXPECT_EQ(Entries(set), (Strings{"book"}));
    EXPECT_EQ(GetString(Call(root_, "FirstChild"), "Name"), "book");
}

TEST_F(XPathRemoval, AnEntryIntoARemovedPartAnswersEmptyWrappers) {
    Value title = SelectNode(root_, "book[@id='b1']/title");
    Value lang = SelectNode(root_, "book[@id='b1']/@lang");
    Value kept = SelectNode(root_, "book[@id='b2']/@lang");
    Value evaluated = Call(Query("//price"), "EvaluateNode", {root_});
    ASSERT_TRUE(Call(root_, "RemoveChild", {Book("b1")}).asBool());
    for (const Value& entry : {title, lang, evaluated}) {
        for (const char* part : {"Node", "Attribute", "Parent"}) {
            Value wrapper = Get(entry, part);
            ASSERT_FALSE(wrapper.isNil()) << part;
            EXPECT_TRUE(Get(wrapper, "Empty").asBool()) << part;
        }
    }
    EXPECT_EQ(GetString(Get(kept, "Attribute"), "AsString"), "de");
    EXPECT_EQ(GetString(Get(kept, "Parent"), "Name"), "book");
}

TEST_F(XPathRemoval, StoredNodeSetsDropRemovedEntries) {
    Value vars = Variables();
    Call(vars, "Set", {Str("books"), SelectNodes(root_, "book")});
    Call(vars, "Set", {Str("ids"), SelectNodes(root_, "book/@id")});
    Value books = Query("$books/title", vars);
    Value ids = Query("$ids", vars);
    ASSERT_TRUE(Call(root_, "RemoveChild", {Book("b2")}).asBool());
    ASSERT_TRUE(Call(Book("b3"), "RemoveAttribute", {Str("id")}).asBool());
    EXPECT_EQ(Entries(Call(books, "EvaluateNodeSet", {root_})), (Strings{"title", "title"}));
    EXPECT_EQ(Entries(Call(ids, "EvaluateNodeSet", {root_})), (Strings{"@id=b1"}));
    EXPECT_EQ(Call(Query("count($books)", vars), "EvaluateNumber", {root_}).asDouble(), 2.0);
    // A set holding removed entries stores only the rest.
    Value titles = SelectNodes(root_, "//title");
    ASSERT_TRUE(Call(root_, "RemoveChild", {Book("b1")}).asBool());
    Call(vars, "Set", {Str("titles"), titles});
    EXPECT_EQ(Entries(Call(Query("$titles", vars), "EvaluateNodeSet", {root_})),
              (Strings{"title"}));
}

TEST_F(XPathRemoval, EntriesFromAnotherDocumentFollowThatDocumentsRemovals) {
    Value other = Parse("<o><x/><y/></o>");
    Value vars = Variables();
    Call(vars, "Set", {Str("xs"), SelectNodes(Call(other, "DocumentElement"), "*")});
    // "$xs | //title" brings entries of both trees into one result.
    Value mixed = SelectNodes(root_, "$xs | //title", vars);
    ASSERT_EQ(Count(mixed), 5);
    Value o = Call(other, "DocumentElement");
    ASSERT_TRUE(Call(o, "RemoveChild", {Str("x")}).asBool());
    EXPECT_EQ(Count(mixed), 4);
    EXPECT_EQ(Entries(SelectNodes(root_, "$xs", vars)), (Strings{"y"}));
    other = Value();
    o = Value();
    EXPECT_EQ(Entries(mixed), (Strings{"y", "title", "title", "title"}));
}

TEST_F(XPathRemoval, LargeSetsDropOnlyWhatIsRemoved) {
    // Past the size a set is scanned at, removals are looked up in an index.
    std::string xml = "<r>";
    for (int i = 0; i < 100; ++i) xml += "<i n='" + std::to_string(i) + "'><j/></i>";
    xml += "</r>";
    Value r = Call(Parse(xml), "DocumentElement");
    Value items = SelectNodes(r, "i"), attributes = SelectNodes(r, "i/@n"),
          inner = SelectNodes(r, "i/j");
    int64_t removed = 0;
    host().forEach(Call(r, "Children"), [&](const Value& child) {
        if (std::stoi(GetString(Call(child, "Attribute", {Str("n")}), "AsString")) % 3 == 0) {
            Call(r, "RemoveChild", {child});
            ++removed;
        }
    });
    Call(Call(r, "FirstChild"), "RemoveAllChildren");
    for (const Value& set : {items, attributes}) EXPECT_EQ(Count(set), 100 - removed);
    EXPECT_EQ(Count(inner), 100 - removed - 1);
    EXPECT_EQ(Get(Call(SelectNodes(r, "i[1]/@n"), "XPathNodes"), "Count").asInt(), 1);
    EXPECT_EQ(Entries(attributes).front(), "@n=1");
}

}  // namespace
