// The one emulated host every benchmark of this executable shares: the
// emulator allows one active Host at a time, so benchmark files must not make
// their own.
#pragma once

#include "emu/host.h"

// Loaded with the plug-in on first use and kept for the whole run (never
// destroyed, so values held in statics can still release into it at exit).
inline emu::Host& BenchHost() {
    static emu::Host* host = [] {
        auto* h = new emu::Host();
        h->load(TORVXML_PLUGIN_PATH);
        return h;
    }();
    return *host;
}
