// The host's rules that a lenient emulator would let pass: each case makes the
// fake plug-in break one of them and checks that the host reports it.
#include <dlfcn.h>

#include "emu_fixture.h"

namespace {

constexpr uint32_t kLatin1 = 0x0201;

// Starts the fake plug-in with one fault committed during its PluginEntry and
// answers what the host reported.
std::vector<std::string> StartWithFault(const std::string& fault) {
    emu::HostConfig cfg;
    cfg.beforeStartUp = [fault](void* handle) {
        auto set = reinterpret_cast<void (*)(const char*)>(dlsym(handle, "FakeSetFault"));
        ASSERT_NE(set, nullptr);
        set(fault.c_str());
    };
    emu::Host h(cfg);
    h.load(FakePluginPath());
    return h.leaks().violations;
}

}  // namespace

using emu::Value;

TEST(StartUp, FaultsCommittedWhileLoadingAreReported) {
    const struct {
        const char* fault;
        const char* expected;
    } cases[] = {
        {"create-at-load", "PluginNewInstanceOfClass during start-up"},
        {"raise-at-load", "RuntimeRaiseException during start-up"},
        {"stack-record", "class OnStack: the class record lies outside the plug-in's image"},
        {"heap-record", "class OnHeap: the class record lies outside the plug-in's image"},
        {"throw-at-load", "std::runtime_error (\"escaped\") escaped from REALPluginMain"},
        {"sloppy-tables", "\"NoTarget() as Integer\": no target bit"},
        {"sloppy-tables", "\"Invalidating() as Integer\": flag bits 0x1 are not defined"},
        {"sloppy-tables", "\"Split() as Integer\": console-only together with a GUI target"},
        {"sloppy-tables", "\"twice(b as integer) as integer\": the same declaration"},
        {"sloppy-tables", "class Sloppy: class flags 0"},
        {"sloppy-tables", "constant count 3 runs past the end of its table (room for 2)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> v = StartWithFault(c.fault);
        EXPECT_TRUE(Mentions(v, c.expected)) << c.fault << ":\n" << Joined(v);
    }
    // Without a fault the same start-up is clean.
    EXPECT_TRUE(StartWithFault("").empty());
}

TEST_F(EmuTest, RegistrationAfterStartUpIsRefused) {
    Fake("RegisterLate");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "PluginRegisterClass called after start-up")) << Joined(v);
    EXPECT_EQ(host().registry().findClass("Late"), nullptr);
}

TEST_F(EmuTest, RecordsChangedAfterRegistrationAreReported) {
    Fake("SpoilRecord");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "class Fake.Base: the method table was changed after registration"))
        << Joined(v);
}

TEST_F(EmuTest, ClassReferencesFirstAskedAfterStartUpAreReported) {
    EXPECT_EQ(host().classesAskedWhileLoading(), std::vector<std::string>{"DateTime"});
    EXPECT_EQ(Fake("Instantiate", {Str("FolderItem")}).className(), "FolderItem");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "pluginObjectType(\"FolderItem\") first asked after start-up"))
        << Joined(v);
    // Asked for at load, or named by host code: kept by any application.
    EXPECT_EQ(Fake("Instantiate", {Str("DateTime")}).className(), "DateTime");
    host().nameClass("TimeZone");
    EXPECT_EQ(Fake("Instantiate", {Str("TimeZone")}).className(), "TimeZone");
    EXPECT_EQ(Fake("Instantiate", {Str("Fake.Over")}).className(), "Fake.Over");
    EXPECT_TRUE(Violations().empty());
}

class CompiledApplication : public EmuTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig c;
        c.compiledApplication = true;
        return c;
    }
};

TEST_F(CompiledApplication, ClassesNobodyAskedForAtLoadAreStripped) {
    EXPECT_TRUE(Fake("Instantiate", {Str("FolderItem")}).isNil());
    EXPECT_EQ(Fake("Instantiate", {Str("DateTime")}).className(), "DateTime");
    EXPECT_TRUE(Violations().empty());
}

