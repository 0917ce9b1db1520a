// The one emulated host every benchmark of this executable shares: the
// emulator allows one active Host at a time, so benchmark files must not make
// their own.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "emu/host.h"

// Loaded with the plug-in on first use and kept for the whole run (never
// destroyed, so values held in statics can still release into it at exit).
// TORVXML_BENCH_PLUGIN names another build of the plug-in to load instead,
// so that an older build can be measured by the same benchmark code.
inline emu::Host& BenchHost() {
    static emu::Host* host = [] {
        auto* h = new emu::Host();
        const char* other = std::getenv("TORVXML_BENCH_PLUGIN");
        h->load(other && *other ? other : TORVXML_PLUGIN_PATH);
        return h;
    }();
    return *host;
}

// A catalogue of `items` entries, about 100 bytes each, with attributes,
// nested elements and text.
inline std::string MakeCatalog(size_t items) {
    std::string xml = "<?xml version=\"1.0\"?>\n<catalog>\n";
    xml.reserve(items * 112 + 64);
    char line[160];
    for (size_t i = 0; i < items; ++i) {
        std::snprintf(line, sizeof line,
                      "<item id=\"i%zu\" price=\"%zu.%02zu\"><name>Item %zu</name><tags><tag>t%zu"
                      "</tag><tag>u</tag></tags></item>\n",
                      i, i % 1000, i % 100, i, i % 7);
        xml += line;
    }
    xml += "</catalog>\n";
    return xml;
}

// The document every pair works on, generated once per run.
inline const std::string& Catalog() {
    static const std::string xml = MakeCatalog(120000);  // ~12 MB
    return xml;
}

// Parses `text` with pugixml as the plug-in parses a String (UTF-8).
inline void LoadRaw(pugi::xml_document& doc, const std::string& text) {
    doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
}

// pugixml's output into a std::string.
struct StringWriter : pugi::xml_writer {
    std::string result;
    void write(const void* data, size_t size) override {
        result.append(static_cast<const char*>(data), size);
    }
};

// Depth-first over every node below `top` as host code without iterators
// does it: `first` (FirstChild) down, `next` (NextSibling) across, `parent`
// up; `empty` tests a result and `same` compares two nodes. Returns the
// navigation calls made, the walk's steps.
template <class N, class First, class Next, class Parent, class Empty, class Same>
int64_t WalkDepthFirst(const N& top, First first, Next next, Parent parent, Empty empty,
                       Same same) {
    int64_t steps = 0;
    N node = top;
    for (;;) {
        N found = first(node);
        ++steps;
        if (!empty(found)) {
            node = std::move(found);
            continue;
        }
        // No child: climb until a sibling exists or the walk is back at the top.
        for (;;) {
            if (same(node, top)) break;
            found = next(node);
            ++steps;
            if (!empty(found)) break;
            node = parent(node);
            ++steps;
        }
        if (same(node, top)) break;
        node = std::move(found);
    }
    return steps;
}

// The walk with pugixml alone.
inline int64_t WalkPugixml(const pugi::xml_node& top) {
    return WalkDepthFirst(
        top, [](const pugi::xml_node& n) { return n.first_child(); },
        [](const pugi::xml_node& n) { return n.next_sibling(); },
        [](const pugi::xml_node& n) { return n.parent(); },
        [](const pugi::xml_node& n) { return n.empty(); },
        [](const pugi::xml_node& a, const pugi::xml_node& b) { return a == b; });
}
