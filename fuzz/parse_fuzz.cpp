// Fuzz target: arbitrary bytes handed to Document.FromString, then the
// document walked, queried and written back, all through the emulated host.
// Any crash, sanitizer report, escaped C++ exception or leaked lock fails.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_host.h"

namespace {

// Walks the subtree depth first, reading what host code typically reads.
void Walk(emu::Host& host, const emu::Value& node, int depth) {
    if (depth > 64) return;
    for (const emu::Value& child : host.collect(host.call(node, "Children"))) {
        host.get(child, "Name");
        host.get(child, "Value");
        for (const emu::Value& attr : host.collect(host.call(child, "NodeAttributes"))) {
            host.get(attr, "AsDouble");
            host.get(attr, "AsDateTime");
        }
        Walk(host, child, depth + 1);
    }
}

void RunOne(emu::Host& host, const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    emu::Value doc;
    try {
        doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(text)});
    } catch (const emu::HostException&) {
        return;  // malformed XML is reported, not a fault
    }
    Walk(host, doc, 0);
    const int64_t flags = size ? data[0] | (size > 1 ? data[1] << 8 : 0) : 1;
    host.call(doc, "ToString", {emu::Value::Integer(flags & 0x3FF)});
    for (const char* query : {"//*[@*]", "//text()", "count(//*) + sum(//@*)"}) {
        try {
            emu::Value q = host.New("TorvaneXml.XPathQuery", {host.str(query)});
            host.call(q, "EvaluateString", {doc});
            host.collect(
                host.call(host.call(doc, "SelectNodes", {host.str("//*[@*]")}), "XPathNodes"));
        } catch (const emu::HostException&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emu::Host& host = FuzzHost();
    RunOne(host, data, size);
    RequireClean(host);
    return 0;
}
