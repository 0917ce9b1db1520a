// Memory running out inside the library raises TorvaneXPathException with
// -8 from every XPath member instead of letting std::bad_alloc escape.
//
// The test executable interposes malloc: while armed, every request of at
// least kLarge bytes made from the plug-in's own code fails, the way the
// library sees exhausted memory. Requests made by the emulated host (copies
// of host strings) and small ones still succeed, so each case fails exactly
// inside the library. Not built with the sanitizer, which owns malloc.
#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>

#include "xpath_test.h"

#if defined(__SANITIZE_ADDRESS__)
#define TORVXML_XPATH_INTERPOSE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVXML_XPATH_INTERPOSE 0
#endif
#endif
#ifndef TORVXML_XPATH_INTERPOSE
#define TORVXML_XPATH_INTERPOSE 1
#endif

#if TORVXML_XPATH_INTERPOSE

namespace {

constexpr size_t kLarge = 1u << 20;
void* gPluginBase = nullptr;  // armed while set
thread_local bool gInside = false;

bool FromPlugin(void* caller) {
    if (gInside) return false;
    gInside = true;
    Dl_info info{};
    const bool inPlugin = dladdr(caller, &info) && info.dli_fbase == gPluginBase;
    gInside = false;
    return inPlugin;
}

}  // namespace

extern "C" void* __libc_malloc(size_t size);

extern "C" void* malloc(size_t size) {
    if (gPluginBase && size >= kLarge && FromPlugin(__builtin_return_address(0))) return nullptr;
    return __libc_malloc(size);
}

namespace {

class MemoryExhaustion : public XPathTest {
protected:
    void SetUp() override {
        XPathTest::SetUp();
        doc = Parse("<r><t>" + std::string(64 * 1024, 'x') + "</t></r>");
        huge = "concat(/r/t";
        for (int i = 0; i < 40; ++i) huge += ", /r/t";
        huge += ")";  // a 2.6 MB string when evaluated
    }
    void TearDown() override {
        gPluginBase = nullptr;
        doc = {};
        XPathTest::TearDown();
    }

    // Runs `body` with large allocations of the plug-in failing; it must
    // raise the XPath exception with -8 and the exhaustion description.
    void ExpectOutOfMemory(const std::function<void()>& body) {
        const emu::RegisteredClass* cls = host().registry().findClass("TorvaneXml.XPathQuery");
        ASSERT_NE(cls, nullptr);
        Dl_info info{};
        ASSERT_TRUE(dladdr(cls->definition, &info));
        gPluginBase = info.dli_fbase;
        emu::HostException e = ExpectRaise(body);
        gPluginBase = nullptr;
        EXPECT_EQ(e.className, "TorvaneXPathException");
        EXPECT_EQ(e.errorNumber, -8);
        EXPECT_EQ(e.message, std::bad_alloc().what());
        EXPECT_EQ(Offset(e), 0);
        ExpectEmptyValue(e.returned);
    }

    emu::Value doc;
    std::string huge;
};

TEST_F(MemoryExhaustion, DuringEvaluation) {
    const emu::Value asString = Query(huge);
    const emu::Value asNumber = Query("string-length(" + huge + ")");
    const emu::Value asBoolean = Query("string-length(" + huge + ") > 0");
    const emu::Value asNodes = Query("//t[string-length(" + huge + ") > 0]");
    ExpectOutOfMemory([&] { Call(asString, "EvaluateString", {doc}); });
    ExpectOutOfMemory([&] { Call(asNumber, "EvaluateNumber", {doc}); });
    ExpectOutOfMemory([&] { Call(asBoolean, "EvaluateBoolean", {doc}); });
    ExpectOutOfMemory([&] { Call(asNodes, "EvaluateNodeSet", {doc}); });
    ExpectOutOfMemory([&] { Call(asNodes, "EvaluateNode", {doc}); });
    // The queries still work once memory is back.
    EXPECT_EQ(Call(asNumber, "EvaluateNumber", {doc}).asDouble(), 41.0 * 64 * 1024);
    EXPECT_EQ(Entries(Call(asNodes, "EvaluateNodeSet", {doc})), Strings{"t"});
}

TEST_F(MemoryExhaustion, DuringSelection) {
    const std::string query = "//t[string-length(" + huge + ") > 0]";
    ExpectOutOfMemory([&] { SelectNodes(doc, query); });
    ExpectOutOfMemory([&] { SelectNode(doc, query); });
    EXPECT_EQ(Describe(SelectNode(doc, query)), "t");
}

TEST_F(MemoryExhaustion, DuringCompiling) {
    // The library copies a string literal while compiling.
    const emu::Value literal = Str("'" + std::string(2u << 20, 'x') + "'");
    ExpectOutOfMemory([&] { host().New("TorvaneXml.XPathQuery", {literal}); });
    ExpectOutOfMemory([&] { host().New("TorvaneXml.XPathQuery", {literal, Variables()}); });
    EXPECT_EQ(Live("TorvaneXml.XPathVariableSet"), 0);
}

}  // namespace

#endif  // TORVXML_XPATH_INTERPOSE
