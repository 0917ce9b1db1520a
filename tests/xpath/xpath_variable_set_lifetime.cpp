// Node-set variables keep the trees of their entries alive, and results that
// bring entries of another tree keep that tree alive too.
#include "xpath_test.h"

namespace {

class VariableLifetime : public XPathTest {
protected:
    // Churns the allocator so that a freed tree would be reused.
    void Churn() {
        for (int i = 0; i < 20; ++i)
            Parse("<junk><a x='" + std::string(200, 'z') + "'/><b>" + std::string(300, 'y') +
                  "</b></junk>");
    }
};

TEST_F(VariableLifetime, NodeSetVariableOutlivesItsDocumentAndSet) {
    emu::Value vars = Variables();
    {
        emu::Value other = Parse("<items><item>one</item><item>two</item></items>");
        Call(vars, "Set", {Str("items"), SelectNodes(other, "//item")});
    }
    EXPECT_EQ(LiveDocuments(), 1);
    Churn();
    emu::Value doc = Parse(kCatalog);
    emu::Value q = Query("string($items[2])", vars);
    EXPECT_EQ(Call(q, "EvaluateString", {doc}).asString(), "two");
    EXPECT_EQ(Call(Query("count($items)", vars), "EvaluateNumber", {doc}).asDouble(), 2);
    doc = {};
    q = {};
    vars = {};
    EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(VariableLifetime, ReplacingTheValueReleasesTheFirstDocument) {
    emu::Value vars = Variables();
    emu::Value first = Parse("<a><x/></a>");
    Call(vars, "Set", {Str("v"), SelectNodes(first, "//x")});
    first = {};
    EXPECT_EQ(LiveDocuments(), 1);
    {
        emu::Value second = Parse("<b><y/><y/></b>");
        Call(vars, "Set", {Str("v"), SelectNodes(second, "//y")});
    }
    // The first tree is gone, the second is held by the variable.
    EXPECT_EQ(LiveDocuments(), 1);
    emu::Value doc = Parse(kCatalog);
    EXPECT_EQ(Call(Query("count($v)", vars), "EvaluateNumber", {doc}).asDouble(), 2);
    EXPECT_EQ(Call(Query("name($v)", vars), "EvaluateString", {doc}).asString(), "y");

    // A refused Set keeps the value and its lock.
    ExpectXPathError([&] { Call(vars, "Set", {Str("v"), Str("text")}); }, -19);
    EXPECT_EQ(LiveDocuments(), 2);

    // Same document again: still exactly one holder.
    emu::Value third = Parse("<c><z/></c>");
    Call(vars, "Set", {Str("v"), SelectNodes(third, "//z")});
    Call(vars, "Set", {Str("v"), SelectNodes(third, "/c")});
    EXPECT_EQ(LiveDocuments(), 2);  // doc and third
    third = {};
    EXPECT_EQ(LiveDocuments(), 2);
    vars = {};
    EXPECT_EQ(LiveDocuments(), 1);
}

TEST_F(VariableLifetime, EmptyNodeSetValueHoldsNoDocument) {
    emu::Value vars = Variables();
    {
        emu::Value other = Parse("<a/>");
        Call(vars, "Set", {Str("v"), SelectNodes(other, "//missing")});
    }
    EXPECT_EQ(LiveDocuments(), 0);
}

TEST_F(VariableLifetime, ResultsWithEntriesOfAnotherDocumentKeepItAlive) {
    emu::Value doc = Parse(kCatalog);
    emu::Value vars = Variables();
    {
        emu::Value other = Parse("<items><item k='1'>one</item><item k='2'>two</item></items>");
        Call(vars, "Set", {Str("items"), SelectNodes(other, "//item")});
    }
    // Results mixing both trees, through every result path.
    emu::Value q = Query("$items | //book[1]", vars);
    emu::Value mixed = Call(q, "EvaluateNodeSet", {doc});
    emu::Value selected = SelectNodes(doc, "$items/@k", vars);
    emu::Value entry = Call(Query("$items[2]", vars), "EvaluateNode", {doc});
    emu::Value single = SelectNode(doc, "$items[1]/@k", vars);
    emu::Value it = Call(mixed, "XPathNodes");
    // The variable set and query go; the other tree must stay for the results.
    vars = {};
    q = {};
    Churn();
    EXPECT_EQ(Entries(mixed).size(), 3u);
    EXPECT_EQ(Entries(selected), (Strings{"@k=1", "@k=2"}));
    EXPECT_EQ(GetString(Get(entry, "Node"), "TextValue"), "two");
    EXPECT_EQ(GetString(Get(single, "Parent"), "TextValue"), "one");
    emu::Value otherNode;
    Strings texts;
    host().forEach(it, [&](const emu::Value& e) {
        emu::Value node = Get(e, "Node");
        texts.push_back(GetString(node, "Name"));
        if (GetString(node, "Name") == "item") otherNode = node;
    });
    EXPECT_EQ(texts.size(), 3u);
    EXPECT_EQ(LiveDocuments(), 2);
    mixed = {};
    selected = {};
    entry = {};
    single = {};
    it = {};
    EXPECT_EQ(LiveDocuments(), 2);  // otherNode still points into the other tree
    EXPECT_EQ(GetString(otherNode, "TextValue"), "two");
    otherNode = {};
    EXPECT_EQ(LiveDocuments(), 1);
}

// A Document constructed again still holds its first tree for the wrappers
// into it; results that bring entries of that tree through a variable must
// hold that Document, whichever node they were selected from.
TEST_F(VariableLifetime, EntriesOfATreeItsDocumentReplacedKeepThatDocument) {
    emu::Value old = Parse("<r><a x='1'>one</a><a x='2'>two</a></r>");
    emu::Value vars = Variables();
    Call(vars, "Set", {Str("v"), SelectNodes(old, "//a")});
    Call(old, "Constructor");
    emu::Value doc = Parse(kCatalog);
    emu::Value context = Call(doc, "DocumentElement");
    emu::Value single = SelectNode(context, "$v[2]", vars);
    emu::Value selected = SelectNodes(context, "$v/@x", vars);
    emu::Value q = Query("$v", vars);
    emu::Value evaluated = Call(q, "EvaluateNode", {doc});
    emu::Value evaluatedSet = Call(q, "EvaluateNodeSet", {doc});
    // The variable lets go of that Document, and so does host code.
    Call(vars, "Set", {Str("v"), SelectNodes(doc, "//book")});
    q = {};
    vars = {};
    old = {};
    EXPECT_EQ(LiveDocuments(), 2);
    Churn();
    EXPECT_EQ(GetString(Get(single, "Node"), "TextValue"), "two");
    EXPECT_EQ(Entries(selected), (Strings{"@x=1", "@x=2"}));
    EXPECT_EQ(GetString(Get(evaluated, "Node"), "TextValue"), "one");
    EXPECT_EQ(Entries(evaluatedSet).size(), 2u);
    single = {};
    selected = {};
    evaluated = {};
    evaluatedSet = {};
    EXPECT_EQ(LiveDocuments(), 1);
}

TEST_F(VariableLifetime, NodeSetVariableBuiltFromAnotherDocumentsResults) {
    emu::Value doc = Parse(kCatalog);
    emu::Value ids = Parse("<wanted><id>b3</id><id>b1</id></wanted>");
    emu::Value vars = Variables();
    Call(vars, "Set", {Str("wanted"), SelectNodes(ids, "//id")});
    ids = {};
    EXPECT_EQ(Entries(SelectNodes(doc, "//book[@id = $wanted]/title/text()", vars)),
              (Strings{"#Alpha", "#Gamma"}));
    // The value copied from a result set that itself holds two trees holds both.
    emu::Value mixed = SelectNodes(doc, "$wanted | //book[2]", vars);
    emu::Value vars2 = Variables();
    Call(vars2, "Set", {Str("m"), mixed});
    mixed = {};
    vars = {};
    EXPECT_EQ(LiveDocuments(), 2);
    doc = {};
    EXPECT_EQ(LiveDocuments(), 2);
    emu::Value third = Parse("<t/>");
    EXPECT_EQ(Call(Query("count($m)", vars2), "EvaluateNumber", {third}).asDouble(), 3);
    EXPECT_EQ(Call(Query("count($m[self::id])", vars2), "EvaluateNumber", {third}).asDouble(), 2);
    EXPECT_EQ(
        Call(Query("string($m[self::book]/title)", vars2), "EvaluateString", {third}).asString(),
        "Beta");
    third = {};
    vars2 = {};
    EXPECT_EQ(LiveDocuments(), 0);
}

}  // namespace
