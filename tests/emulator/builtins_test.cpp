// The host's own classes: DateTime, TimeZone, FolderItem, RuntimeException.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "emu_fixture.h"

namespace {

std::vector<emu::Value> DateArgs(int64_t y, int64_t mo, int64_t d, int64_t h, int64_t mi, int64_t s,
                                 int64_t ns, emu::Value zone = {}) {
    using emu::Value;
    return {Value::Integer(y),  Value::Integer(mo), Value::Integer(d),  Value::Integer(h),
            Value::Integer(mi), Value::Integer(s),  Value::Integer(ns), std::move(zone)};
}

}  // namespace

TEST_F(EmuTest, DateTimeConstructorAcceptsRealCalendarDatesOnly) {
    struct Case {
        int64_t y, mo, d, h, mi, s, ns;
        bool valid;
    } cases[] = {
        {2024, 2, 29, 0, 0, 0, 0, true},
        {2000, 2, 29, 0, 0, 0, 0, true},
        {2023, 2, 29, 0, 0, 0, 0, false},
        {1900, 2, 29, 0, 0, 0, 0, false},
        {2023, 4, 30, 23, 59, 59, 999999999, true},
        {2023, 4, 31, 0, 0, 0, 0, false},
        {2023, 12, 31, 0, 0, 0, 0, true},
        {2023, 13, 1, 0, 0, 0, 0, false},
        {2023, 0, 1, 0, 0, 0, 0, false},
        {2023, 1, 0, 0, 0, 0, 0, false},
        {2023, 1, 32, 0, 0, 0, 0, false},
        {2023, 1, 1, 24, 0, 0, 0, false},
        {2023, 1, 1, -1, 0, 0, 0, false},
        {2023, 1, 1, 0, 60, 0, 0, false},
        {2023, 1, 1, 0, 0, 60, 0, false},
        {2023, 1, 1, 0, 0, 0, 1000000000, false},
        {2023, 1, 1, 0, 0, 0, -1, false},
        {1, 1, 1, 0, 0, 0, 0, true},
        {0, 1, 1, 0, 0, 0, 0, false},
        {99999999, 12, 31, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        std::string label = std::to_string(c.y) + "-" + std::to_string(c.mo) + "-" +
                            std::to_string(c.d) + " " + std::to_string(c.h) + ":" +
                            std::to_string(c.mi) + ":" + std::to_string(c.s) + "." +
                            std::to_string(c.ns);
        if (c.valid) {
            emu::Value dt = host().New("DateTime", DateArgs(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ns));
            EXPECT_EQ(host().get(dt, "Year").asInt(), c.y) << label;
            EXPECT_EQ(host().get(dt, "Day").asInt(), c.d) << label;
            EXPECT_EQ(host().get(dt, "Nanosecond").asInt(), c.ns) << label;
        } else {
            try {
                host().New("DateTime", DateArgs(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ns));
                ADD_FAILURE() << label << " was accepted";
            } catch (const emu::HostException& e) {
                EXPECT_EQ(e.className, "InvalidArgumentException") << label;
                EXPECT_TRUE(host().isa(e.exception, "RuntimeException"));
            }
        }
    }
}

class OtherZone : public EmuTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig c;
        c.defaultZoneSecondsFromGMT = -18000;
        return c;
    }
};

TEST_F(OtherZone, ANilZoneMeansTheHostsDefaultZone) {
    emu::Value dt = host().New("DateTime", DateArgs(2023, 2, 1, 8, 9, 10, 0));
    emu::Value zone = host().get(dt, "Timezone");
    ASSERT_FALSE(zone.isNil());
    EXPECT_EQ(zone.className(), "TimeZone");
    EXPECT_EQ(host().get(zone, "SecondsFromGMT").asInt(), -18000);
    EXPECT_EQ(host().get(dt, "SecondsFromGMT").asInt(), -18000);
    EXPECT_EQ(Fake("ZoneOffset", {dt}).asInt(), -18000);
}

TEST_F(EmuTest, DateTimeKeepsTheZoneItWasGiven) {
    emu::Value zone = host().New("TimeZone", {Int(19800)});
    emu::Value dt = host().New("DateTime", DateArgs(2023, 2, 1, 8, 9, 10, 0, zone));
    zone = {};  // the DateTime holds its own reference
    EXPECT_EQ(Fake("ZoneOffset", {dt}).asInt(), 19800);
    // A DateTime made by test code without a zone has none at all.
    EXPECT_EQ(Fake("ZoneOffset", {host().dateTime(2023, 2, 1)}).asInt(), -1);
    EXPECT_EQ(Fake("ZoneOffset", {host().dateTime(2023, 2, 1, 0, 0, 0, 0, 3600)}).asInt(), 3600);
    EXPECT_THROW(host().dateTime(2023, 2, 30), emu::EmulatorError);
}

