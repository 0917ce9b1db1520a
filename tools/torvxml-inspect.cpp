// torvxml-inspect: loads a plug-in into the emulated host and prints what it
// registered, exactly as the host sees it. The plain listing is a stable text
// format for diffs; --markdown prints the API reference kept in docs/api.md,
// with the unit implementing each member (scripts/member-units reads that
// from the plug-in's sources when this tool is built).
//
//   torvxml-inspect [--version 2019.1] [--markdown] PLUGIN
//
// Exits with 1 (after listing the faults on stderr) when registration
// produced violations, and with 2 on a usage or loading error.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "emu/host.h"

namespace {

struct MemberUnit {
    const char* owner;   // class or module name, without the module prefix
    char kind;           // 'p' property, 'm' method, 's' shared method
    const char* member;  // property name or method declaration
    const char* unit;
};

const MemberUnit kMemberUnits[] = {
#include "member_units.inc"
};

// Members the map does not place: the reference would be incomplete.
std::vector<std::string> unplaced;

std::string unitOf(const std::string& owner, char kind, const std::string& member) {
    const std::string name = owner.substr(owner.rfind('.') + 1);
    for (const MemberUnit& u : kMemberUnits)
        if (u.kind == kind && name == u.owner && member == u.member) return u.unit;
    unplaced.push_back(owner + " " + member);
    return "?";
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

// 2020.0 rather than 2020; 2019.1 and 2018.02 as they are.
std::string versionText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf,
                  v == static_cast<double>(static_cast<long long>(v)) ? "%.1f" : "%g", v);
    return buf;
}

std::string attributes(const std::vector<std::pair<std::string, std::string>>& attrs) {
    std::string out;
    for (const auto& [name, value] : attrs) {
        if (!out.empty()) out += ", ";
        out += name;
        if (!value.empty()) out += "=\"" + value + "\"";
    }
    return out;
}

std::string getterKind(const emu::RegisteredProperty& p) {
    if (p.standardGetter) return "direct-read at " + std::to_string(p.param);
    if (p.hasGetter) return "function";
    return "none";
}

std::string setterKind(const emu::RegisteredProperty& p) {
    if (p.standardSetter) return "direct-write at " + std::to_string(p.param);
    if (p.hasSetter) return "function";
    return "read-only";
}

std::string enumType(const emu::RegisteredEnum& e) {
    return e.type.empty() ? "Integer (blank)" : e.type;
}

// ------------------------------------------------------------------ plain listing

void plainProperties(std::ostream& o, const char* what,
                     const std::vector<emu::RegisteredProperty>& props) {
    for (const auto& p : props) {
        o << "  " << what << " " << p.name << " as " << p.type << " flags " << hex(p.flags)
          << " getter " << getterKind(p) << " setter " << setterKind(p) << " param " << p.param
          << "\n";
    }
}

void plainMethods(std::ostream& o, const char* what,
                  const std::vector<emu::RegisteredMethod>& methods) {
    for (const auto& m : methods) {
        o << "  " << what << " \"" << m.declaration << "\" flags " << hex(m.flags);
        if (!m.attributes.empty()) o << " attributes " << attributes(m.attributes);
        o << "\n";
    }
}

void plainEnums(std::ostream& o, const std::vector<emu::RegisteredEnum>& enums) {
    for (const auto& e : enums) {
        o << "  enum " << e.name << " type " << enumType(e) << " flags " << hex(e.flags) << "\n";
        for (const auto& entry : e.entries) o << "    \"" << entry << "\"\n";
    }
}

void plainConstants(std::ostream& o, const std::vector<emu::RegisteredConstant>& constants) {
    for (const auto& c : constants)
        o << "  constant \"" << c.declaration << "\" flags " << hex(c.flags) << "\n";
}

void plain(std::ostream& o, const emu::Host& host) {
    const emu::Registry& reg = host.registry();
    o << "record version " << host.announcedVersion() << "\n";
    for (const auto& m : reg.modules) {
        o << "module " << m.name << "\n";
        if (!m.attributes.empty()) o << "  attributes " << attributes(m.attributes) << "\n";
        plainMethods(o, "method", m.methods);
        plainProperties(o, "property", m.properties);
        plainConstants(o, m.constants);
        plainEnums(o, m.enums);
        for (const auto& c : m.classes) o << "  class " << c << "\n";
    }
    for (const auto& c : reg.classes) {
        o << "class " << c.name << "\n";
        o << "  superclass " << (c.superName.empty() ? "(none)" : c.superName) << "\n";
        o << "  data size " << c.dataSize << "\n";
        o << "  flags " << hex(c.flags) << "\n";
        o << "  interfaces " << (c.interfacesNull ? "(none)" : "\"" + c.interfaces + "\"") << "\n";
        o << "  destructor " << (c.hasDestructor ? "yes" : "no") << "\n";
        if (!c.attributes.empty()) o << "  attributes " << attributes(c.attributes) << "\n";
        plainProperties(o, "property", c.properties);
        plainProperties(o, "shared property", c.sharedProperties);
        plainMethods(o, "method", c.methods);
        plainMethods(o, "shared method", c.sharedMethods);
        plainConstants(o, c.constants);
        plainEnums(o, c.enums);
    }
}

// ------------------------------------------------------------------ Markdown

std::string cell(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '|')
            out += "\\|";
        else
            out += ch;
    }
    return out;
}

std::string code(const std::string& s) {
    return "`" + cell(s) + "`";
}

