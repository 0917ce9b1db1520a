// The host call layer: entries are asked for by name once and cached; a
// missing entry is asked for again on every call and answers its fallback.
#include "fixture.h"

namespace {

using HostCalls = PluginTest;

TEST_F(HostCalls, EachEntryIsAskedForOnce) {
    emu::Value doc = Parse("<a><b/></a>");
    for (int i = 0; i < 5; ++i) {
        emu::Value element = Call(doc, "DocumentElement");
        EXPECT_EQ(GetString(element, "Name"), "a");
    }
    for (const char* entry :
         {"PluginGetStringData", "PluginDisposeStringData", "REALBuildStringWithEncoding",
          "PluginNewInstanceOfClass", "REALLockObject", "REALUnlockObject"}) {
        EXPECT_EQ(host().resolverAsks(entry), 1u) << entry;
    }
    EXPECT_GE(host().entryCalls("REALBuildStringWithEncoding"), 5u);
}

// Without a string builder every String result is nil (read as ""), and the
// entry is asked for again each time.
class WithoutStringBuilder : public PluginTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.missingEntries.insert("REALBuildStringWithEncoding");
        return config;
    }
};

TEST_F(WithoutStringBuilder, AsksAgainOnEveryCallAndAnswersNil) {
    emu::Value doc = Parse("<a/>");
    emu::Value element = Call(doc, "DocumentElement");
    const size_t before = host().resolverAsks("REALBuildStringWithEncoding");
    for (int i = 0; i < 3; ++i) {
        emu::Value name = Get(element, "Name");
        EXPECT_TRUE(name.isNil());
    }
    EXPECT_EQ(host().resolverAsks("REALBuildStringWithEncoding"), before + 3);
    EXPECT_EQ(host().entryCalls("REALBuildStringWithEncoding"), 0u);
}

// Without string data no argument can be read: members take their
// "unreadable String" path rather than following a null entry.
class WithoutStringData : public PluginTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.missingEntries.insert("PluginGetStringData");
        return config;
    }
};

TEST_F(WithoutStringData, ArgumentsReadAsUnavailable) {
    emu::HostException e = ExpectRaise([&] { Parse("<a/>"); });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_EQ(e.errorNumber, -23);
    EXPECT_EQ(host().get(e.exception, "Status").asInt(), 4);
    emu::Value doc = NewDocument();
    emu::Value child = Call(doc, "AppendChild", {Str("x")});
    EXPECT_TRUE(child.isNil());
    EXPECT_EQ(host().resolverAsks("PluginGetStringData"), 2u);
}

class WithoutObjectLocks : public PluginTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.missingEntries = {"REALLockObject", "REALUnlockObject"};
        return config;
    }
};

// Locks and unlocks vanish together, so the counts stay balanced: nothing
// is called through a null entry and nothing is released twice.
TEST_F(WithoutObjectLocks, MissingLockEntriesAreSkipped) {
    {
        emu::Value doc = Parse("<a/>");
        emu::Value element = Call(doc, "DocumentElement");
        EXPECT_EQ(GetString(element, "Name"), "a");
        element = {};
    }
    EXPECT_EQ(host().entryCalls("REALLockObject"), 0u);
    EXPECT_GE(host().resolverAsks("REALUnlockObject"), 1u);
}

}  // namespace
