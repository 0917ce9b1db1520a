// XPathQuery: compiling, the five typed evaluations and their failures.
#include <cmath>

#include "xpath_test.h"

namespace {

class XPathQueryTest : public XPathTest {};

TEST_F(XPathQueryTest, CompileErrorsRaiseWithDescriptionAndOffset) {
    struct Case {
        const char* query;
        const char* message;
        int64_t offset;
    };
    const Case cases[] = {
        {"//book[", "Unrecognized node test", 7},
        {"unknown-fn()", "Unrecognized function or wrong parameter count", 12},
        {"concat('a')", "Unrecognized function or wrong parameter count", 11},
        {"//book[1]]", "Incorrect query", 9},
        {"$price", "Unknown variable: variable set is not provided", 0},
    };
    emu::Value vars = Variables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        emu::HostException e = ExpectXPathError([&] { Query(c.query); }, -1);
        EXPECT_EQ(e.message, c.message);
        EXPECT_EQ(Offset(e), c.offset);
        // The same through the two-argument constructor, with and without a set.
        if (std::string(c.query) != "$price") {
            emu::HostException e2 = ExpectXPathError([&] { Query(c.query, vars); }, -1);
            EXPECT_EQ(e2.message, c.message);
            EXPECT_EQ(Offset(e2), c.offset);
        }
        emu::HostException e3 = ExpectXPathError([&] { Query(c.query, Nil()); }, -1);
        EXPECT_EQ(Offset(e3), c.offset);
    }
}

TEST_F(XPathQueryTest, UnreadableQueryTextRaisesMinusTwo) {
    for (bool withSet : {false, true}) {
        std::vector<emu::Value> args{host().strUnconvertible("//book")};
        if (withSet) args.push_back(Variables());
        emu::HostException e =
            ExpectXPathError([&] { host().New("TorvaneXml.XPathQuery", args); }, -2);
        EXPECT_EQ(e.message, "Could not parse string");
        EXPECT_EQ(Offset(e), 0);
    }
}

// An unreadable query takes no lock on the variable set: the query object
// outliving the failed constructor must not keep the set alive. A compile
// error after the text was read does keep it.
TEST_F(XPathQueryTest, UnreadableQueryTextLocksNoVariableSet) {
    const struct {
        const char* what;
        bool readable;
        int64_t code;
        int64_t setsKept;
    } cases[] = {{"unreadable", false, -2, 0}, {"compile error", true, -1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emu::Value query = host().newInstance("TorvaneXml.XPathQuery");
        emu::Value vars = Variables();
        emu::Value text = c.readable ? Str("//book[") : host().strUnconvertible("//book");
        ExpectXPathError([&] { Call(query, "Constructor", {text, vars}); }, c.code);
        vars = {};
        EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), c.setsKept);
        query = {};
        EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), 0);
    }
}

TEST_F(XPathQueryTest, TypedEvaluations) {
    struct Case {
        const char* query;
        double number;
        bool boolean;
        const char* text;
    };
    const Case cases[] = {
        {"count(//book)", 3, true, "3"},
        {"sum(//price)", 42.5, true, "42.5"},
        {"//book[2]/title", NAN, true, "Beta"},
        {"//book[@lang='fr']", NAN, false, ""},
        {"string(//book[3]/@id)", NAN, true, "b3"},
        {"//price > 20", 1, true, "true"},
        {"concat(//book[1]/title, '-', //book[2]/@lang)", NAN, true, "Alpha-de"},
        {"'caf\xC3\xA9'", NAN, true, "caf\xC3\xA9"},
        {"1 div 0", INFINITY, true, "Infinity"},
        {"0 div 0", NAN, false, "NaN"},
    };
    emu::Value doc = Parse(kCatalog);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        emu::Value q = Query(c.query);
        const double number = Call(q, "EvaluateNumber", {doc}).asDouble();
        if (std::isnan(c.number))
            EXPECT_TRUE(std::isnan(number)) << number;
        else
            EXPECT_EQ(number, c.number);
        EXPECT_EQ(Call(q, "EvaluateBoolean", {doc}).asBool(), c.boolean);
        EXPECT_EQ(Call(q, "EvaluateString", {doc}).asString(), c.text);
    }
}

TEST_F(XPathQueryTest, NodeSetAndNodeResults) {
    emu::Value doc = Parse(kCatalog);
    emu::Value q = Query("//book[price > 9]/@id | //book[3]/title");
    EXPECT_EQ(Entries(Call(q, "EvaluateNodeSet", {doc})), (Strings{"@id=b1", "@id=b2", "title"}));
    EXPECT_EQ(Describe(Call(q, "EvaluateNode", {doc})), "@id=b1");

    // A compiled query runs against any context node, a Node as well.
    emu::Value relative = Query("title");
    for (const char* id : {"b1", "b2", "b3"}) {
        emu::Value book = Get(SelectNode(doc, std::string("//book[@id='") + id + "']"), "Node");
        EXPECT_EQ(Entries(Call(relative, "EvaluateNodeSet", {book})), Strings{"title"});
    }
    EXPECT_EQ(Entries(Call(relative, "EvaluateNodeSet", {doc})), Strings{});
}

