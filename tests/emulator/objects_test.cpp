// Instance layout, reference counts, destructor chains and the quarantine of
// released objects.
#include "emu_fixture.h"

namespace {

RBInteger Offset(emu::Host& h, const char* cls) {
    return h.registry().findClass(cls)->definition->forSystemUse;
}

}  // namespace

TEST_F(EmuTest, EachClassOfTheChainHasItsOwnBlockRootFirst) {
    RBInteger base = Offset(host(), "Fake.Base"), derived = Offset(host(), "Fake.Derived"),
              leaf = Offset(host(), "Fake.Leaf");
    EXPECT_GE(base, 8);  // the host keeps a header of its own in front
    EXPECT_GE(derived, base + 24);
    EXPECT_GE(leaf, derived + 8);
    for (RBInteger off : {base, derived, leaf}) EXPECT_EQ(off % 8, 0);

    // Writing each class's field through its own block leaves the others intact.
    emu::Value leafObj = host().New("Fake.Leaf", {Str("l")});
    host().set(leafObj, "Counter", Int(-5));
    host().set(leafObj, "Ratio", emu::Value::Double(0.25));
    host().set(leafObj, "LeafB", emu::Value::Int32(-7));
    EXPECT_EQ(host().get(leafObj, "Counter").asInt(), -5);
    EXPECT_EQ(host().get(leafObj, "Ratio").asDouble(), 0.25);
    EXPECT_EQ(host().get(leafObj, "LeafB").asInt(), -7);
    EXPECT_EQ(host().get(leafObj, "LeafA").asInt(), 0);
    EXPECT_EQ(host().get(leafObj, "Label").asString(), "l");
    EXPECT_EQ(host().get(leafObj, "LeafB").kind(), emu::Kind::Int32);
    leafObj = {};
    TakeLog();
}

TEST_F(EmuTest, InstancesAreZeroFilledAndInitialisedRootFirst) {
    emu::Value obj = host().newInstance("Fake.Leaf");
    EXPECT_EQ(TakeLog(), "init Base;init Derived;");
    EXPECT_EQ(host().get(obj, "Untouched").asInt(), 0);
    EXPECT_EQ(host().get(obj, "LeafA").asInt(), 0);
    EXPECT_EQ(host().get(obj, "Ratio").asDouble(), 0.0);
    EXPECT_EQ(host().get(obj, "Counter").asInt(), 100);  // set by Base's initialiser
    EXPECT_TRUE(host().get(obj, "Label").isNil());
    obj = {};
    TakeLog();
}

TEST_F(EmuTest, DestructorsRunMostDerivedFirstIncludingInheritedOnes) {
    struct Case {
        const char* cls;
        const char* log;
    } cases[] = {{"Fake.Base", "~Base;"},
                 {"Fake.Derived", "~Derived;~Base;"},
                 {"Fake.Leaf", "~Derived;~Base;"}};  // Leaf registers no destructor
    for (const Case& c : cases) {
        emu::Value obj = host().newInstance(c.cls);
        TakeLog();
        obj = {};
        EXPECT_EQ(TakeLog(), c.log) << c.cls;
    }
}

TEST_F(EmuTest, ObjectsLiveUntilTheLastLockIsDropped) {
    emu::Value a = host().New("Fake.Derived", {Str("x")});
    emu::Value b = a;  // copying locks
    TakeLog();
    a = {};
    EXPECT_EQ(TakeLog(), "");
    EXPECT_EQ(host().leaks().liveObjects.at("Fake.Derived"), 1);
    b = {};
    EXPECT_EQ(TakeLog(), "~Derived;~Base;");
    EXPECT_EQ(host().leaks().liveObjects.count("Fake.Derived"), 0u);
}

TEST_F(EmuTest, NewRunsTheMatchingConstructorAndNewInstanceDoesNot) {
    emu::Value made = host().New("Fake.Derived", {Str("made")});
    EXPECT_EQ(host().get(made, "Label").asString(), "made");
    emu::Value raw = host().newInstance("Fake.Derived");
    EXPECT_TRUE(host().get(raw, "Label").isNil());
    // Leaf inherits Derived's only constructor, which wants a label.
    EXPECT_THROW(host().New("Fake.Leaf"), emu::EmulatorError);
    EXPECT_THROW(host().New("Fake.Nothing"), emu::EmulatorError);
    made = {};
    raw = {};
    TakeLog();
}

TEST_F(EmuTest, ReleasingTwiceIsReportedAndDoesNotRunDestructorsAgain) {
    Fake("DoubleUnlock");
    EXPECT_EQ(TakeLog(), "init Base;~Base;");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "used after it was destroyed")) << Joined(v);
}

TEST_F(EmuTest, LockingAReleasedObjectIsReported) {
    emu::Value obj = host().newInstance("Fake.Base");
    REALobject raw = obj.object();
    obj = {};
    TakeLog();
    reinterpret_cast<REALLockObjectProc>(host().resolver()("REALLockObject"))(raw);
    reinterpret_cast<REALUnlockObjectProc>(host().resolver()("REALUnlockObject"))(nullptr);
    auto notAnObject = reinterpret_cast<REALobject>(static_cast<uintptr_t>(0x1000));
    reinterpret_cast<REALUnlockObjectProc>(host().resolver()("REALUnlockObject"))(notAnObject);
    std::vector<std::string> v = Violations();
    ASSERT_EQ(v.size(), 2u) << Joined(v);  // unlocking nil is fine
    EXPECT_TRUE(Mentions(v, "REALLockObject: object")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "is not an object of this host")) << Joined(v);
}

TEST(Leaks, TheReportNamesWhatIsStillAlive) {
    emu::Host h;
    h.load(FakePluginPath());
    emu::Value kept = h.newInstance("Fake.Over");
    emu::Value text = h.str("kept");
    h.callModule("Fake", "LeakString");
    h.callModule("Fake", "LeakStringData", {h.str("x")});
    emu::LeakReport r = h.leaks();
    EXPECT_FALSE(r.clean());
    EXPECT_EQ(r.liveObjects.at("Fake.Over"), 1);
    EXPECT_EQ(r.liveStrings, 2);  // "kept" and the leaked one
    EXPECT_EQ(r.outstandingStringData, 1);
    std::string d = r.describe();
    EXPECT_NE(d.find("Fake.Over"), std::string::npos) << d;
    EXPECT_NE(d.find("live strings: 2"), std::string::npos) << d;
    EXPECT_NE(d.find("not disposed: 1"), std::string::npos) << d;
    kept = {};
    text = {};
    EXPECT_EQ(h.leaks().liveStrings, 1);
    EXPECT_TRUE(h.leaks().liveObjects.empty());
}

TEST(Leaks, ACleanReportDescribesNothing) {
    emu::LeakReport r;
    EXPECT_TRUE(r.clean());
    EXPECT_EQ(r.describe(), "");
    r.violations.push_back("x");
    EXPECT_FALSE(r.clean());
}

TEST_F(EmuTest, ReleasedMemoryIsPoisonedSoLateReadsShow) {
    emu::Value obj = host().newInstance("Fake.Base");
    const volatile unsigned char* raw =
        reinterpret_cast<const unsigned char*>(obj.object()) + Offset(host(), "Fake.Base");
    obj = {};
    TakeLog();
#ifdef EMU_TEST_ASAN
    EXPECT_DEATH((void)raw[0], "use-after-poison");
#else
    EXPECT_EQ(raw[0], 0xDB);  // the quarantine pattern, not the old value
#endif
}
