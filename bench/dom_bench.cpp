// Parsing, serialising and walking a generated document of about 12 MB, each
// twice: through the plug-in as host code calls it (emulated host), and with
// pugixml directly. Pairs share a name after the prefix (Plugin_/Pugixml_),
// so bench/ratios.py can divide one by the other.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "bench_host.h"

namespace {

using emu::Value;

constexpr int64_t kFormatDefault = 0x01;

// Buffers of several MB (the text, the growing output) would otherwise come
// from fresh mmap()s, whose page faults then depend on the allocator's
// history in this process and on the order the benchmarks run in. Keeping
// them on the heap makes plug-in and pugixml runs pay alike.
const bool kHeapForLargeBuffers = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    return true;
}();

// ---- Parse --------------------------------------------------------------

void Plugin_Parse(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value text = host.str(Catalog());
    for (auto _ : state) {
        Value doc = host.callShared("TorvaneXml.Document", "FromString", {text});
        benchmark::DoNotOptimize(doc.object());
    }  // each Document is dropped, and its tree freed, inside the loop
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Catalog().size()));
}
BENCHMARK(Plugin_Parse)->Unit(benchmark::kMillisecond);

void Pugixml_Parse(benchmark::State& state) {
    const std::string& text = Catalog();
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result result =
            doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
        benchmark::DoNotOptimize(result.status);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Catalog().size()));
}
BENCHMARK(Pugixml_Parse)->Unit(benchmark::kMillisecond);

// ---- Serialise ----------------------------------------------------------

void Plugin_Serialise(benchmark::State& state) {
    emu::Host& host = BenchHost();
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(Catalog())});
    // The text's size is read once, outside the loop: reading the String's
    // bytes back is the test's own copy, not the plug-in's work.
    const size_t size =
        host.call(doc, "ToString", {Value::Integer(kFormatDefault)}).asString().size();
    size_t bytes = 0;
    for (auto _ : state) {
        Value text = host.call(doc, "ToString", {Value::Integer(kFormatDefault)});
        benchmark::DoNotOptimize(text.string());
        bytes += size;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["output_bytes"] = static_cast<double>(bytes) / state.iterations();
}
BENCHMARK(Plugin_Serialise)->Unit(benchmark::kMillisecond);

void Pugixml_Serialise(benchmark::State& state) {
    pugi::xml_document doc;
    doc.load_buffer(Catalog().data(), Catalog().size(), pugi::parse_default, pugi::encoding_utf8);
    size_t bytes = 0;
    for (auto _ : state) {
        StringWriter writer;
        doc.save(writer, "\t", pugi::format_default, pugi::encoding_auto);
        bytes += writer.result.size();
        benchmark::DoNotOptimize(writer.result.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["output_bytes"] = static_cast<double>(bytes) / state.iterations();
}
BENCHMARK(Pugixml_Serialise)->Unit(benchmark::kMillisecond);

// ---- Walk ---------------------------------------------------------------
//
// Depth-first over every node with FirstChild / NextSibling / Parent, as host
// code without iterators would do it. One step is one navigation call (and,
// on the plug-in side, the Empty read that tests its result).

void SetStepCounters(benchmark::State& state, int64_t steps) {
    state.counters["steps"] = static_cast<double>(steps);
    state.counters["per_step"] =
        benchmark::Counter(static_cast<double>(steps) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Plugin_Walk(benchmark::State& state) {
    emu::Host& host = BenchHost();
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(Catalog())});
    const Value top = host.call(doc, "DocumentElement");
    int64_t steps = 0;
    for (auto _ : state) {
        steps = WalkDepthFirst(
            top, [&](const Value& n) { return host.call(n, "FirstChild"); },
            [&](const Value& n) { return host.call(n, "NextSibling"); },
            [&](const Value& n) { return host.call(n, "Parent"); },
            [&](const Value& n) { return host.get(n, "Empty").asBool(); },
            [&](const Value& a, const Value& b) { return host.compare(a, b) == 0; });
    }
    SetStepCounters(state, steps);
}
BENCHMARK(Plugin_Walk)->Unit(benchmark::kMillisecond);

void Pugixml_Walk(benchmark::State& state) {
    pugi::xml_document doc;
    LoadRaw(doc, Catalog());
    const pugi::xml_node top = doc.document_element();
    int64_t steps = 0;
    for (auto _ : state) benchmark::DoNotOptimize(steps = WalkPugixml(top));
    SetStepCounters(state, steps);
}
BENCHMARK(Pugixml_Walk)->Unit(benchmark::kMillisecond);

// ---- For Each over Children() reading Name --------------------------------
//
// The document element's 120 000 children; one step is one child.

void Plugin_ForEachChild(benchmark::State& state) {
    emu::Host& host = BenchHost();
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(Catalog())});
    const Value top = host.call(doc, "DocumentElement");
    int64_t steps = 0;
    for (auto _ : state) {
        steps = 0;
        host.forEach(host.call(top, "Children"), [&](const Value& child) {
            Value name = host.get(child, "Name");
            benchmark::DoNotOptimize(name.string());
            ++steps;
        });
    }
    SetStepCounters(state, steps);
}
BENCHMARK(Plugin_ForEachChild)->Unit(benchmark::kMillisecond);

void Pugixml_ForEachChild(benchmark::State& state) {
    pugi::xml_document doc;
    LoadRaw(doc, Catalog());
    const pugi::xml_node top = doc.document_element();
    int64_t steps = 0;
    for (auto _ : state) {
        steps = 0;
        for (const pugi::xml_node child : top.children()) {
            // The plug-in measures the name to hand it over; so does this side.
            benchmark::DoNotOptimize(std::strlen(child.name()));
            ++steps;
        }
    }
    SetStepCounters(state, steps);
}
BENCHMARK(Pugixml_ForEachChild)->Unit(benchmark::kMillisecond);

// ---- Emulated host alone ------------------------------------------------
//
// Reading Empty does no allocation and one pointer test in the plug-in, so
// its cost is the emulated host's dispatch of one member call. Set against
// the walk's per-step cost it splits that into host and plug-in shares.

void Host_EmptyRead(benchmark::State& state) {
    emu::Host& host = BenchHost();
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str("<a/>")});
    const Value node = host.call(doc, "DocumentElement");
    for (auto _ : state) benchmark::DoNotOptimize(host.get(node, "Empty").asBool());
    state.counters["per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(Host_EmptyRead);

// One navigation call alone: a new wrapper object per call, then dropped.
void Host_FirstChildCall(benchmark::State& state) {
    emu::Host& host = BenchHost();
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str("<a><b/></a>")});
    const Value node = host.call(doc, "DocumentElement");
    for (auto _ : state) {
        Value child = host.call(node, "FirstChild");
        benchmark::DoNotOptimize(child.object());
    }
    state.counters["per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(Host_FirstChildCall);

}  // namespace