TEST_F(XPathQueryTest, NothingMatchedGivesEmptySetAndNilNode) {
    emu::Value doc = Parse(kCatalog);
    emu::Value q = Query("//magazine");
    emu::Value set = Call(q, "EvaluateNodeSet", {doc});
    ASSERT_TRUE(set);
    EXPECT_EQ(Get(Call(set, "XPathNodes"), "Count").asInt(), 0);
    EXPECT_FALSE(Call(q, "EvaluateNode", {doc}));
    EXPECT_EQ(Call(q, "EvaluateString", {doc}).asString(), "");
}

TEST_F(XPathQueryTest, NonNodeSetValueRaisesForNodeResults) {
    emu::Value doc = Parse(kCatalog);
    emu::Value q = Query("count(//book)");
    for (const char* method : {"EvaluateNodeSet", "EvaluateNode"}) {
        SCOPED_TRACE(method);
        emu::HostException e = ExpectXPathError([&] { Call(q, method, {doc}); }, -1);
        EXPECT_EQ(e.message, "Expression does not evaluate to node set");
        EXPECT_FALSE(e.returned);
    }
    // The query is unchanged by the failure.
    EXPECT_EQ(Call(q, "EvaluateNumber", {doc}).asDouble(), 3);
}

TEST_F(XPathQueryTest, NilNodeRaisesOneAndYieldsTheEmptyValue) {
    emu::Value q = Query("//book");
    for (const char* method : {"EvaluateNodeSet", "EvaluateNumber", "EvaluateBoolean",
                               "EvaluateString", "EvaluateNode"}) {
        SCOPED_TRACE(method);
        emu::HostException e = ExpectXPathError([&] { Call(q, method, {Nil()}); }, 1);
        EXPECT_EQ(e.message, "Parameter node is nil");
        EXPECT_EQ(Offset(e), 0);
        ExpectEmptyValue(e.returned);
    }
}

TEST_F(XPathQueryTest, NilVariablesIsTheOneArgumentConstructor) {
    emu::Value doc = Parse(kCatalog);
    emu::Value q = Query("count(//book)", Nil());
    EXPECT_EQ(Call(q, "EvaluateNumber", {doc}).asDouble(), 3);
}

TEST_F(XPathQueryTest, EvaluationSeesVariableValuesSetAfterCompiling) {
    emu::Value doc = Parse(kCatalog);
    emu::Value vars = Variables();
    Call(vars, "Add", {Str("id"), XPathType(3)});
    Call(vars, "Add", {Str("min"), XPathType(2)});
    Call(vars, "Add", {Str("strict"), XPathType(4)});
    emu::Value byId = Query("//book[@id=$id]/title", vars);
    emu::Value cheap = Query("count(//book[price >= $min])", vars);
    emu::Value flag = Query("$strict", vars);
    // Declared but never set: the defaults.
    EXPECT_FALSE(Call(byId, "EvaluateNode", {doc}));
    EXPECT_EQ(Call(cheap, "EvaluateNumber", {doc}).asDouble(), 3);
    EXPECT_FALSE(Call(flag, "EvaluateBoolean", {doc}).asBool());

    Call(vars, "Set", {Str("id"), Str("b3")});
    Call(vars, "Set", {Str("min"), emu::Value::Double(10)});
    Call(vars, "Set", {Str("strict"), Bool(true)});
    EXPECT_EQ(Call(byId, "EvaluateString", {doc}).asString(), "Gamma");
    EXPECT_EQ(Call(cheap, "EvaluateNumber", {doc}).asDouble(), 2);
    EXPECT_TRUE(Call(flag, "EvaluateBoolean", {doc}).asBool());

    Call(vars, "Set", {Str("id"), Str("b1")});
    EXPECT_EQ(Call(byId, "EvaluateString", {doc}).asString(), "Alpha");
}

TEST_F(XPathQueryTest, QueryKeepsItsVariableSetAlive) {
    emu::Value doc = Parse(kCatalog);
    emu::Value q;
    {
        emu::Value vars = Variables();
        Call(vars, "Set", {Str("id"), Str("b2")});
        q = Query("string(//book[@id=$id]/title)", vars);
    }
    EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), 1);
    EXPECT_EQ(Call(q, "EvaluateString", {doc}).asString(), "Beta");
    q = {};
    EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), 0);
}

TEST_F(XPathQueryTest, FailedCompileStillReleasesTheVariableSet) {
    emu::Value vars = Variables();
    ExpectXPathError([&] { Query("//[", vars); }, -1);
    ExpectXPathError([&] { Query("$missing", vars); }, -1);
    vars = {};
    EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), 0);
    EXPECT_EQ(Live("TorvaneXml.XPathQuery"), 0);
}

TEST_F(XPathQueryTest, VariableMustBeDeclaredWhenCompiling) {
    emu::Value vars = Variables();
    emu::HostException e = ExpectXPathError([&] { Query("$late", vars); }, -1);
    EXPECT_EQ(e.message, "Unknown variable: variable set does not contain the given name");
    Call(vars, "Set", {Str("late"), emu::Value::Double(4)});
    emu::Value doc = Parse(kCatalog);
    EXPECT_EQ(Call(Query("$late * 2", vars), "EvaluateNumber", {doc}).asDouble(), 8);
}

}  // namespace