TEST_F(EmuTest, CppExceptionsLeavingPluginCodeAreReportedByName) {
    Value over = host().callShared("Fake.Over", "Make", {Int(1)});
    EXPECT_TRUE(Fake("ThrowCpp").isNil());
    EXPECT_TRUE(host().get(over, "Throwing").isNil());
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "std::runtime_error (\"escaped\") escaped from module Fake method"))
        << Joined(v);
    EXPECT_TRUE(
        Mentions(v, "C++ exception int escaped from class Fake.Over property Throwing getter"))
        << Joined(v);
}

TEST_F(EmuTest, StringDataOutlivingItsStringIsReported) {
    Fake("DataAfterUnlock");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "string released while 1 PluginGetStringData record(s)")) << Joined(v);
}

TEST_F(EmuTest, UnknownEncodingsAndMislabelledBytesAreReported) {
    const struct {
        const char* utf8;
        int64_t encoding;
        const char* expected;  // nullptr: accepted
    } cases[] = {
        {"plain", kREALTextEncodingASCII, nullptr},
        {"caf\xC3\xA9", kREALTextEncodingUTF8, nullptr},
        {"caf\xC3\xA9", kLatin1, nullptr},  // any byte is Latin-1
        {"caf\xC3\xA9", kREALTextEncodingASCII, "not valid in the encoding 0x600"},
        {"odd", kREALTextEncodingUTF16, "not valid in the encoding 0x100"},  // half a unit
        {"plain", 0x1234, "encoding 0x1234 is not one the host defines"},
    };
    for (const auto& c : cases) {
        Fake("Relabel", {Str(c.utf8), Int(c.encoding)});
        std::vector<std::string> v = Violations();
        if (c.expected) {
            EXPECT_TRUE(Mentions(v, c.expected)) << c.utf8 << " " << c.encoding << Joined(v);
        } else {
            EXPECT_TRUE(v.empty()) << c.utf8 << " " << c.encoding << Joined(v);
        }
    }
    EXPECT_EQ(Fake("BytesHex", {Str("a"), Int(0x4321)}).asString(), "unreadable");
    EXPECT_TRUE(Mentions(Violations(), "PluginGetStringData: encoding 0x4321"));
    // A string the test made unconvertible on purpose is no fault.
    EXPECT_EQ(
        Fake("BytesHex", {host().strUnconvertible("x"), Int(kREALTextEncodingUTF8)}).asString(),
        "unreadable");
    EXPECT_TRUE(Violations().empty());
}

TEST_F(EmuTest, CreateInstanceRunsTheParameterlessConstructor) {
    Value base = Fake("Instantiate", {Str("Fake.Base")});
    EXPECT_EQ(TakeLog(), "init Base;Base.Constructor;");
    base = {};
    TakeLog();
}

TEST_F(EmuTest, ReleasingTheQuarantineFreesWhatWasDropped) {
    { Value b = host().New("Fake.Base"); }
    EXPECT_GT(host().quarantined(), 0u);
    ASSERT_TRUE(host().leaks().clean());
    host().releaseQuarantine();
    EXPECT_EQ(host().quarantined(), 0u);
    TakeLog();
}

#ifndef EMU_TEST_ASAN  // under the sanitizer these writes stop the process at once
TEST_F(EmuTest, WritesIntoReleasedObjectsAndOverrunsAreReported) {
    Fake("WriteAfterFree");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "object of class Fake.Base was written after it was destroyed"))
        << Joined(v);
    Fake("Overrun");
    v = Violations();
    EXPECT_TRUE(Mentions(v, "beyond a class's data block was overwritten")) << Joined(v);
    // The pattern is checked again when the quarantine lets the memory go.
    Fake("WriteAfterFree");
    host().releaseQuarantine();
    EXPECT_TRUE(Mentions(Violations(), "written after it was destroyed"));
    TakeLog();
}
#endif
