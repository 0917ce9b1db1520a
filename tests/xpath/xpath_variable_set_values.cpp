// XPathVariableSet: declaring, setting and the two failures.
#include "xpath_test.h"

namespace {

class VariableSetTest : public XPathTest {
protected:
    void SetUp() override {
        XPathTest::SetUp();
        doc = Parse(kCatalog);
    }
    void TearDown() override {
        doc = {};
        XPathTest::TearDown();
    }
    // The variable's value as a string, read through a query against `vars`.
    std::string Read(const emu::Value& vars, const std::string& name) {
        return Call(Query("string($" + name + ")", vars), "EvaluateString", {doc}).asString();
    }
    emu::Value doc;
};

TEST_F(VariableSetTest, FirstSetDeclaresEachOfTheFourTypes) {
    emu::Value vars = Variables();
    Call(vars, "Set", {Str("b"), Bool(true)});
    Call(vars, "Set", {Str("d"), emu::Value::Double(2.5)});
    Call(vars, "Set", {Str("s"), Str("text")});
    Call(vars, "Set", {Str("n"), SelectNodes(doc, "//book/@id")});
    EXPECT_EQ(Read(vars, "b"), "true");
    EXPECT_EQ(Read(vars, "d"), "2.5");
    EXPECT_EQ(Read(vars, "s"), "text");
    EXPECT_EQ(Read(vars, "n"), "b1");
    EXPECT_EQ(Call(Query("count($n)", vars), "EvaluateNumber", {doc}).asDouble(), 3);
}

TEST_F(VariableSetTest, AddDeclaresWithTheDefaultValue) {
    struct Case {
        const char* name;
        int64_t type;
        const char* expected;
    };
    const Case cases[] = {
        {"n", 1, ""},
        {"d", 2, "0"},
        {"s", 3, ""},
        {"b", 4, "false"},
    };
    emu::Value vars = Variables();
    for (const Case& c : cases) Call(vars, "Add", {Str(c.name), XPathType(c.type)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(vars, c.name), c.expected);
    }
    EXPECT_EQ(Call(Query("count($n)", vars), "EvaluateNumber", {doc}).asDouble(), 0);
}

// Each row: how the variable is first declared, then a Set of another type
// that must fail with -19 and leave the first value in force.
TEST_F(VariableSetTest, TypeClashRaisesAndKeepsThePreviousValue) {
    struct Case {
        const char* label;
        std::function<void(const emu::Value&)> declare;
        std::vector<emu::Value> clash;
        const char* kept;
    };
    const std::vector<Case> cases = {
        {"string set, double",
         [&](const emu::Value& v) {
             Call(v, "Set", {Str("x"), Str("kept")});
         },
         {Str("x"), emu::Value::Double(1)},
         "kept"},
        {"added string, double",
         [&](const emu::Value& v) {
             Call(v, "Add", {Str("x"), XPathType(3)});
         },
         {Str("x"), emu::Value::Double(1)},
         ""},
        {"double set, boolean",
         [&](const emu::Value& v) {
             Call(v, "Set", {Str("x"), emu::Value::Double(7)});
         },
         {Str("x"), Bool(true)},
         "7"},
        {"boolean set, string",
         [&](const emu::Value& v) {
             Call(v, "Set", {Str("x"), Bool(true)});
         },
         {Str("x"), Str("text")},
         "true"},
        {"string set, node set",
         [&](const emu::Value& v) {
             Call(v, "Set", {Str("x"), Str("kept")});
         },
         {Str("x"), SelectNodes(doc, "//title")},
         "kept"},
        {"node set, string",
         [&](const emu::Value& v) {
             Call(v, "Set", {Str("x"), SelectNodes(doc, "//book[2]/title")});
         },
         {Str("x"), Str("text")},
         "Beta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        emu::Value vars = Variables();
        c.declare(vars);
        emu::HostException e = ExpectXPathError([&] { Call(vars, "Set", c.clash); }, -19);
        EXPECT_EQ(e.message, "Could not set variable with this name.");
        EXPECT_EQ(Offset(e), 0);
        EXPECT_EQ(Read(vars, "x"), c.kept);
    }
}

TEST_F(VariableSetTest, EmptyOrUnreadableNamesAreRefused) {
    emu::Value vars = Variables();
    const std::vector<std::vector<emu::Value>> sets = {
        {Str(""), Bool(true)},
        {Str(""), emu::Value::Double(1)},
        {Str(""), Str("v")},
        {Str(""), SelectNodes(doc, "//book")},
        {host().strUnconvertible("x"), Bool(true)},
        {host().strUnconvertible("x"), emu::Value::Double(1)},
        {host().strUnconvertible("x"), Str("v")},
        {host().strUnconvertible("x"), SelectNodes(doc, "//book")},
        {Str("x"), host().strUnconvertible("v")},
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectXPathError([&] { Call(vars, "Set", sets[i]); }, -19);
    }
    // Nothing was declared by the failures: x is still free for any type.
    Call(vars, "Set", {Str("x"), emu::Value::Double(3)});
    EXPECT_EQ(Read(vars, "x"), "3");
}

TEST_F(VariableSetTest, NilNodeSetRaisesMinusTwentyWhateverTheName) {
    emu::Value vars = Variables();
    for (const emu::Value& name : {Str("x"), Str(""), host().strUnconvertible("x")}) {
        emu::HostException e = ExpectXPathError(
            [&] {
                host().call(vars, "Set", {name, emu::Value::AdoptObject(host(), nullptr)});
            },
            -20);
        EXPECT_EQ(e.message, "Node set can not be set to nil");
    }
}

TEST_F(VariableSetTest, AddKeepsTheFirstDeclarationAndNeverRaises) {
    emu::Value vars = Variables();
    Call(vars, "Add", {Str("x"), XPathType(2)});
    Call(vars, "Add", {Str("x"), XPathType(3)});
    Call(vars, "Add", {Str("x"), XPathType(2)});
    Call(vars, "Add", {Str(""), XPathType(2)});
    Call(vars, "Add", {host().strUnconvertible("y"), XPathType(2)});
    Call(vars, "Add", {Str("odd"), XPathType(9)});
    Call(vars, "Add", {Str("negative"), XPathType(-1)});
    ExpectXPathError([&] { Call(vars, "Set", {Str("x"), Str("s")}); }, -19);
    Call(vars, "Set", {Str("x"), emu::Value::Double(5)});
    EXPECT_EQ(Read(vars, "x"), "5");
    // Out-of-range types declared nothing.
    Call(vars, "Set", {Str("odd"), Str("free")});
    Call(vars, "Set", {Str("negative"), Bool(true)});
    EXPECT_EQ(Read(vars, "odd"), "free");
}

TEST_F(VariableSetTest, TypeNoneDeclaresNothing) {
    emu::Value vars = Variables();
    Call(vars, "Add", {Str("x"), XPathType(0)});
    ExpectXPathError([&] { Query("$x", vars); }, -1);
    Call(vars, "Set", {Str("x"), Str("later")});
    EXPECT_EQ(Read(vars, "x"), "later");
}

TEST_F(VariableSetTest, NamesAreExactByteStrings) {
    emu::Value vars = Variables();
    Call(vars, "Set", {Str("name"), Str("lower")});
    Call(vars, "Set", {Str("Name"), emu::Value::Double(1)});
    Call(vars, "Set", {Str("n\xC3\xA4me"), Str("umlaut")});
    EXPECT_EQ(Read(vars, "name"), "lower");
    EXPECT_EQ(Read(vars, "Name"), "1");
    EXPECT_EQ(Read(vars, "n\xC3\xA4me"), "umlaut");
}

TEST_F(VariableSetTest, ValuesSurviveTheSourceObjects) {
    emu::Value vars = Variables();
    {
        emu::Value text = Str("copied");
        Call(vars, "Set", {Str("s"), text});
        emu::Value set = SelectNodes(doc, "//book[2]/@lang");
        Call(vars, "Set", {Str("n"), set});
    }
    EXPECT_EQ(Live("TorvaneXml.XPathNodeSet"), 0);
    EXPECT_EQ(Read(vars, "s"), "copied");
    EXPECT_EQ(Read(vars, "n"), "de");
}

}  // namespace
