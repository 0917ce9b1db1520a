#include "fixture.h"

#include <cstdlib>

// TORVXML_PLUGIN names another build of the plug-in to test, such as the
// library that ships in the package; by default, this build's own.
const char* DefaultPluginPath() {
    const char* path = std::getenv("TORVXML_PLUGIN");
    return path && *path ? path : TORVXML_PLUGIN_PATH;
}

void PluginTest::SetUp() {
    host_ = std::make_unique<emu::Host>(Config());
    host_->load(PluginPath());
}

void PluginTest::TearDown() {
    if (!host_) return;
    const emu::LeakReport report = host_->leaks();
    EXPECT_TRUE(report.clean()) << report.describe();
    host_->releaseQuarantine();
    host_.reset();
}

emu::Value PluginTest::Parse(std::string_view xml) {
    return host_->callShared("TorvaneXml.Document", "FromString", {host_->str(xml)});
}

std::string PluginTest::Xml(const emu::Value& nodeOrDocument, int64_t flags) {
    return host_->call(nodeOrDocument, "ToString", {emu::Value::Integer(flags)}).asString();
}

emu::HostException ExpectRaise(const std::function<void()>& body) {
    try {
        body();
    } catch (const emu::HostException& e) {
        return e;
    }
    ADD_FAILURE() << "expected a host exception";
    return emu::HostException({}, {}, "", "", 0);
}
