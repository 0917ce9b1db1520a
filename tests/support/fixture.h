// The fixture every plug-in test uses: a fresh emulated host with the real
// plug-in loaded, and a leak check once the test has dropped its values.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "emu/host.h"

// The plug-in library the tests load unless a fixture names another.
const char* DefaultPluginPath();

class PluginTest : public ::testing::Test {
protected:
    // Host settings for this fixture; override to test other hosts.
    virtual emu::HostConfig Config() const { return {}; }
    // The plug-in library to load; override to test a build variant.
    virtual std::string PluginPath() const { return DefaultPluginPath(); }

    void SetUp() override;
    void TearDown() override;

    emu::Host& host() { return *host_; }

    // Host-code shorthands.
    emu::Value Str(std::string_view text) { return host_->str(text); }
    emu::Value Int(int64_t v) { return emu::Value::Integer(v); }
    emu::Value Bool(bool v) { return emu::Value::Bool(v); }
    emu::Value NodeType(int64_t v) { return emu::Value::Enum("TorvaneXml.NodeType", v); }
    emu::Value XPathType(int64_t v) { return emu::Value::Enum("TorvaneXml.XPathType", v); }

    emu::Value Nil() { return emu::Value(); }
    // An object whose record no factory ever filled: made without its
    // constructor, which CreateInstance would run.
    emu::Value Unbound(const std::string& className) { return host_->newInstance(className); }
    // How many objects of `className` are alive now.
    int64_t Live(const std::string& className) {
        const emu::LeakReport report = host_->leaks();
        auto it = report.liveObjects.find(className);
        return it == report.liveObjects.end() ? 0 : it->second;
    }

    // TorvaneXml.Document.FromString(xml); fails the test if it raises.
    emu::Value Parse(std::string_view xml);
    emu::Value NewDocument() { return host_->New("TorvaneXml.Document"); }
    emu::Value Call(const emu::Value& self, const std::string& method,
                    std::vector<emu::Value> args = {}) {
        return host_->call(self, method, std::move(args));
    }
    emu::Value Get(const emu::Value& self, const std::string& property) {
        return host_->get(self, property);
    }
    std::string GetString(const emu::Value& self, const std::string& property) {
        return host_->get(self, property).asString();
    }
    // Serialises a node or document with the given format flags.
    std::string Xml(const emu::Value& nodeOrDocument, int64_t flags = 0x04 /* FORMAT_RAW */);

private:
    std::unique_ptr<emu::Host> host_;
};

// Runs `body`, which must make the plug-in raise; returns the exception.
emu::HostException ExpectRaise(const std::function<void()>& body);
