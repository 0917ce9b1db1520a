// The one emulated host every benchmark of this executable shares: the
// emulator allows one active Host at a time, so benchmark files must not make
// their own.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "emu/host.h"

// Loaded with the plug-in on first use and kept for the whole run (never
// destroyed, so values held in statics can still release into it at exit).
// TORVXML_PLUGIN names another build of the plug-in, to compare two builds
// with the same benchmark executable.
inline emu::Host& BenchHost() {
    static emu::Host* host = [] {
        auto* h = new emu::Host();
        const char* path = std::getenv("TORVXML_PLUGIN");
        h->load(path ? path : TORVXML_PLUGIN_PATH);
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
