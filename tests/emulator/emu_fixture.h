// Shared fixture of the emulator's own tests: a host with the fake plug-in
// loaded, and a check that nothing is left alive or misused at the end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emu/host.h"

#if defined(__SANITIZE_ADDRESS__)
#define EMU_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EMU_TEST_ASAN 1
#endif
#endif

inline const char* FakePluginPath() {
    return FAKE_PLUGIN_PATH;
}

class EmuTest : public ::testing::Test {
protected:
    virtual emu::HostConfig Config() const { return {}; }

    void SetUp() override {
        host_ = std::make_unique<emu::Host>(Config());
        host_->load(FakePluginPath());
        ASSERT_TRUE(host_->leaks().clean()) << host_->leaks().describe();
    }

    void TearDown() override {
        emu::LeakReport r = host_->leaks();
        EXPECT_TRUE(r.clean()) << r.describe();
        host_->releaseQuarantine();
        host_.reset();
    }

    emu::Host& host() { return *host_; }
    emu::Value Str(std::string_view s) { return host_->str(s); }
    static emu::Value Int(int64_t v) { return emu::Value::Integer(v); }
    static emu::Value Color(int64_t v) { return emu::Value::Enum("Fake.Color", v); }

    // Calls a module method of the fake plug-in.
    emu::Value Fake(const std::string& method, std::vector<emu::Value> args = {}) {
        return host_->callModule("Fake", method, std::move(args));
    }
    std::string TakeLog() { return Fake("TakeLog").asString(); }

    // The violations recorded since the last call, including what the leak
    // report's checks find now; the fixture's final check then sees only
    // faults nobody expected.
    std::vector<std::string> Violations() {
        host_->leaks();
        return host_->takeViolations();
    }

private:
    std::unique_ptr<emu::Host> host_;
};

// True when some entry of `list` contains `needle`.
inline bool Mentions(const std::vector<std::string>& list, const std::string& needle) {
    for (const std::string& s : list)
        if (s.find(needle) != std::string::npos) return true;
    return false;
}

inline std::string Joined(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& s : list) out += s + "\n";
    return out;
}
