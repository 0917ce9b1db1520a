// DateTimeToISO8601 and DateToISO8601: the long text form of a host DateTime.
#include <limits>
#include <optional>
#include <string>

#include "fixture.h"

namespace {

using emu::Value;

class FormatTest : public PluginTest {
protected:
    std::string Format(const Value& dt) {
        return host().callShared("TorvaneXml.Document", "DateTimeToISO8601", {dt}).asString();
    }
    std::string FormatDate(const Value& dt) {
        return host().callShared("TorvaneXml.Document", "DateToISO8601", {dt}).asString();
    }
};

TEST_F(FormatTest, OffsetsPrintAsSignHoursAndMinutes) {
    const struct {
        std::optional<int64_t> zone;
        const char* expected;
    } cases[] = {
        {19800, "2023-02-01T08:09:10+05:30"},
        {-12600, "2023-02-01T08:09:10-03:30"},
        {0, "2023-02-01T08:09:10+00:00"},
        {-18000, "2023-02-01T08:09:10-05:00"},
        {50400, "2023-02-01T08:09:10+14:00"},
        // Leftover seconds of the offset are dropped.
        {3630, "2023-02-01T08:09:10+01:00"},
        {-3630, "2023-02-01T08:09:10-01:00"},
        {3659, "2023-02-01T08:09:10+01:00"},
        {20 * 3600 + 45 * 60 + 59, "2023-02-01T08:09:10+20:45"},
        // A DateTime without a Timezone is written with offset zero, not with
        // the host's default zone.
        {std::nullopt, "2023-02-01T08:09:10+00:00"},
    };
    ASSERT_NE(host().config().defaultZoneSecondsFromGMT, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(Format(host().dateTime(2023, 2, 1, 8, 9, 10, 0, c.zone)), c.expected);
    }
}

TEST_F(FormatTest, FractionsOfASecondAreNotWritten) {
    EXPECT_EQ(Format(host().dateTime(2023, 2, 1, 8, 9, 10, 999999999, 0)),
              "2023-02-01T08:09:10+00:00");
}

TEST_F(FormatTest, DateOnlyIgnoresTimeAndZone) {
    for (std::optional<int64_t> zone : {std::optional<int64_t>(19800),
                                        std::optional<int64_t>(-12600), std::optional<int64_t>()}) {
        EXPECT_EQ(FormatDate(host().dateTime(2023, 2, 1, 8, 9, 10, 5, zone)),
                  "2023-02-01T00:00:00+00:00");
    }
}

TEST_F(FormatTest, NilGivesTheEmptyString) {
    Value empty = host().callShared("TorvaneXml.Document", "DateTimeToISO8601", {Value()});
    EXPECT_EQ(empty.kind(), emu::Kind::String);
    EXPECT_EQ(empty.asString(), "");
    EXPECT_EQ(FormatDate(Value()), "");
}

// Every field prints as its full value, however wide: never cut short and
// never past the end of the buffer.
TEST_F(FormatTest, WideFieldsPrintInFull) {
    EXPECT_EQ(Format(host().dateTime(1, 1, 1, 0, 0, 0, 0, 0)), "0001-01-01T00:00:00+00:00");
    EXPECT_EQ(Format(host().dateTime(12345, 6, 7, 8, 9, 10, 0, -3600)),
              "12345-06-07T08:09:10-01:00");
    EXPECT_EQ(Format(host().dateTime(99999999, 12, 31, 23, 59, 59, 0, 0)),
              "99999999-12-31T23:59:59+00:00");
    EXPECT_EQ(Format(host().dateTime(99999999, 12, 31, 23, 59, 59, 0, 12345 * 3600 + 60)),
              "99999999-12-31T23:59:59+12345:01");
    EXPECT_EQ(FormatDate(host().dateTime(99999999, 12, 31, 23, 59, 59, 0, 12345 * 3600)),
              "99999999-12-31T00:00:00+00:00");
    // The extreme offsets: 9223372036854775807 s is 2562047788015215 h 30 min
    // 7 s; the most negative offset has no positive counterpart in 64 bits.
    EXPECT_EQ(Format(host().dateTime(2023, 2, 1, 8, 9, 10, 0, std::numeric_limits<int64_t>::max())),
              "2023-02-01T08:09:10+2562047788015215:30");
    EXPECT_EQ(Format(host().dateTime(2023, 2, 1, 8, 9, 10, 0, std::numeric_limits<int64_t>::min())),
              "2023-02-01T08:09:10-2562047788015215:30");
}

TEST_F(FormatTest, TextReadsBackAsTheSameDateTime) {
    const int64_t zones[] = {0, 19800, -12600, -43200, 50400};
    for (int64_t zone : zones) {
        SCOPED_TRACE(zone);
        Value dt = host().dateTime(2024, 2, 29, 23, 59, 58, 0, zone);
        Value back =
            host().callShared("TorvaneXml.Document", "ISO8601ToDateTime", {host().str(Format(dt))});
        ASSERT_TRUE(back);
        EXPECT_EQ(Format(back), Format(dt));
        EXPECT_EQ(Get(Get(back, "Timezone"), "SecondsFromGMT").asInt(), zone);
    }
}

}  // namespace
