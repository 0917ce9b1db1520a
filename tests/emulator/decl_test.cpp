// The declaration parser and the conversion table, without a plug-in: the
// malformed prototypes a careless plug-in hands over must be refused with a
// reason, and overload costs must follow the host compiler's order.
#include "decl.h"

#include <gtest/gtest.h>

#include "types.h"

using namespace emu::detail;
using emu::Kind;

TEST(Declarations, MalformedPrototypesAreRefusedWithAReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"", "no member name"},
        {"1Foo()", "no member name"},
        {"Foo", "missing '('"},
        {"Foo(", "parameter 1 has no name"},
        {"Foo(a as Integer", "expected ',' or ')' after parameter 'a'"},
        {"Foo(a as Integer,)", "parameter 2 has no name"},
        {"Foo(a Integer)", "'a' has no 'As Type'"},
        {"Foo(a as)", "'a' has no type name"},
        {"Foo(a as Fake.)", "'a' has no type name"},
        {"Foo(a as Integer = )", "'a' has an empty default value"},
        {"Foo(s as String = \"open)", "'s' has an empty default value"},
        {"Foo() as", "missing return type"},
        {"Foo() as Integer extra", "unexpected text 'extra'"},
        {"Foo(a as Integer) ; x", "unexpected text"},
        {"Foo(Assigns v as Integer, w as Integer)", "only the last parameter may be Assigns"},
    };
    for (const auto& c : cases) {
        ParsedDecl d;
        std::string error;
        EXPECT_FALSE(parseMethodDecl(c.text, d, error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": got \"" << error << "\"";
    }
}

TEST(Declarations, WellFormedPrototypesKeepEveryPart) {
    ParsedDecl d;
    std::string error;
    ASSERT_TRUE(
        parseMethodDecl("Mix(ByRef a as Integer, Optional b() as String, ParamArray c as "
                        "Double, s as String = \"a,b)\", n as Int32 = (1+2)) as Fake.Node()",
                        d, error))
        << error;
    EXPECT_EQ(d.name, "Mix");
    ASSERT_EQ(d.params.size(), 5u);
    EXPECT_TRUE(d.params[0].byRef);
    EXPECT_TRUE(d.params[1].optional);
    EXPECT_TRUE(d.params[1].array);  // the marker after the name counts too
    EXPECT_TRUE(d.params[2].paramArray);
    EXPECT_EQ(d.params[3].defaultText, "\"a,b)\"");
    EXPECT_EQ(d.params[4].defaultText, "(1+2)");
    EXPECT_EQ(d.params[4].type, "Int32");
    EXPECT_EQ(d.returnType, "Fake.Node");
    EXPECT_TRUE(d.returnArray);

    ASSERT_TRUE(parseMethodDecl("Value(Assigns v as Variant)", d, error)) << error;
    EXPECT_TRUE(d.params[0].assigns);
    EXPECT_TRUE(d.returnType.empty());
}

TEST(Declarations, MatchingIgnoresCaseSpacingAndParameterNames) {
    auto key = [](const char* text) {
        ParsedDecl d;
        std::string error;
        EXPECT_TRUE(parseMethodDecl(text, d, error)) << text << ": " << error;
        return signatureKey(d);
    };
    EXPECT_EQ(key("Take(v as Int32) as String"), key("take ( x AS int32 ) as STRING"));
    EXPECT_EQ(key("Describe() As String"), key("describe ( ) AS string"));
    EXPECT_NE(key("Take(v as Int32) as String"), key("Take(v as Int64) as String"));
    EXPECT_NE(key("Take(v as Int32) as String"), key("Take(v() as Int32) as String"));
    EXPECT_NE(key("Take(v as Int32) as String"), key("Take(ByRef v as Int32) as String"));
    EXPECT_NE(key("Take(v as Int32)"), key("Take(v as Int32) as Int32"));
}

TEST(Declarations, ConstantsAndEnumerationEntries) {
    const struct {
        const char* text;
        bool ok;
        const char* value;  // or the reason
    } constants[] = {
        {"Answer = 42", true, "42"},
        {"Greeting As String = \"hi\"", true, "\"hi\""},
        {"Answer", false, "no '= value'"},
        {"= 3", false, "no constant name"},
        {"X As Integer() = 3", false, "bad constant type"},
        {"X = ", false, "empty value"},
    };
    for (const auto& c : constants) {
        ParsedConstant pc;
        std::string error;
        EXPECT_EQ(parseConstantDecl(c.text, pc, error), c.ok) << c.text;
        EXPECT_NE((c.ok ? pc.value : error).find(c.value), std::string::npos) << c.text;
    }
    const struct {
        const char* text;
        bool ok, hasValue;
        int64_t value;
    } entries[] = {
        {"Apple", true, false, 0},
        {"Pear = 12", true, true, 12},
        {"Hex = &hFF", true, true, 255},
        {"Bits = &b101", true, true, 5},
        {"Neg = -3", true, true, -3},
        {"Bad = 1x", false, false, 0},
        {"= 3", false, false, 0},
        {"Gap 3", false, false, 0},
        {"Huge = 99999999999999999999", false, false, 0},
    };
    for (const auto& e : entries) {
        ParsedEnumEntry pe;
        std::string error;
        EXPECT_EQ(parseEnumEntry(e.text, pe, error), e.ok) << e.text;
        if (e.ok) {
            EXPECT_EQ(pe.hasValue, e.hasValue) << e.text;
            EXPECT_EQ(pe.value, e.value) << e.text;
        }
    }
}

TEST(Conversions, ImplicitConversionCostsFollowTheHostCompiler) {
    const struct {
        Kind from;
        Cat to;
        int cost;
    } cases[] = {
        {Kind::Integer, Cat::Integer, 0},  {Kind::Integer, Cat::Int64, 0},
        {Kind::Integer, Cat::Int32, 3},    {Kind::Integer, Cat::UInt8, 3},
        {Kind::Integer, Cat::Double, 2},   {Kind::Integer, Cat::String, -1},
        {Kind::Integer, Cat::Boolean, -1}, {Kind::Integer, Cat::Enum, -1},
        {Kind::Int32, Cat::Int32, 0},      {Kind::Int32, Cat::Integer, 1},
        {Kind::Int32, Cat::Single, 2},     {Kind::Int32, Cat::UInt32, 3},
        {Kind::UInt32, Cat::UInt64, 1},    {Kind::UInt32, Cat::Int32, 3},
        {Kind::UInt64, Cat::Integer, 3},   {Kind::UInt64, Cat::Currency, 2},
        {Kind::Single, Cat::Double, 1},    {Kind::Single, Cat::Integer, -1},
        {Kind::Double, Cat::Single, 3},    {Kind::Double, Cat::Integer, -1},
        {Kind::Boolean, Cat::Boolean, 0},  {Kind::Boolean, Cat::Integer, -1},
        {Kind::String, Cat::Text, 0},      {Kind::String, Cat::Variant, -1},
        {Kind::Nil, Cat::String, 1},       {Kind::Nil, Cat::Class, 1},
        {Kind::Nil, Cat::Interface, 2},    {Kind::Nil, Cat::Object, 3},
        {Kind::Nil, Cat::Variant, 4},      {Kind::Nil, Cat::Ptr, 5},
        {Kind::Nil, Cat::Integer, -1},     {Kind::Object, Cat::Class, 1},  // a typed nil
        {Kind::Object, Cat::String, -1},   {Kind::Object, Cat::Ptr, -1},
        {Kind::Enum, Cat::Enum, 0},        {Kind::Enum, Cat::Integer, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(conversionCost(c.from, c.to), c.cost)
            << "kind " << static_cast<int>(c.from) << " to cat " << static_cast<int>(c.to);
    }
    // Objects: the nearer superclass wins, and any class beats Object and Variant.
    EXPECT_EQ(objectCost(Cat::Class, 0, false), 0);
    EXPECT_LT(objectCost(Cat::Class, 2, false), objectCost(Cat::Object, 0, false));
    EXPECT_LT(objectCost(Cat::Object, 0, false), objectCost(Cat::Variant, 0, false));
    EXPECT_EQ(objectCost(Cat::Class, -1, false), -1);
    EXPECT_EQ(objectCost(Cat::Interface, 0, false), -1);
    EXPECT_EQ(objectCost(Cat::String, 0, true), -1);
}
