// Reading and writing typed values through Attribute and TextHelper: both
// classes store every value as text through the same pugixml conversions, so
// each table runs against both.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "fixture.h"

namespace {

using emu::Value;

enum class Target { Attribute, Text };

std::string TargetName(const ::testing::TestParamInfo<Target>& info) {
    return info.param == Target::Attribute ? "Attribute" : "TextHelper";
}

class StoredValue : public PluginTest, public ::testing::WithParamInterface<Target> {
protected:
    // A fresh wrapper on element r of a new document; the wrapper alone keeps
    // the document alive.
    Value Wrapper() {
        Value root = Call(Parse("<r/>"), "DocumentElement");
        return GetParam() == Target::Attribute ? Call(root, "Attribute", {Str("a"), Bool(true)})
                                               : Call(root, "Text", {Bool(true)});
    }
    Value Holding(std::string_view text) {
        Value w = Wrapper();
        Call(w, "Set", {Str(text)});
        return w;
    }
    std::string Stored(const Value& w) { return GetString(w, "AsString"); }
};

struct IntegerCase {
    const char* text;
    int32_t asInt32;
    uint32_t asUInt32;
    int64_t asInt64;
    uint64_t asUInt64;
};

constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr uint32_t kU32Max = std::numeric_limits<uint32_t>::max();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();
constexpr uint64_t kU64Max = std::numeric_limits<uint64_t>::max();

const IntegerCase kIntegerCases[] = {
    {"0", 0, 0, 0, 0},
    {"-1", -1, 0, -1, 0},
    {"-5", -5, 0, -5, 0},
    {"42", 42, 42, 42, 42},
    {"  42", 42, 42, 42, 42},
    {"\t\n42", 42, 42, 42, 42},
    {"+7", 7, 7, 7, 7},
    {"12abc", 12, 12, 12, 12},
    {"abc", 0, 0, 0, 0},
    {"", 0, 0, 0, 0},
    {"-", 0, 0, 0, 0},
    {"007", 7, 7, 7, 7},
    {"2147483647", kI32Max, 2147483647u, 2147483647, 2147483647},
    {"2147483648", kI32Max, 2147483648u, 2147483648, 2147483648u},
    {"-2147483648", kI32Min, 0, -2147483648LL, 0},
    {"-2147483649", kI32Min, 0, -2147483649LL, 0},
    {"4294967295", kI32Max, kU32Max, 4294967295LL, 4294967295u},
    {"4294967296", kI32Max, kU32Max, 4294967296LL, 4294967296u},
    {"99999999999", kI32Max, kU32Max, 99999999999LL, 99999999999u},
    {"9223372036854775807", kI32Max, kU32Max, kI64Max, 9223372036854775807u},
    {"9223372036854775808", kI32Max, kU32Max, kI64Max, 9223372036854775808u},
    {"-9223372036854775808", kI32Min, 0, kI64Min, 0},
    {"-9223372036854775809", kI32Min, 0, kI64Min, 0},
    {"18446744073709551615", kI32Max, kU32Max, kI64Max, kU64Max},
    {"18446744073709551616", kI32Max, kU32Max, kI64Max, kU64Max},
    {"000000000000000000000000042", 42, 42, 42, 42},
    {"0x1F", 31, 31, 31, 31},
    {"0X1f", 31, 31, 31, 31},
    {"-0x10", -16, 0, -16, 0},
    {"0x7FFFFFFF", kI32Max, 0x7FFFFFFFu, 0x7FFFFFFF, 0x7FFFFFFF},
    {"0xFFFFFFFF", kI32Max, kU32Max, 0xFFFFFFFFLL, 0xFFFFFFFFu},
    {"0x100000000", kI32Max, kU32Max, 0x100000000LL, 0x100000000u},
    {"0xFFFFFFFFFFFFFFFF", kI32Max, kU32Max, kI64Max, kU64Max},
    {"0x10000000000000000", kI32Max, kU32Max, kI64Max, kU64Max},
    {"0xg", 0, 0, 0, 0},
    {"1e3", 1, 1, 1, 1},
    {"3.9", 3, 3, 3, 3},
};

TEST_P(StoredValue, IntegerReadersClampToTheirTypeAndReadHex) {
    for (const IntegerCase& c : kIntegerCases) {
        SCOPED_TRACE(std::string("stored \"") + c.text + "\"");
        Value w = Holding(c.text);
        EXPECT_EQ(Get(w, "AsInt32").asInt(), c.asInt32);
        EXPECT_EQ(Get(w, "AsUInt32").asUInt(), c.asUInt32);
        EXPECT_EQ(Get(w, "AsInt64").asInt(), c.asInt64);
        EXPECT_EQ(Get(w, "AsUInt64").asUInt(), c.asUInt64);
    }
}

struct RealCase {
    const char* text;
    double asDouble;
    float asSingle;
};

const RealCase kRealCases[] = {
    {"0", 0.0, 0.0f},
    {"1.5", 1.5, 1.5f},
    {"-2.25", -2.25, -2.25f},
    {"  3.5", 3.5, 3.5f},
    {"1e3", 1000.0, 1000.0f},
    {"0.1", 0.1, 0.1f},
    {"3.4028234663852886e38", 3.4028234663852886e38, FLT_MAX},
    {"5e-324", 5e-324, 0.0f},
    {"1e400", HUGE_VAL, std::numeric_limits<float>::infinity()},
    {"0x10", 16.0, 16.0f},
    {"2.5kg", 2.5, 2.5f},
    {"abc", 0.0, 0.0f},
    {"", 0.0, 0.0f},
};

TEST_P(StoredValue, RealReadersUseTheStandardConversion) {
    for (const RealCase& c : kRealCases) {
        SCOPED_TRACE(std::string("stored \"") + c.text + "\"");
        Value w = Holding(c.text);
        EXPECT_EQ(Get(w, "AsDouble").asDouble(), c.asDouble);
        EXPECT_EQ(Get(w, "AsSingle").asSingle(), c.asSingle);
    }
}

TEST_P(StoredValue, BooleanReaderLooksAtTheFirstCharacterOnly) {
    const struct {
        const char* text;
        bool expected;
    } cases[] = {
        {"1", true},  {"true", true},   {"True", true}, {"t", true},      {"yes", true},
        {"Y", true},  {"10", true},     {"0", false},   {"false", false}, {"no", false},
        {"N", false}, {" true", false}, {"", false},    {"2", false},     {"on", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("stored \"") + c.text + "\"");
        EXPECT_EQ(Get(Holding(c.text), "AsBoolean").asBool(), c.expected);
    }
}

TEST_P(StoredValue, IntegerWritersStoreDecimalText) {
    Value w = Wrapper();
    const struct {
        Value value;
        const char* stored;
    } cases[] = {
        {Value::Int32(-1), "-1"},
        {Value::Int32(kI32Min), "-2147483648"},
        {Value::Int32(kI32Max), "2147483647"},
        {Value::UInt32(kU32Max), "4294967295"},
        {Value::UInt32(0), "0"},
        {Value::Int64(kI64Min), "-9223372036854775808"},
        {Value::Int64(kI64Max), "9223372036854775807"},
        {Value::UInt64(kU64Max), "18446744073709551615"},
        {Value::UInt64(9223372036854775808u), "9223372036854775808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Call(w, "Set", {c.value});
        EXPECT_EQ(Stored(w), c.stored);
    }
    Call(w, "Set", {Value::UInt32(kU32Max)});
    EXPECT_EQ(Get(w, "AsUInt32").asUInt(), kU32Max);
    Call(w, "Set", {Value::UInt64(kU64Max)});
    EXPECT_EQ(Get(w, "AsUInt64").asUInt(), kU64Max);
}

TEST_P(StoredValue, BooleanWriterStoresTrueOrFalse) {
    Value w = Wrapper();
    Call(w, "Set", {Bool(true)});
    EXPECT_EQ(Stored(w), "true");
    EXPECT_TRUE(Get(w, "AsBoolean").asBool());
    Call(w, "Set", {Bool(false)});
    EXPECT_EQ(Stored(w), "false");
    EXPECT_FALSE(Get(w, "AsBoolean").asBool());
}

TEST_P(StoredValue, RealWritersUseRoundTripPrecisionByDefault) {
    Value w = Wrapper();
    const struct {
        Value value;
        const char* stored;
    } cases[] = {
        {Value::Double(0.1), "0.10000000000000001"},
        {Value::Single(0.1f), "0.100000001"},
        {Value::Double(1.5), "1.5"},
        {Value::Double(-0.0), "-0"},
        {Value::Double(1e21), "1e+21"},
        {Value::Double(5e-324), "4.9406564584124654e-324"},
        {Value::Double(DBL_MAX), "1.7976931348623157e+308"},
        {Value::Single(16777217.0f), "16777216"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Call(w, "Set", {c.value});
        EXPECT_EQ(Stored(w), c.stored);
    }
    // The defaults are enough to read the same number back.
    Call(w, "Set", {Value::Double(0.1)});
    EXPECT_EQ(Get(w, "AsDouble").asDouble(), 0.1);
    Call(w, "Set", {Value::Single(0.1f)});
    EXPECT_EQ(Get(w, "AsSingle").asSingle(), 0.1f);
}

TEST_P(StoredValue, PrecisionCountsSignificantDigits) {
    Value w = Wrapper();
    const struct {
        Value value;
        int64_t precision;
        const char* stored;
    } cases[] = {
        {Value::Double(1.5), 3, "1.5"},
        {Value::Double(1234567), 3, "1.23e+06"},
        {Value::Double(3.7), 0, "4"},
        {Value::Double(3.14159265), 1, "3"},
        {Value::Double(0.0001234), 2, "0.00012"},
        {Value::Double(0.00001234), 2, "1.2e-05"},
        {Value::Double(2.0 / 3.0), -1, "0.666667"},
        {Value::Double(2.0 / 3.0), -1000, "0.666667"},
        {Value::Single(0.1f), 3, "0.1"},
        {Value::Single(0.1f), 12, "0.10000000149"},
        {Value::Single(2.0f / 3.0f), 0, "0.7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Call(w, "Set", {c.value, Int(c.precision)});
        EXPECT_EQ(Stored(w), c.stored);
    }
}

// What "%.*g" prints without any buffer limit.
std::string Printed(double value, int precision) {
    char text[512];
    std::snprintf(text, sizeof(text), "%.*g", precision, value);
    return text;
}

// pugixml formats into a 128-byte buffer: above 120 digits the text would be
// cut (the exponent lost, so 5e-324 would read back as 4.94). Precision is
// therefore clamped to 120 in the host's full 64-bit Integer.
TEST_P(StoredValue, PrecisionAbove120IsClampedSoTheTextIsNeverCut) {
    const std::string min120 = Printed(5e-324, 120);
    ASSERT_EQ(min120.size(), 126u);  // 120 digits, point, "e-324"
    Value w = Wrapper();
    const int64_t clamped[] = {120,
                               121,
                               200,
                               2147483647,
                               (int64_t(1) << 32) + 121,
                               (int64_t(1) << 32) + 200,
                               (int64_t(1) << 32) + 5,  // narrows to 5
                               (int64_t(1) << 32) - 1,  // narrows to -1
                               (int64_t(1) << 31),      // narrows to INT_MIN
                               std::numeric_limits<int64_t>::max()};
    for (int64_t precision : clamped) {
        SCOPED_TRACE(precision);
        Call(w, "Set", {Value::Double(5e-324), Int(precision)});
        EXPECT_EQ(Stored(w), min120);
        EXPECT_EQ(Get(w, "AsDouble").asDouble(), 5e-324);
        Call(w, "Set", {Value::Single(-0.1f), Int(precision)});
        EXPECT_EQ(Stored(w), "-0.100000001490116119384765625");  // exact
        EXPECT_EQ(Get(w, "AsSingle").asSingle(), -0.1f);
        Call(w, "Set", {Value::Double(-DBL_MAX), Int(precision)});
        EXPECT_EQ(Stored(w), Printed(-DBL_MAX, 120));
        EXPECT_EQ(Stored(w).size(), 127u);  // sign, 120 digits, point, "e+308"
        EXPECT_EQ(Get(w, "AsDouble").asDouble(), -DBL_MAX);
    }
}

TEST_P(StoredValue, NegativePrecisionMeansTheDefaultEvenBeyondInt32) {
    Value w = Wrapper();
    const int64_t negatives[] = {-1, std::numeric_limits<int32_t>::min(),
                                 -(int64_t(1) << 32) + 5,  // narrows to +5
                                 std::numeric_limits<int64_t>::min()};
    for (int64_t precision : negatives) {
        SCOPED_TRACE(precision);
        Call(w, "Set", {Value::Double(3.14159265358979), Int(precision)});
        EXPECT_EQ(Stored(w), "3.14159");
    }
}

TEST_P(StoredValue, StringsKeepTheirBytesAndReadUpToAZeroByte) {
    Value w = Wrapper();
    Call(w, "Set", {Str("caf\xC3\xA9 <&>\"'")});
    EXPECT_EQ(Stored(w), "caf\xC3\xA9 <&>\"'");
    Call(w, "Set",
         {Str(std::string_view("12\0"
                               "34",
                               5))});
    EXPECT_EQ(Stored(w), "12");
    EXPECT_EQ(Get(w, "AsInt32").asInt(), 12);
    Call(w, "Set", {Str("")});
    EXPECT_EQ(Stored(w), "");
}

TEST_P(StoredValue, UnreadableStringLeavesTheValue) {
    Value w = Holding("kept");
    Call(w, "Set", {host().strUnconvertible("\xFF\xFE")});
    EXPECT_EQ(Stored(w), "kept");
}

INSTANTIATE_TEST_SUITE_P(Both, StoredValue, ::testing::Values(Target::Attribute, Target::Text),
                         TargetName);

}  // namespace
