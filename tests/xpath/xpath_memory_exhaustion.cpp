// Memory running out inside the library raises TorvaneXPathException with
// -8 from every XPath member instead of letting std::bad_alloc escape. Each
// case runs in a child process whose address space is capped just above
// what it already uses.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "xpath_test.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

size_t AddressSpaceInUse() {
    size_t pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

class MemoryExhaustion : public XPathTest {
protected:
    // Runs `body` in a child with `headroom` bytes of address space to spare.
    // The child exits 0 when `body` raised the XPath exception with -8 and
    // the exhaustion message, 1 for any other outcome.
    void ExpectOutOfMemory(size_t headroom, const std::function<void()>& body) {
        std::fflush(nullptr);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const rlimit limit{AddressSpaceInUse() + headroom, AddressSpaceInUse() + headroom};
            setrlimit(RLIMIT_AS, &limit);
            int code = 1;
            try {
                body();
                std::fprintf(stderr, "nothing raised\n");
            } catch (const emu::HostException& e) {
                std::fprintf(stderr, "%s %lld %s\n", e.className.c_str(),
                             static_cast<long long>(e.errorNumber), e.message.c_str());
                if (e.className == "TorvaneXPathException" && e.errorNumber == -8 &&
                    e.message == "std::bad_alloc")
                    code = 0;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "unexpected C++ exception: %s\n", e.what());
            } catch (...) {
                std::fprintf(stderr, "unexpected C++ exception\n");
            }
            _exit(code);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "child died with signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    void SetUp() override {
        if (kSanitized) GTEST_SKIP() << "address-space caps do not mix with the sanitizer";
        XPathTest::SetUp();
        doc = Parse("<r><t>" + std::string(4u << 20, 'x') + "</t></r>");
        huge = "concat(/r/t";
        for (int i = 0; i < 100; ++i) huge += ", /r/t";
        huge += ")";
    }
    void TearDown() override {
        doc = {};
        XPathTest::TearDown();
    }

    emu::Value doc;
    std::string huge;  // a 400 MB string when evaluated
};

TEST_F(MemoryExhaustion, DuringEvaluation) {
    emu::Value asString = Query(huge);
    emu::Value asNumber = Query("string-length(" + huge + ")");
    emu::Value asBoolean = Query("string-length(" + huge + ") > 0");
    emu::Value asNodes = Query("//t[string-length(" + huge + ") > 0]");
    ExpectOutOfMemory(64u << 20, [&] { Call(asString, "EvaluateString", {doc}); });
    ExpectOutOfMemory(64u << 20, [&] { Call(asNumber, "EvaluateNumber", {doc}); });
    ExpectOutOfMemory(64u << 20, [&] { Call(asBoolean, "EvaluateBoolean", {doc}); });
    ExpectOutOfMemory(64u << 20, [&] { Call(asNodes, "EvaluateNodeSet", {doc}); });
    ExpectOutOfMemory(64u << 20, [&] { Call(asNodes, "EvaluateNode", {doc}); });
}

TEST_F(MemoryExhaustion, DuringSelection) {
    const std::string query = "//t[string-length(" + huge + ") > 0]";
    ExpectOutOfMemory(64u << 20, [&] { SelectNodes(doc, query); });
    ExpectOutOfMemory(64u << 20, [&] { SelectNode(doc, query); });
}

TEST_F(MemoryExhaustion, DuringCompiling) {
    // The library copies a string literal while compiling: 64 MB with the
    // host's own copy of the text fitting and the library's not.
    const emu::Value literal = Str("'" + std::string(64u << 20, 'x') + "'");
    ExpectOutOfMemory(100u << 20, [&] { host().New("TorvaneXml.XPathQuery", {literal}); });
    ExpectOutOfMemory(100u << 20, [&] {
        host().New("TorvaneXml.XPathQuery", {literal, Variables()});
    });
}

}  // namespace