TEST_F(EmuTest, PluginCatchesDateTimeErrorsThroughTheHandlerEntry) {
    EXPECT_EQ(Fake("CatchDate", {Int(2024), Int(2), Int(29)}).asString(), "ok");
    EXPECT_EQ(Fake("CatchDate", {Int(2023), Int(2), Int(29)}).asString(),
              "caught:DateTime: day 29 is out of range");
}

TEST_F(EmuTest, UncaughtDateTimeErrorsReachHostCodeWithTheReturnedValue) {
    try {
        Fake("MakeDate", {Int(2023), Int(13), Int(1)});
        FAIL() << "no exception";
    } catch (const emu::HostException& e) {
        EXPECT_EQ(e.className, "InvalidArgumentException");
        EXPECT_EQ(e.message, "DateTime: month 13 is out of range");
        EXPECT_EQ(e.returned.className(), "DateTime");  // the half-built object
    }
}

TEST_F(EmuTest, CreateInstanceFindsHostAndPluginClassesByName) {
    struct Case {
        const char* name;
        const char* cls;
    } cases[] = {{"DateTime", "DateTime"},
                 {"Fake.Base", "Fake.Base"},
                 {"fake.base", "Fake.Base"},
                 {"FakeException", "FakeException"},
                 {"Base", ""},
                 {"Nope", ""},
                 {"", ""}};
    for (const Case& c : cases) {
        emu::Value v = Fake("Instantiate", {Str(c.name)});
        EXPECT_EQ(v.className(), c.cls) << c.name;
    }
    // Derived has only a constructor with parameters: CreateInstance runs none.
    emu::Value d = Fake("Instantiate", {Str("Fake.Derived")});
    EXPECT_TRUE(host().get(d, "Label").isNil());
    d = {};
    TakeLog();
}

class Host2019 : public EmuTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig c;
        c.version = 2019.2;
        return c;
    }
};

TEST_F(EmuTest, FolderItemReadsTheFileSystemAtEachRead) {
    std::string dir = ::testing::TempDir();
    std::string file = dir + "/emu-folderitem-" + std::to_string(::getpid()) + ".txt";
    std::remove(file.c_str());
    emu::Value f = host().folderItem(file);
    EXPECT_EQ(Fake("FolderInfo", {f}).asString(), "exists=0 folder=0 path=" + file);
    std::ofstream(file) << "x";
    EXPECT_EQ(Fake("FolderInfo", {f}).asString(), "exists=1 folder=0 path=" + file);
    std::remove(file.c_str());
    EXPECT_EQ(Fake("FolderInfo", {host().folderItem(dir)}).asString(),
              "exists=1 folder=1 path=" + dir);
    EXPECT_EQ(Fake("FolderInfo", {host().folderItemUnconvertible(dir)}).asString(),
              "exists=1 folder=1 path=(unreadable)");
}

TEST_F(EmuTest, NewerHostsHaveIsFolderButNoDirectory) {
    emu::Value f = host().folderItem(::testing::TempDir());
    EXPECT_TRUE(Fake("AskBool", {f, Str("IsFolder")}).asBool());
    EXPECT_FALSE(Fake("AskBool", {f, Str("Directory")}).asBool());
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "has no property 'Directory'")) << Joined(v);
}

TEST_F(Host2019, OlderHostsHaveDirectoryButNoIsFolder) {
    emu::Value f = host().folderItem(::testing::TempDir());
    EXPECT_EQ(Fake("FolderInfo", {f}).asString(), "exists=1 folder=1 path=" + ::testing::TempDir());
    EXPECT_FALSE(Fake("AskBool", {f, Str("IsFolder")}).asBool());
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "has no property 'IsFolder'")) << Joined(v);
}

TEST_F(EmuTest, RuntimeExceptionCarriesMessageAndErrorNumber) {
    emu::Value e = host().New("RuntimeException", {Str("boom"), Int(-3)});
    EXPECT_EQ(host().get(e, "Message").asString(), "boom");
    EXPECT_EQ(host().get(e, "ErrorNumber").asInt(), -3);
    host().set(e, "Message", Str("bang"));
    EXPECT_EQ(host().get(e, "message").asString(), "bang");  // names are case-insensitive
}
