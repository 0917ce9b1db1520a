// Calling members as host code: overload choice, defaults, conversions,
// properties, For Each and Operator_Compare.
#include "emu_fixture.h"

using emu::Kind;
using emu::Value;

TEST_F(EmuTest, OverloadsAreChosenByArgumentType) {
    Value over = host().callShared("Fake.Over", "Make", {Int(1)});
    Value base = host().newInstance("Fake.Base");
    Value derived = host().newInstance("Fake.Derived");
    struct Case {
        Value arg;
        const char* result;
    } cases[] = {
        {Value::Int32(5), "Int32:5"},
        {Int(5), "Int64:5"},  // an Integer literal is an Int64 on 64-bit hosts
        {Value::Int64(-5), "Int64:-5"},
        {Value::UInt32(3), "Int64:3"},  // widening beats conversion
        {Value::Double(1.5), "Double:1.500000"},
        {Value::Single(1.5f), "Single:1.500000"},
        {Str("x"), "String:x"},
        {Color(7), "Color:7"},
        {Value::Bool(true), "Boolean:true"},
        {base, "Base:obj"},
        {derived, "Base:obj"},                              // a subclass passes for its superclass
        {Value::AdoptObject(host(), nullptr), "Base:nil"},  // a typed nil object
        {host().nilString(), "String:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host().call(over, "Take", {c.arg}).asString(), c.result) << c.result;
    base = {};
    derived = {};
    TakeLog();
}

TEST_F(EmuTest, AmbiguousOrImpossibleCallsAreErrors) {
    Value over = host().callShared("Fake.Over", "Make", {Int(1)});
    // Nil fits both the String and the object overload.
    EXPECT_THROW(host().call(over, "Take", {Value()}), emu::EmulatorError);
    // An enumeration of another type, and an Integer for an enumeration.
    EXPECT_THROW(host().call(over, "Take", {Value::Enum("Fake.Other", 1)}), emu::EmulatorError);
    EXPECT_THROW(
        host().call(over, "Flags", {Int(1), Value::Bool(true), Value(), Value::Double(1), Int(2)}),
        emu::EmulatorError);
    EXPECT_THROW(host().call(over, "Take", {Int(1), Int(2)}), emu::EmulatorError);
    EXPECT_THROW(host().call(over, "NoSuchMethod"), emu::EmulatorError);
    try {
        host().call(over, "Hidden");
        FAIL() << "a private member was callable";
    } catch (const emu::EmulatorError& e) {
        EXPECT_NE(std::string(e.what()).find("private"), std::string::npos) << e.what();
    }
}

TEST_F(EmuTest, ArgumentsAndResultsUseTheDeclaredCTypes) {
    Value over = host().callShared("Fake.Over", "Make", {Int(1)});
    Value narrow = host().call(over, "Narrow", {Int(-70000)});
    EXPECT_EQ(narrow.kind(), Kind::Int32);
    EXPECT_EQ(narrow.asInt(), -70000);
    Value u = host().call(over, "Unsigned", {Value::UInt32(0xFFFFFFFFu)});
    EXPECT_EQ(u.kind(), Kind::UInt64);
    EXPECT_EQ(u.asUInt(), 0x1FFFFFFFEull);
    Value half = host().call(over, "Half", {Int(3)});
    EXPECT_EQ(half.kind(), Kind::Double);
    EXPECT_EQ(half.asDouble(), 1.5);
    Value color = host().call(over, "Color");
    EXPECT_EQ(color.kind(), Kind::Enum);
    EXPECT_EQ(color.enumType(), "Fake.Color");
    EXPECT_EQ(color.asInt(), 7);
}

TEST_F(EmuTest, DeclaredDefaultsFillMissingArguments) {
    Value over = host().callShared("Fake.Over", "Make", {Int(1)});
    Value base = host().newInstance("Fake.Base");
    struct Case {
        std::vector<Value> args;
        const char* result;
    } cases[] = {
        {{Int(1)}, "a=1 flag=1 b=nil scale=2.50 color=2"},
        {{Int(1), Value::Bool(false)}, "a=1 flag=0 b=nil scale=2.50 color=2"},
        {{Int(1), Value::Bool(true), base}, "a=1 flag=1 b=obj scale=2.50 color=2"},
        {{Int(1), Value::Bool(true), Value(), Int(4), Color(7)},
         "a=1 flag=1 b=nil scale=4.00 color=7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host().call(over, "Flags", c.args).asString(), c.result) << c.result;
    EXPECT_EQ(host().call(base, "Bump").asInt(), 101);
    EXPECT_EQ(host().call(base, "Bump", {Int(9)}).asInt(), 110);
    base = {};
    TakeLog();
}

TEST_F(EmuTest, OverridesAreMatchedByParametersWhateverTheSpelling) {
    Value d = host().New("Fake.Derived", {Str("d")});
    Value b = host().New("Fake.Base");
    EXPECT_EQ(host().call(d, "Describe").asString(), "Derived:d");
    EXPECT_EQ(host().call(b, "describe").asString(), "Base:");
    d = {};
    b = {};
    TakeLog();
}

TEST_F(EmuTest, PropertiesGoThroughGettersAndSettersWithTheirParameter) {
    Value over = host().callShared("Fake.Over", "Make", {Int(3)});
    EXPECT_EQ(host().get(over, "Weight").asInt(), 3);
    host().set(over, "Weight", Int(8));
    EXPECT_EQ(host().get(over, "weight").asInt(), 8);
    EXPECT_EQ(host().get(over, "ParamEcho").asInt(), 42);                     // the record's param
    EXPECT_THROW(host().set(over, "ParamEcho", Int(1)), emu::EmulatorError);  // read-only
    EXPECT_THROW(host().set(over, "Weight", Str("x")), emu::EmulatorError);
    EXPECT_THROW(host().get(over, "Nope"), emu::EmulatorError);
}

TEST_F(EmuTest, StandardSetterKeepsALockOnStoredObjects) {
    Value d = host().New("Fake.Derived", {Str("label")});
    Value label = host().get(d, "Label");
    EXPECT_EQ(label.asString(), "label");
    d = {};  // the label string outlives the object only through our copy
    EXPECT_EQ(label.asString(), "label");
    TakeLog();
}

TEST_F(EmuTest, ForEachWalksTheIteratorProtocol) {
    Value it = host().New("Fake.Iter", {Int(3)});
    std::vector<int64_t> counters;
    host().forEach(it, [&](const Value& v) {
        EXPECT_EQ(v.className(), "Fake.Base");
        counters.push_back(host().get(v, "Counter").asInt());
    });
    EXPECT_EQ(counters, (std::vector<int64_t>{0, 1, 2}));
    EXPECT_TRUE(host().collect(host().New("Fake.Iter", {Int(0)})).empty());
    Value base = host().newInstance("Fake.Base");
    EXPECT_THROW(host().forEach(base, [](const Value&) {}), emu::EmulatorError);
    base = {};
    TakeLog();
}

TEST_F(EmuTest, CompareCallsOperatorCompare) {
    Value five = host().callShared("Fake.Over", "Make", {Int(5)});
    Value nine = host().callShared("Fake.Over", "Make", {Int(9)});
    Value alsoFive = host().callShared("Fake.Over", "Make", {Int(5)});
    EXPECT_EQ(host().compare(five, nine), -1);
    EXPECT_EQ(host().compare(nine, five), 1);
    EXPECT_EQ(host().compare(five, alsoFive), 0);
    EXPECT_EQ(host().compare(five, Value()), 1);
    EXPECT_THROW(host().compare(Value(), five), emu::EmulatorError);
}

TEST_F(EmuTest, ResultsOfTheWrongClassAreReported) {
    Value d = host().newInstance("Fake.Derived");
    Value wrong = host().call(d, "WrongResult");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "which is not a Fake.Derived")) << Joined(v);
    wrong = {};
    d = {};
    TakeLog();
}
