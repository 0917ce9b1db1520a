// Removing inside For Each: every other child of one element removed while
// the loop's iterator and a node set over all the children are alive. Each
// removal must cost about the same whatever the number of children, so
// per_removal stays flat from 10,000 to 100,000 children.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <string>

#include "bench_host.h"

namespace {

using emu::Value;

std::string Children(int64_t count) {
    std::string xml = "<r>";
    xml.reserve(static_cast<size_t>(count) * 4 + 8);
    for (int64_t i = 0; i < count; ++i) xml += "<c/>";
    return xml + "</r>";
}

void SetRemovalCounters(benchmark::State& state, int64_t removals) {
    state.counters["per_removal"] =
        benchmark::Counter(static_cast<double>(removals) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Plugin_RemoveEveryOther(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const std::string xml = Children(state.range(0));
    int64_t removals = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(xml)});
        Value r = host.call(doc, "DocumentElement");
        Value all = host.call(r, "SelectNodes", {host.str("*"), Value()});
        state.ResumeTiming();
        removals = 0;
        bool remove = true;
        host.forEach(host.call(r, "Children"), [&](const Value& child) {
            if (remove) {
                host.call(r, "RemoveChild", {child});
                ++removals;
            }
            remove = !remove;
        });
        state.PauseTiming();
        if (host.get(host.call(all, "XPathNodes"), "Count").asInt() != state.range(0) - removals)
            state.SkipWithError("the node set did not drop the removed children");
        doc = r = all = Value();
        state.ResumeTiming();
    }
    SetRemovalCounters(state, removals);
}
BENCHMARK(Plugin_RemoveEveryOther)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Pugixml_RemoveEveryOther(benchmark::State& state) {
    const std::string xml = Children(state.range(0));
    int64_t removals = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pugi::xml_document doc;
        doc.load_buffer(xml.data(), xml.size());
        pugi::xml_node r = doc.document_element();
        pugi::xpath_node_set all = r.select_nodes("*");
        state.ResumeTiming();
        removals = 0;
        bool remove = true;
        for (pugi::xml_node child = r.first_child(); child;) {
            const pugi::xml_node next = child.next_sibling();
            if (remove) {
                r.remove_child(child);
                ++removals;
            }
            remove = !remove;
            child = next;
        }
        benchmark::DoNotOptimize(all.size());
    }
    SetRemovalCounters(state, removals);
}
BENCHMARK(Pugixml_RemoveEveryOther)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
