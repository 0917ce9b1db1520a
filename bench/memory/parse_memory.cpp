// Memory while parsing one large document, for bench/parse_memory.py: one
// side per process, so each starts from a clean heap.
//
// usage: torvxml-parse-memory plugin|pugixml MEGABYTES
//   plugin   Document.FromString through the emulated host: the text lives
//            in a host String only
//   pugixml  xml_document::load_buffer of the same bytes in a std::string
// Prints "before", "peak" and "after" in KiB: resident memory just before
// the parse, the high-water mark during it (reset before parsing) and
// resident memory once it returned, with the tree held.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <string>

#include "bench_host.h"

namespace {

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

// Makes VmHWM start again from the current resident size (Linux 4.0+).
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s plugin|pugixml MEGABYTES\n", argv[0]);
        return 2;
    }
    const bool plugin = std::strcmp(argv[1], "plugin") == 0;
    const size_t items = static_cast<size_t>(std::atof(argv[2]) * 1e6 / 105);
    std::string text = MakeCatalog(items);
    text.shrink_to_fit();
    const size_t bytes = text.size();

    long before = 0, peak = 0, after = 0;
    bool ok = false;
    if (plugin) {
        emu::Host& host = BenchHost();
        const emu::Value data = host.str(text);
        std::string().swap(text);  // the host String holds the only copy
        before = StatusKiB("VmRSS");
        if (!ResetPeak()) return 1;
        const emu::Value doc = host.callShared("TorvaneXml.Document", "FromString", {data});
        peak = StatusKiB("VmHWM");
        after = StatusKiB("VmRSS");
        ok = !doc.isNil();
    } else {
        before = StatusKiB("VmRSS");
        if (!ResetPeak()) return 1;
        pugi::xml_document doc;
        ok = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
        peak = StatusKiB("VmHWM");
        after = StatusKiB("VmRSS");
    }
    if (!ok) return 1;
    std::printf("bytes %zu\nbefore %ld\npeak %ld\nafter %ld\n", bytes, before, peak, after);
    return 0;
}
