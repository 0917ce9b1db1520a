// ISO 8601 text to and from the host's DateTime: the two accepted text
// shapes, the long output form, and DateTime construction through the
// host's own constructors.
#include "datetime/iso8601.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/hostcalls.h"

namespace {

REALclassRef gTimeZoneRef = nullptr;
REALclassRef gDateTimeRef = nullptr;

using DateTimeConstructor = void (*)(REALobject self, RBInteger year, RBInteger month,
                                     RBInteger day, RBInteger hour, RBInteger minute,
                                     RBInteger second, RBInteger nanosecond, REALobject timeZone);
using TimeZoneConstructor = void (*)(REALobject self, RBInteger gmtOffsetInSeconds);

DateTimeConstructor gDateTimeConstructor = nullptr;
TimeZoneConstructor gTimeZoneConstructor = nullptr;

const char kDateTimeConstructor[] =
    "Constructor(Year as Integer, Month as Integer, Day as Integer, hour as Integer, minute as "
    "Integer, second as Integer, nanosecond as Integer, timeZone as TimeZone)";
const char kTimeZoneConstructor[] = "Constructor(gmtOffsetInSeconds As Integer)";

// '0' one ASCII digit, '+' a sign, anything else itself.
const char kLongTemplate[] = "0000-00-00T00:00:00+00:00";
const char kZuluTemplate[] = "0000-00-00T00:00:00Z";
constexpr size_t kLongLength = sizeof(kLongTemplate) - 1;
constexpr size_t kZuluLength = sizeof(kZuluTemplate) - 1;
constexpr size_t kDateLength = 10;

struct DateTimeArgs {
    REALobject dateTime;
    int64_t year, month, day, hour, minute, second;
    bool hasZone;
    int64_t gmtOffset;
    // Filled inside the callback and released by CreateDateTime, so nothing
    // leaks whether or not a raise inside the callback unwinds it.
    REALobject timeZone;
    // Set when the callback ran to its end (a host without the handler entry
    // runs nothing).
    bool completed;
};

bool Matches(const char* text, const char* pattern, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (pattern[i]) {
            case '0':
                if (c < '0' || c > '9') return false;
                break;
            case '+':
                if (c != '+' && c != '-') return false;
                break;
            default:
                if (c != static_cast<unsigned char>(pattern[i])) return false;
        }
    }
    return true;
}

int ParseDigits(const char* text, size_t n) {
    const std::string digits(text, n);
    return std::atoi(digits.c_str());
}

void ConstructDateTime(DateTimeArgs& args) {
    if (!gDateTimeConstructor)
        gDateTimeConstructor = reinterpret_cast<DateTimeConstructor>(
            REALLoadObjectMethod(args.dateTime, kDateTimeConstructor));
    if (!gDateTimeConstructor) return;
    if (args.hasZone) {
        if (!gTimeZoneRef) gTimeZoneRef = REALGetClassRef("TimeZone");
        if (!gTimeZoneRef) return;
        args.timeZone = REALnewInstanceWithClass(gTimeZoneRef);
        if (!args.timeZone) return;
        if (!gTimeZoneConstructor)
            gTimeZoneConstructor = reinterpret_cast<TimeZoneConstructor>(
                REALLoadObjectMethod(args.timeZone, kTimeZoneConstructor));
        if (!gTimeZoneConstructor) return;
        gTimeZoneConstructor(args.timeZone, args.gmtOffset);
    }
    gDateTimeConstructor(args.dateTime, args.year, args.month, args.day, args.hour, args.minute,
                         args.second, 0, args.timeZone);
    args.completed = true;
}

void ConstructInCallback(void* block) {
    ConstructDateTime(*static_cast<DateTimeArgs*>(block));
}

// A new DateTime, or nil when the host refuses the fields (30 February, hour
// 24, ...): a refusal is a failure like text that does not parse, never a
// made-up date.
REALobject CreateDateTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                          int64_t second, bool hasZone, int64_t gmtOffset) {
    if (!gDateTimeRef) gDateTimeRef = REALGetClassRef("DateTime");
    if (!gDateTimeRef) return nullptr;
    DateTimeArgs args{};
    args.dateTime = REALnewInstanceWithClass(gDateTimeRef);
    if (!args.dateTime) return nullptr;
    args.year = year < 1 ? 1 : year;
    args.month = month;
    args.day = day;
    args.hour = hour;
    args.minute = minute;
    args.second = second;
    args.hasZone = hasZone;
    args.gmtOffset = gmtOffset;
    REALobject exception = REALCallFunctionWithExceptionHandler(ConstructInCallback, &args);
    // The DateTime keeps its own reference to the zone.
    REALUnlockObject(args.timeZone);
    if (exception || !args.completed) {
        REALUnlockObject(exception);
        REALUnlockObject(args.dateTime);
        return nullptr;
    }
    return args.dateTime;
}

}  // namespace

