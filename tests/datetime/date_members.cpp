// AsDateTime and Set(value as DateTime) of Attribute and TextHelper.
#include <optional>
#include <string>

#include "fixture.h"

namespace {

using emu::Value;

enum class Target { Attribute, Text };

class DateMember : public PluginTest, public ::testing::WithParamInterface<Target> {
protected:
    Value Wrapper() {
        Value root = Call(Parse("<r/>"), "DocumentElement");
        return GetParam() == Target::Attribute ? Call(root, "Attribute", {Str("when"), Bool(true)})
                                               : Call(root, "Text", {Bool(true)});
    }
};

TEST_P(DateMember, SetThenAsDateTimeRoundTrips) {
    Value w = Wrapper();
    const struct {
        Value dt;
        const char* stored;
        int64_t zone;
    } cases[] = {
        {host().dateTime(2023, 2, 1, 8, 9, 10, 0, 19800), "2023-02-01T08:09:10+05:30", 19800},
        {host().dateTime(1999, 12, 31, 23, 59, 59, 0, -12600), "1999-12-31T23:59:59-03:30", -12600},
        {host().dateTime(2024, 2, 29, 0, 0, 0, 0, 0), "2024-02-29T00:00:00+00:00", 0},
        // Fractions of a second and leftover seconds of the zone are not kept.
        {host().dateTime(2023, 2, 1, 8, 9, 10, 123456789, 3630), "2023-02-01T08:09:10+01:00", 3600},
        // No Timezone: written as offset zero, read back with zone zero.
        {host().dateTime(2023, 2, 1, 8, 9, 10), "2023-02-01T08:09:10+00:00", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Call(w, "Set", {c.dt});
        EXPECT_EQ(GetString(w, "AsString"), c.stored);
        Value back = Get(w, "AsDateTime");
        ASSERT_TRUE(back);
        EXPECT_EQ(Get(back, "Year").asInt(), Get(c.dt, "Year").asInt());
        EXPECT_EQ(Get(back, "Month").asInt(), Get(c.dt, "Month").asInt());
        EXPECT_EQ(Get(back, "Day").asInt(), Get(c.dt, "Day").asInt());
        EXPECT_EQ(Get(back, "Hour").asInt(), Get(c.dt, "Hour").asInt());
        EXPECT_EQ(Get(back, "Minute").asInt(), Get(c.dt, "Minute").asInt());
        EXPECT_EQ(Get(back, "Second").asInt(), Get(c.dt, "Second").asInt());
        EXPECT_EQ(Get(back, "Nanosecond").asInt(), 0);
        EXPECT_EQ(Get(Get(back, "Timezone"), "SecondsFromGMT").asInt(), c.zone);
    }
}

TEST_P(DateMember, LargeYearsAreStoredInFull) {
    Value w = Wrapper();
    Call(w, "Set", {host().dateTime(99999999, 12, 31, 23, 59, 59, 0, 12345 * 3600)});
    EXPECT_EQ(GetString(w, "AsString"), "99999999-12-31T23:59:59+12345:00");
    // Beyond four digits of year the text is no longer one of the read shapes.
    EXPECT_TRUE(Get(w, "AsDateTime").isNil());
}

TEST_P(DateMember, StoredTextOutsideTheFullShapeReadsAsNil) {
    Value w = Wrapper();
    const char* texts[] = {"2023-02-01", "", "2023-02-01T08:09:10", "2023-02-30T08:09:10Z",
                           "yesterday"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        Call(w, "Set", {Str(text)});
        EXPECT_TRUE(Get(w, "AsDateTime").isNil());
    }
    Call(w, "Set", {Str("2024-03-05T10:20:30Z")});
    Value dt = Get(w, "AsDateTime");
    ASSERT_TRUE(dt);
    EXPECT_EQ(Get(dt, "Hour").asInt(), 10);
    EXPECT_EQ(Get(Get(dt, "Timezone"), "SecondsFromGMT").asInt(), 0);
}

TEST_P(DateMember, NilDateTimeStoresTheEmptyText) {
    Value w = Wrapper();
    Call(w, "Set", {Str("before")});
    Call(w, "Set", {Value::AdoptObject(host(), nullptr)});
    EXPECT_EQ(GetString(w, "AsString"), "");
    EXPECT_FALSE(Get(w, "Empty").asBool());
}

INSTANTIATE_TEST_SUITE_P(Both, DateMember, ::testing::Values(Target::Attribute, Target::Text),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param == Target::Attribute ? "Attribute"
                                                                                : "TextHelper");
                         });

}  // namespace

namespace {

// A host that cannot read Integer properties by name.
class DateFieldsUnreadable : public PluginTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.missingEntries = {"REALGetPropValueInteger"};
        return config;
    }
};

TEST_F(DateFieldsUnreadable, WritingNeverInventsFields) {
    emu::Value dt = host().dateTime(2023, 2, 1, 8, 9, 10, 0, 3600);
    EXPECT_EQ(host().callShared("TorvaneXml.Document", "DateTimeToISO8601", {dt}).asString(), "");
    EXPECT_EQ(host().callShared("TorvaneXml.Document", "DateToISO8601", {dt}).asString(), "");
    emu::Value root = Call(Parse("<r when='kept'>kept</r>"), "DocumentElement");
    emu::Value attribute = Call(root, "Attribute", {Str("when")});
    emu::Value text = Call(root, "Text");
    Call(attribute, "Set", {dt});
    Call(text, "Set", {dt});
    EXPECT_EQ(GetString(attribute, "AsString"), "kept");
    EXPECT_EQ(GetString(text, "AsString"), "kept");
}

}  // namespace