void mdMethods(std::ostream& o, const std::string& owner, char kind, const char* title,
               const std::vector<emu::RegisteredMethod>& methods) {
    if (methods.empty()) return;
    bool attrs = false;
    for (const auto& m : methods) attrs = attrs || !m.attributes.empty();
    o << "\n### " << title << "\n\n";
    o << (attrs ? "| Declaration | Flags | Attributes | Unit |\n|---|---|---|---|\n"
                : "| Declaration | Flags | Unit |\n|---|---|---|\n");
    for (const auto& m : methods) {
        o << "| " << code(m.declaration) << " | " << hex(m.flags);
        if (attrs) o << " | " << cell(attributes(m.attributes));
        o << " | " << code(unitOf(owner, kind, m.declaration)) << " |\n";
    }
}

void mdProperties(std::ostream& o, const std::string& owner, char kind, const char* title,
                  const std::vector<emu::RegisteredProperty>& props) {
    if (props.empty()) return;
    o << "\n### " << title << "\n\n";
    o << "| Name | Type | Flags | Getter | Setter | Unit |\n|---|---|---|---|---|---|\n";
    for (const auto& p : props) {
        o << "| " << code(p.name) << " | " << code(p.type) << " | " << hex(p.flags) << " | "
          << getterKind(p) << " | " << setterKind(p) << " | " << code(unitOf(owner, kind, p.name))
          << " |\n";
    }
}

void mdConstants(std::ostream& o, const std::vector<emu::RegisteredConstant>& constants) {
    if (constants.empty()) return;
    o << "\n### Constants\n\n| Declaration | Flags |\n|---|---|\n";
    for (const auto& c : constants)
        o << "| " << code(c.declaration) << " | " << hex(c.flags) << " |\n";
}

void mdEnums(std::ostream& o, const std::string& owner,
             const std::vector<emu::RegisteredEnum>& enums) {
    if (enums.empty()) return;
    o << "\n### Enumerations\n";
    for (const auto& e : enums) {
        o << "\n#### " << code(owner + "." + e.name) << "\n\n";
        o << "Base type " << enumType(e) << ", flags " << hex(e.flags) << ".\n\n";
        o << "| Entry |\n|---|\n";
        for (const auto& entry : e.entries) o << "| " << code(entry) << " |\n";
    }
}

void markdown(std::ostream& o, const emu::Host& host) {
    const emu::Registry& reg = host.registry();
    o << "# API reference\n\n";
    o << "Generated by `torvxml-inspect --markdown` from what the plug-in registers with a host "
         "of version "
      << versionText(host.config().version) << " (record version " << host.announcedVersion()
      << "). Do not edit by hand.\n";
    for (const auto& m : reg.modules) {
        o << "\n## Module " << code(m.name) << "\n";
        if (!m.attributes.empty()) o << "\nAttributes: " << cell(attributes(m.attributes)) << "\n";
        mdMethods(o, m.name, 'm', "Methods", m.methods);
        mdProperties(o, m.name, 'p', "Properties", m.properties);
        mdConstants(o, m.constants);
        mdEnums(o, m.name, m.enums);
        if (!m.classes.empty()) {
            o << "\n### Classes\n\n";
            for (const auto& c : m.classes) o << "- " << code(c) << "\n";
        }
    }
    for (const auto& c : reg.classes) {
        o << "\n## Class " << code(c.name) << "\n\n";
        o << "| Superclass | Data size | Flags | Interfaces | Destructor "
             "|\n|---|---|---|---|---|\n";
        o << "| " << (c.superName.empty() ? "none" : code(c.superName)) << " | " << c.dataSize
          << " | " << hex(c.flags) << " | "
          << (c.interfacesNull       ? "none"
              : c.interfaces.empty() ? "empty list"
                                     : code(c.interfaces))
          << " | " << (c.hasDestructor ? "yes" : "no") << " |\n";
        if (!c.attributes.empty()) o << "\nAttributes: " << cell(attributes(c.attributes)) << "\n";
        mdProperties(o, c.name, 'p', "Properties", c.properties);
        mdProperties(o, c.name, 'q', "Shared properties", c.sharedProperties);
        mdMethods(o, c.name, 'm', "Methods", c.methods);
        mdMethods(o, c.name, 's', "Shared methods", c.sharedMethods);
        mdConstants(o, c.constants);
        mdEnums(o, c.name, c.enums);
    }
}

int usage() {
    std::cerr << "usage: torvxml-inspect [--version YYYY.R] [--markdown] PLUGIN\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    emu::HostConfig config;
    bool md = false;
    std::string plugin;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--markdown") {
            md = true;
        } else if (a == "--version") {
            if (++i >= argc) return usage();
            char* end = nullptr;
            config.version = std::strtod(argv[i], &end);
            if (!end || *end) return usage();
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else if (plugin.empty()) {
            plugin = a;
        } else {
            return usage();
        }
    }
    if (plugin.empty()) return usage();
    try {
        emu::Host host(config);
        host.load(plugin);
        std::ostringstream out;
        if (md) {
            markdown(out, host);
        } else {
            plain(out, host);
        }
        if (!unplaced.empty()) {
            std::cerr << "torvxml-inspect: no implementing unit known for:\n";
            for (const auto& member : unplaced) std::cerr << "  " << member << "\n";
            return 1;
        }
        std::cout << out.str();
        // The log: class dependencies the plug-in declared while loading.
        std::string asked;
        for (const std::string& c : host.classesAskedWhileLoading())
            asked += (asked.empty() ? "" : ", ") + c;
        std::cerr << "torvxml-inspect: class references asked while loading: "
                  << (asked.empty() ? "none" : asked) << "\n";
        emu::LeakReport r = host.leaks();
        if (!r.clean()) {
            std::cerr << "torvxml-inspect: the plug-in's start-up is faulty:\n" << r.describe();
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "torvxml-inspect: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