REALobject ParseDateFromISO8601(const char* text, size_t length) {
    if (length < kDateLength || !Matches(text, kLongTemplate, kDateLength)) return nullptr;
    return CreateDateTime(ParseDigits(text, 4), ParseDigits(text + 5, 2), ParseDigits(text + 8, 2),
                          0, 0, 0, false, 0);
}

void ResetDateTimeClassCaches() {
    gTimeZoneRef = nullptr;
    gDateTimeRef = nullptr;
    // The constructors were looked up on instances of those classes.
    gDateTimeConstructor = nullptr;
    gTimeZoneConstructor = nullptr;
}

void AskForDateTimeClasses() {
    // Asked while loading, the host records the dependency and a compiled
    // application keeps both classes; the look-ups on first use stay as the
    // fallback for a host that answers nil here.
    gDateTimeRef = REALGetClassRef("DateTime");
    gTimeZoneRef = REALGetClassRef("TimeZone");
}

REALobject ParseDateTimeFromISO8601(const char* text, size_t length) {
    if (!text) return nullptr;
    const char* pattern = length == kLongLength   ? kLongTemplate
                          : length == kZuluLength ? kZuluTemplate
                                                  : nullptr;
    if (!pattern || !Matches(text, pattern, length)) return nullptr;
    int64_t offset = 0;
    if (length == kLongLength) {
        offset =
            int64_t(ParseDigits(text + 20, 2)) * 3600 + int64_t(ParseDigits(text + 23, 2)) * 60;
        if (text[19] == '-') offset = -offset;
    }
    return CreateDateTime(ParseDigits(text, 4), ParseDigits(text + 5, 2), ParseDigits(text + 8, 2),
                          ParseDigits(text + 11, 2), ParseDigits(text + 14, 2),
                          ParseDigits(text + 17, 2), true, offset);
}

// Fields are printed as their 64-bit values, so the text is always the true
// value; text that would not fit `bufferSize` is not written at all rather
// than cut short. A property the host cannot read writes nothing either.
size_t FormatDateTimeToISO8601(REALobject dateTime, char* buffer, size_t bufferSize,
                               bool dateOnly) {
    if (bufferSize) buffer[0] = '\0';
    if (!dateTime || !bufferSize) return 0;
    RBInteger year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, offset = 0;
    if (!REALGetPropValueInteger(dateTime, "Year", &year) ||
        !REALGetPropValueInteger(dateTime, "Month", &month) ||
        !REALGetPropValueInteger(dateTime, "Day", &day))
        return 0;
    if (!dateOnly) {
        if (!REALGetPropValueInteger(dateTime, "Hour", &hour) ||
            !REALGetPropValueInteger(dateTime, "Minute", &minute) ||
            !REALGetPropValueInteger(dateTime, "Second", &second))
            return 0;
        REALobject zone = nullptr;
        if (!REALGetPropValueObject(dateTime, "Timezone", &zone)) return 0;
        if (zone) {
            const bool read = REALGetPropValueInteger(zone, "SecondsFromGMT", &offset);
            REALUnlockObject(zone);
            if (!read) return 0;
        }
    }
    const char sign = offset < 0 ? '-' : '+';
    // Magnitude in unsigned arithmetic: the most negative offset has none in int64.
    const uint64_t magnitude =
        offset < 0 ? uint64_t(0) - static_cast<uint64_t>(offset) : static_cast<uint64_t>(offset);
    const int printed =
        std::snprintf(buffer, bufferSize,
                      "%04" PRId64 "-%02" PRId64 "-%02" PRId64 "T%02" PRId64 ":%02" PRId64
                      ":%02" PRId64 "%c%02" PRIu64 ":%02" PRIu64,
                      int64_t(year), int64_t(month), int64_t(day), int64_t(hour), int64_t(minute),
                      int64_t(second), sign, magnitude / 3600, magnitude % 3600 / 60);
    if (printed < 0 || size_t(printed) >= bufferSize) {
        buffer[0] = '\0';
        return 0;
    }
    return size_t(printed);
}
