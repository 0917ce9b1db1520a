// Shorthands shared by the Document, Node and editing tests: reading a
// wrapper back as text, serialising without the declaration, and the kinds
// of arguments host code can pass that are not ordinary values.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixture.h"

namespace nt {
constexpr int64_t kNull = 0, kDocument = 1, kElement = 2, kPcdata = 3, kCdata = 4, kComment = 5,
                  kPi = 6, kDeclaration = 7, kDoctype = 8;
}  // namespace nt

namespace fmt {
constexpr int64_t kIndent = 0x01, kWriteBom = 0x02, kRaw = 0x04, kNoDeclaration = 0x08,
                  kNoEscapes = 0x10, kIndentAttributes = 0x40, kNoEmptyElementTags = 0x80,
                  kSkipControlChars = 0x100, kAttributeSingleQuote = 0x200;
}  // namespace fmt

class DomTest : public PluginTest {
protected:
    emu::Value Nil() { return emu::Value(); }
    // A nil object reference, as a variable of a class type holds it.
    emu::Value NilObject() { return emu::Value::AdoptObject(host(), nullptr); }

    // Runs the function Node registered under `declaration` with one object
    // argument, as the host does once its compiler has chosen the overload.
    // For a nil argument to AppendCopy and PrependCopy, whose Node and
    // Attribute forms a Nil alone cannot choose between.
    emu::Value CallNodeMember(const emu::Value& self, const char* declaration, REALobject arg) {
        const emu::RegisteredClass* node = host().registry().findClass("TorvaneXml.Node");
        if (!node || !node->definition) {
            ADD_FAILURE() << "Node is not registered";
            return {};
        }
        const REALclassDefinition& d = *node->definition;
        for (size_t i = 0; i < static_cast<size_t>(d.methodCount); ++i) {
            if (std::string(d.methods[i].declaration) != declaration) continue;
            auto fn =
                reinterpret_cast<REALobject (*)(REALobject, REALobject)>(d.methods[i].function);
            return emu::Value::AdoptObject(host(), fn(self.object(), arg));
        }
        ADD_FAILURE() << "no member " << declaration;
        return {};
    }

    // An object whose record no factory ever filled.
    emu::Value Unbound(const std::string& className) {
        // Made without its constructor: CreateInstance would run Constructor().
        return host().newInstance(className);
    }

    bool IsEmpty(const emu::Value& wrapper) { return Get(wrapper, "Empty").asBool(); }
    int64_t TypeOf(const emu::Value& node) { return Get(node, "Type").asInt(); }
    std::string NameOf(const emu::Value& wrapper) { return GetString(wrapper, "Name"); }

    emu::Value Element(const emu::Value& doc) { return Call(doc, "DocumentElement"); }

    // A Document's tree in one line, without the declaration.
    std::string Raw(const emu::Value& doc) { return Xml(doc, fmt::kRaw | fmt::kNoDeclaration); }

    // Names of the children, as For Each over Children() sees them ("#" plus
    // the value for text nodes).
    std::vector<std::string> ChildNames(const emu::Value& node) {
        std::vector<std::string> names;
        host().forEach(Call(node, "Children"), [&](const emu::Value& child) {
            names.push_back(TypeOf(child) == nt::kPcdata ? "#" + GetString(child, "Value")
                                                         : NameOf(child));
        });
        return names;
    }

    int64_t Live(const std::string& className) {
        const emu::LeakReport report = host().leaks();
        auto it = report.liveObjects.find(className);
        return it == report.liveObjects.end() ? 0 : it->second;
    }
};

// The same tests again on a host that passes "" as a nil String.
class NilStringHostTest : public DomTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.emptyStringAsNil = true;
        return config;
    }
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("torvxml-dom-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `bytes` to a new file in the folder; returns its path.
    std::string File(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = path_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

private:
    std::filesystem::path path_;
};
