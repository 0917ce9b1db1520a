// Loading fresh copies of a plug-in, the resolver's answers and counts.
#include <fstream>

#include "emu_fixture.h"

namespace {

bool HasModuleMethod(const emu::Host& h, const std::string& decl) {
    const emu::RegisteredModule* m = h.registry().findModule("Fake");
    if (!m) return false;
    for (const auto& meth : m->methods)
        if (meth.declaration == decl) return true;
    return false;
}

}  // namespace

TEST_F(EmuTest, StartUpRegistersModuleAndClassesInOrder) {
    EXPECT_EQ(host().announcedVersion(), 13);
    const emu::RegisteredModule* m = host().registry().findModule("Fake");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->classes, (std::vector<std::string>{"Fake.Derived", "Fake.Base", "Fake.Leaf",
                                                    "Fake.Iter", "Fake.Over"}));
    ASSERT_EQ(m->enums.size(), 1u);
    EXPECT_EQ(m->enums[0].entries, (std::vector<std::string>{"RED = 1", "GREEN", "BLUE = 7"}));
    std::vector<std::string> order;
    for (const auto& c : host().registry().classes) order.push_back(c.name);
    EXPECT_EQ(order,
              (std::vector<std::string>{"Fake.Derived", "Fake.Base", "Fake.Leaf", "Fake.Iter",
                                        "Fake.Over", "FakeSubException", "FakeException"}));
    const emu::RegisteredClass* derived = host().registry().findClass("Fake.Derived");
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->superName, "Fake.Base");
    EXPECT_TRUE(derived->hasDestructor);
    // Attributes of the hidden module method come through as registered.
    for (const auto& meth : m->methods) {
        if (meth.declaration == "Secret() as Integer") {
            ASSERT_EQ(meth.attributes.size(), 1u);
            EXPECT_EQ(meth.attributes[0].first, "Hidden");
        }
    }
}

TEST(Loading, EachHostGetsAFreshCopyWithItsOwnStatics) {
    // The fake plug-in shortens its static method table on old hosts; a
    // shared copy would keep the shortened table for the later 2020.0 host.
    struct Case {
        double version;
        bool modern;
    } cases[] = {{2019.1, false}, {2020.0, true}, {2019.2, false}, {2021.1, true}};
    for (const Case& c : cases) {
        emu::HostConfig cfg;
        cfg.version = c.version;
        emu::Host h(cfg);
        h.load(FakePluginPath());
        EXPECT_EQ(HasModuleMethod(h, "Modern() as Boolean"), c.modern) << c.version;
        // Statics start empty in each copy: nothing logged from the previous host.
        { emu::Value b = h.New("Fake.Base"); }
        EXPECT_EQ(h.callModule("Fake", "TakeLog").asString(), "init Base;Base.Constructor;~Base;");
        EXPECT_TRUE(h.leaks().clean()) << h.leaks().describe();
    }
}

TEST(Loading, OnlyOneHostAtATime) {
    emu::Host first;
    EXPECT_THROW(emu::Host second, emu::EmulatorError);
    EXPECT_EQ(emu::Host::current(), &first);
}

TEST(Loading, BadFilesAreErrorsNotCrashes) {
    emu::Host h;
    EXPECT_THROW(h.load("/nonexistent/plugin.so"), emu::EmulatorError);
    std::string junk = ::testing::TempDir() + "/emu-not-a-library.so";
    std::ofstream(junk) << "not an ELF file";
    EXPECT_THROW(h.load(junk), emu::EmulatorError);
}

TEST(Loading, MissingEntriesAnswerNullAndAreCounted) {
    emu::HostConfig cfg;
    cfg.missingEntries = {"REALLockString", "REALGetRBVersion"};
    emu::Host h(cfg);
    h.load(FakePluginPath());
    // Without a version the fake plug-in treats the host as old.
    EXPECT_FALSE(HasModuleMethod(h, "Modern() as Boolean"));
    EXPECT_EQ(h.resolver()("REALLockString"), nullptr);
    EXPECT_NE(h.resolver()("REALUnlockString"), nullptr);
    size_t before = h.resolverAsks("REALLockString");
    EXPECT_FALSE(h.callModule("Fake", "AskEntry", {h.str("REALLockString")}).asBool());
    EXPECT_TRUE(h.callModule("Fake", "AskEntry", {h.str("REALLockObject")}).asBool());
    EXPECT_EQ(h.resolverAsks("REALLockString"), before + 1);
    EXPECT_TRUE(h.leaks().clean()) << h.leaks().describe();
}

TEST(Loading, UnknownEntryNamesAreReported) {
    emu::Host h;
    h.load(FakePluginPath());
    EXPECT_FALSE(h.callModule("Fake", "AskEntry", {h.str("REALGetPropValueDouble")}).asBool());
    std::vector<std::string> v = h.takeViolations();
    EXPECT_TRUE(Mentions(v, "REALGetPropValueDouble")) << Joined(v);
    EXPECT_EQ(h.resolverAsks("REALGetPropValueDouble"), 1u);
}

TEST_F(EmuTest, EntriesAreCountedPerCallAndCachedByThePlugin) {
    EXPECT_EQ(host().entryCalls("RegisterPluginVersion"), 1u);
    EXPECT_EQ(host().entryCalls("PluginRegisterModule"), 1u);
    EXPECT_EQ(host().entryCalls("PluginRegisterClass"), 2u);
    size_t builds = host().entryCalls("REALBuildStringWithEncoding");
    Fake("Echo", {Str("a")});
    Fake("Echo", {Str("b")});
    EXPECT_EQ(host().entryCalls("REALBuildStringWithEncoding"), builds + 2);
    EXPECT_EQ(host().resolverAsks("REALBuildStringWithEncoding"), 1u);
    auto version = reinterpret_cast<REALGetRBVersionProc>(host().resolver()("REALGetRBVersion"));
    EXPECT_EQ(version(), 2020.0);
}
