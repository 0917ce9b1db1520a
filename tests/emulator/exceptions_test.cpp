// Exceptions: pending raises, the handler entry, and class checks.
#include "emu_fixture.h"

TEST_F(EmuTest, ARaisedExceptionReachesHostCodeAfterTheMemberReturns) {
    try {
        Fake("RaiseFake", {Str("broken"), Int(-23), Int(17)});
        FAIL() << "no exception";
    } catch (const emu::HostException& e) {
        EXPECT_EQ(e.className, "FakeException");
        EXPECT_EQ(e.message, "broken");
        EXPECT_EQ(e.errorNumber, -23);
        EXPECT_EQ(e.returned.asInt(), 7);  // the member still returned normally
        // A direct-read property of the exception's own block.
        emu::Value detail = host().get(e.exception, "Detail");
        EXPECT_EQ(detail.kind(), emu::Kind::Int64);
        EXPECT_EQ(detail.asInt(), 17);
        EXPECT_EQ(host().get(e.exception, "Message").asString(), "broken");
        EXPECT_EQ(host().get(e.exception, "ErrorNumber").asInt(), -23);
    }
}

TEST_F(EmuTest, IsaAnswersAsCatchWould) {
    try {
        Fake("RaiseTwice");
        FAIL() << "no exception";
    } catch (const emu::HostException& e) {
        // The second raise replaced the first, which was released.
        EXPECT_EQ(e.className, "FakeSubException");
        EXPECT_EQ(e.message, "second");
        struct Case {
            const char* cls;
            bool is;
        } cases[] = {{"FakeSubException", true},
                     {"FakeException", true},
                     {"RuntimeException", true},
                     {"InvalidArgumentException", false},
                     {"Fake.Base", false}};
        for (const Case& c : cases) EXPECT_EQ(host().isa(e.exception, c.cls), c.is) << c.cls;
        // The plug-in's own check through RuntimeObjectIsa agrees.
        EXPECT_TRUE(Fake("Isa", {e.exception, Str("FakeException")}).asBool());
        EXPECT_FALSE(Fake("Isa", {e.exception, Str("DateTime")}).asBool());
    }
    EXPECT_THROW(host().isa(emu::Value(), "NoSuchClass"), emu::EmulatorError);
    EXPECT_FALSE(host().isa(emu::Value(), "RuntimeException"));
}

TEST_F(EmuTest, RaisingSomethingThatIsNoExceptionIsReported) {
    EXPECT_NO_THROW(Fake("RaiseNonException"));
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "is not a RuntimeException")) << Joined(v);
    TakeLog();
}

namespace {

struct HandlerCase {
    REALobject toRaise;
};

void RaiseFromCallback(void* p) {
    auto raise = reinterpret_cast<RuntimeRaiseExceptionProc>(
        emu::Host::current()->resolver()("RuntimeRaiseException"));
    raise(static_cast<HandlerCase*>(p)->toRaise);
}

}  // namespace

TEST_F(EmuTest, TheHandlerEntryReturnsWhatWasRaisedInside) {
    auto handler = reinterpret_cast<PluginCallFunctionWithExceptionHandlerProc>(
        host().resolver()("PluginCallFunctionWithExceptionHandler"));
    emu::Value e = host().New("RuntimeException", {Str("inner"), Int(5)});
    HandlerCase raising{e.object()};
    REALobject caught = handler(&RaiseFromCallback, &raising);
    EXPECT_EQ(caught, e.object());
    // The caught object carries a lock for the caller, who releases it.
    emu::Value owned = emu::Value::AdoptObject(host(), caught);
    HandlerCase quiet{nullptr};  // raising nil does nothing
    EXPECT_EQ(handler(&RaiseFromCallback, &quiet), nullptr);
    // Nothing stays pending for host code.
    EXPECT_EQ(Fake("Echo", {Str("after")}).asString(), "after");
}

TEST_F(EmuTest, MembersCalledOnNilRaiseNilObjectException) {
    try {
        host().call(emu::Value(), "Describe");
        FAIL() << "no exception";
    } catch (const emu::HostException& e) {
        EXPECT_EQ(e.className, "NilObjectException");
    }
}
