// ISO8601ToDateTime: the two accepted text shapes, everything they refuse,
// the date-only reading, and fields the host's DateTime refuses.
#include <optional>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using emu::Value;

struct Fields {
    int64_t year, month, day, hour, minute, second;
    std::optional<int64_t> zone;  // SecondsFromGMT of the Timezone; nullopt when nil
    bool operator==(const Fields& o) const {
        return year == o.year && month == o.month && day == o.day && hour == o.hour &&
               minute == o.minute && second == o.second && zone == o.zone;
    }
};

std::ostream& operator<<(std::ostream& os, const Fields& f) {
    os << f.year << '-' << f.month << '-' << f.day << ' ' << f.hour << ':' << f.minute << ':'
       << f.second << " zone ";
    if (f.zone)
        os << *f.zone;
    else
        os << "nil";
    return os;
}

class ParseTest : public PluginTest {
protected:
    Value ToDate(std::string_view text, bool skipTime = false) {
        return host().callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                 {Str(text), Bool(skipTime)});
    }
    Fields Read(const Value& dt) {
        Fields f{Get(dt, "Year").asInt(),
                 Get(dt, "Month").asInt(),
                 Get(dt, "Day").asInt(),
                 Get(dt, "Hour").asInt(),
                 Get(dt, "Minute").asInt(),
                 Get(dt, "Second").asInt(),
                 std::nullopt};
        Value zone = Get(dt, "Timezone");
        if (zone) f.zone = Get(zone, "SecondsFromGMT").asInt();
        return f;
    }
    int64_t DefaultZone() { return host().config().defaultZoneSecondsFromGMT; }
    void ExpectRefused(const std::string& text, bool skipTime = false) {
        SCOPED_TRACE("\"" + text + "\"" + (skipTime ? " date only" : ""));
        {
            Value result = ToDate(text, skipTime);
            EXPECT_TRUE(result.isNil()) << Read(result);
        }
        // A refused DateTime, its zone and the host's exception are all released.
        const emu::LeakReport leaks = host().leaks();
        EXPECT_TRUE(leaks.clean()) << leaks.describe();
    }
};

