// What every fuzz target shares: one emulated host with the plug-in loaded
// for the whole run (TORVXML_PLUGIN names another build), and the check that
// each input left nothing behind.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "emu/host.h"

inline emu::Host& FuzzHost() {
    static emu::Host* host = [] {
        auto* h = new emu::Host();
        const char* path = std::getenv("TORVXML_PLUGIN");
        h->load(path ? path : TORVXML_PLUGIN_PATH);
        return h;
    }();
    return *host;
}

// Aborts, so the fuzzer records the input, unless every object, string and
// lock the input made is released and the emulator saw no violation. Once
// checked, what the input released may go, so long runs keep their speed.
inline void RequireClean(emu::Host& host) {
    const emu::LeakReport report = host.leaks();
    if (!report.clean()) {
        std::fprintf(stderr, "%s\n", report.describe().c_str());
        std::abort();
    }
    host.releaseQuarantine();
}