TEST_F(ParseTest, AcceptedShapesCarryTheirZone) {
    const struct {
        const char* text;
        Fields expected;
    } cases[] = {
        {"2024-03-05T10:20:30Z", {2024, 3, 5, 10, 20, 30, 0}},
        {"2024-03-05T10:20:30+05:30", {2024, 3, 5, 10, 20, 30, 19800}},
        {"2024-03-05T10:20:30-05:00", {2024, 3, 5, 10, 20, 30, -18000}},
        {"2024-03-05T10:20:30+00:00", {2024, 3, 5, 10, 20, 30, 0}},
        {"2024-03-05T10:20:30-00:00", {2024, 3, 5, 10, 20, 30, 0}},
        {"2024-03-05T10:20:30-00:01", {2024, 3, 5, 10, 20, 30, -60}},
        // Zone fields are not range-checked.
        {"2024-03-05T10:20:30+99:99", {2024, 3, 5, 10, 20, 30, 99 * 3600 + 99 * 60}},
        {"0000-01-01T00:00:00Z", {1, 1, 1, 0, 0, 0, 0}},
        {"0001-01-01T00:00:00Z", {1, 1, 1, 0, 0, 0, 0}},
        {"9999-12-31T23:59:59Z", {9999, 12, 31, 23, 59, 59, 0}},
        {"2024-02-29T00:00:00Z", {2024, 2, 29, 0, 0, 0, 0}},
        {"2000-02-29T12:00:00+14:00", {2000, 2, 29, 12, 0, 0, 50400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Value dt = ToDate(c.text);
        ASSERT_TRUE(dt);
        EXPECT_EQ(dt.className(), "DateTime");
        EXPECT_EQ(Read(dt), c.expected);
        EXPECT_EQ(Get(dt, "Nanosecond").asInt(), 0);
    }
}

TEST_F(ParseTest, ShapesOutsideTheTwoTemplatesAreRefused) {
    const char* cases[] = {
        "",
        "2024-03-05",
        "2024-03-05T10:20:30",
        "2024-03-05T10:20:30.500Z",
        "2024-03-05T10:20:30.5+05:30",
        "2024-03-05T10:20:30+0530",
        "2024-03-05T10:20:30+05",
        "2024-03-05 10:20:30Z",
        "2024-03-05t10:20:30z",
        "2024-03-05T10:20:30z",
        "2024-03-05t10:20:30Z",
        "2024-03-05T10:20:30ZZ",
        " 2024-03-05T10:20:30Z",
        "2024-03-05T10:20:30Z ",
        "2024-03-05T10:20:30+05:30Z",
        "2024-03-05T10:20:30+05:30\n",
        "20240305T102030Z",
        "24-03-05T10:20:30Z",
        "+2024-03-05T10:20:30Z",
        "-002-03-05T10:20:30Z",
        "2024-3-5T10:20:30Z   ",
        "2024-03-05T10:20:30\xE2\x88\x92"
        "05:00",                                // U+2212 minus sign
        "2024-03-05T10:20:\xD9\xA3Z",           // two bytes of ARABIC-INDIC DIGIT THREE
        "2\xEF\xBC\x90\xEF\xBC\x92-03-05T10Z",  // fullwidth digits
        "\xC3\xA9\xC3\xA9-03-05T10:20:30Z",
    };
    for (const char* text : cases) ExpectRefused(text);
}

// Every position of both templates, given a character of the wrong class.
TEST_F(ParseTest, EveryTemplatePositionChecksItsCharacterClass) {
    const std::string templates[] = {"2024-03-05T10:20:30+05:30", "2024-03-05T10:20:30Z"};
    for (const std::string& good : templates) {
        ASSERT_TRUE(ToDate(good));
        for (size_t i = 0; i < good.size(); ++i) {
            const char c = good[i];
            std::vector<char> wrong;
            if (c >= '0' && c <= '9')
                wrong = {'/', ':', ' ', 'O', 'a', '+', '\x7F'};  // neighbours of the digits
            else if (c == '+')
                wrong = {'0', ' ', '~', 'Z', ':', '*'};
            else
                wrong = {'0', '9', ' ', char(c ^ 0x20)};  // a digit, a blank, the other case
            for (char w : wrong) {
                std::string text = good;
                text[i] = w;
                ExpectRefused(text);
            }
        }
        // The sign position takes either sign.
        if (good.size() == 25) {
            std::string minus = good;
            minus[19] = '-';
            Value dt = ToDate(minus);
            ASSERT_TRUE(dt);
            EXPECT_EQ(Read(dt).zone, -19800);
        }
    }
}

TEST_F(ParseTest, DateOnlyReadsTenCharactersIntoTheDefaultZone) {
    const Fields midnight{2024, 3, 5, 0, 0, 0, DefaultZone()};
    const char* accepted[] = {"2024-03-05",
                              "2024-03-05T10:20:30Z",
                              "2024-03-05T10:20:30+05:30",
                              "2024-03-05 and anything \xC3\xA9",
                              "2024-03-05\n",
                              "2024-03-05T99:99:99Z"};
    for (const char* text : accepted) {
        SCOPED_TRACE(text);
        Value dt = ToDate(text, true);
        ASSERT_TRUE(dt);
        EXPECT_EQ(Read(dt), midnight);
    }
    {
        Value first = ToDate("0000-01-01", true);
        ASSERT_TRUE(first);
        EXPECT_EQ(Read(first).year, 1);
    }

    const char* refused[] = {"",
                             "2024-03-0",
                             "2024-03-5x",
                             "2024/03/05",
                             " 2024-03-05",
                             "20240305",
                             "2024-O3-05",
                             "\xEF\xBC\x92"
                             "024-03-05"};
    for (const char* text : refused) ExpectRefused(text, true);
}

// The host's constructor refuses these fields; the text still matches a
// template, and the answer is nil, never a substitute date.
TEST_F(ParseTest, FieldsTheHostRefusesGiveNilAndLeakNothing) {
    const char* full[] = {
        "2023-13-01T00:00:00Z",       // month 13
        "2023-00-01T00:00:00Z",       // month 00
        "2023-01-00T00:00:00Z",       // day 00
        "2023-02-30T00:00:00Z",       // 30 February
        "2023-02-29T00:00:00Z",       // 29 February of a non-leap year
        "1900-02-29T00:00:00Z",       // century, not leap
        "2023-04-31T00:00:00Z",       // 31 April
        "2023-01-01T24:00:00Z",       // hour 24
        "2023-01-01T00:60:00Z",       // minute 60
        "2023-01-01T00:00:60Z",       // second 60
        "2023-13-01T00:00:00+05:30",  // refused with a zone made for it
        "2023-02-30T23:59:59-12:00",
        "0000-02-29T00:00:00Z",  // year 0 becomes 1, which is not leap
    };
    for (const char* text : full) ExpectRefused(text);
    const char* dateOnly[] = {"2023-13-01", "2023-02-29", "2023-00-10", "2023-01-00",
                              "2023-02-30T10:20:30Z"};
    for (const char* text : dateOnly) ExpectRefused(text, true);
    // A refusal leaves later conversions working.
    Value dt = ToDate("2023-01-01T00:00:00Z");
    ASSERT_TRUE(dt);
    EXPECT_EQ(Read(dt), (Fields{2023, 1, 1, 0, 0, 0, 0}));
}

TEST_F(ParseTest, NilOrUnreadableTextGivesNil) {
    EXPECT_TRUE(host()
                    .callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                {host().nilString(), Bool(false)})
                    .isNil());
    EXPECT_TRUE(host()
                    .callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                {host().strUnconvertible("2024-03-05T10:20:30Z"), Bool(false)})
                    .isNil());
    // skipTime defaults to false.
    EXPECT_TRUE(
        host().callShared("TorvaneXml.Document", "ISO8601ToDateTime", {Str("2024-03-05")}).isNil());
}

}  // namespace
