// XPath through the plug-in (host code on the emulated host) against
// pugixml directly, on the same generated document of about 12 MB in the
// same run: compiled queries of each result kind, one-shot selection, and
// walking a large result set entry by entry. Pairs share the name after the
// prefix (Plugin_/Pugixml_) for bench/ratios.py; every benchmark reports
// per_step, the time of one evaluation (or of one entry for the walk).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <pugixml.hpp>
#include <string>

#include "bench_host.h"

namespace {

using emu::Value;

// A selective predicate (about 0.9 % of the items), a count over a nested
// comparison and a string result found by attribute.
constexpr const char* kFilter = "//item[@price > 990]";
constexpr const char* kCount = "count(//item[tags/tag = 't3'])";
constexpr const char* kString = "string(//item[@id='i60000']/name)";
constexpr const char* kEveryItem = "//item";

// One document per side, parsed once for the whole run.
const Value& PluginDocument() {
    static const Value* doc = new Value(
        BenchHost().callShared("TorvaneXml.Document", "FromString", {BenchHost().str(Catalog())}));
    return *doc;
}

const pugi::xml_document& PugixmlDocument() {
    static const pugi::xml_document* doc = [] {
        auto* d = new pugi::xml_document();
        d->load_buffer(Catalog().data(), Catalog().size(), pugi::parse_default,
                       pugi::encoding_utf8);
        return d;
    }();
    return *doc;
}

void SetStepCounters(benchmark::State& state, int64_t stepsPerIteration, double check) {
    state.counters["per_step"] = benchmark::Counter(
        static_cast<double>(stepsPerIteration) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["result"] = check;  // the same on both sides of a pair
}

int64_t PluginCount(emu::Host& host, const Value& set) {
    return host.get(host.call(set, "XPathNodes"), "Count").asInt();
}

// ---- Compiled queries ---------------------------------------------------

void Plugin_QueryNodeSet(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value& doc = PluginDocument();
    const Value query = host.New("TorvaneXml.XPathQuery", {host.str(kFilter)});
    int64_t found = 0;
    for (auto _ : state) {
        Value set = host.call(query, "EvaluateNodeSet", {doc});
        found = PluginCount(host, set);
    }
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Plugin_QueryNodeSet)->Unit(benchmark::kMillisecond);

void Pugixml_QueryNodeSet(benchmark::State& state) {
    const pugi::xpath_query query(kFilter);
    int64_t found = 0;
    for (auto _ : state) {
        pugi::xpath_node_set set = query.evaluate_node_set(PugixmlDocument());
        found = static_cast<int64_t>(set.size());
        benchmark::DoNotOptimize(set.begin());
    }
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Pugixml_QueryNodeSet)->Unit(benchmark::kMillisecond);

void Plugin_QueryCount(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value& doc = PluginDocument();
    const Value query = host.New("TorvaneXml.XPathQuery", {host.str(kCount)});
    double count = 0;
    for (auto _ : state) count = host.call(query, "EvaluateNumber", {doc}).asDouble();
    SetStepCounters(state, 1, count);
}
BENCHMARK(Plugin_QueryCount)->Unit(benchmark::kMillisecond);

void Pugixml_QueryCount(benchmark::State& state) {
    const pugi::xpath_query query(kCount);
    double count = 0;
    for (auto _ : state) benchmark::DoNotOptimize(count = query.evaluate_number(PugixmlDocument()));
    SetStepCounters(state, 1, count);
}
BENCHMARK(Pugixml_QueryCount)->Unit(benchmark::kMillisecond);

void Plugin_QueryString(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value& doc = PluginDocument();
    const Value query = host.New("TorvaneXml.XPathQuery", {host.str(kString)});
    size_t length = 0;
    for (auto _ : state) length = host.call(query, "EvaluateString", {doc}).asString().size();
    SetStepCounters(state, 1, static_cast<double>(length));
}
BENCHMARK(Plugin_QueryString)->Unit(benchmark::kMillisecond);

void Pugixml_QueryString(benchmark::State& state) {
    const pugi::xpath_query query(kString);
    size_t length = 0;
    for (auto _ : state) {
        const pugi::string_t text = query.evaluate_string(PugixmlDocument());
        length = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    SetStepCounters(state, 1, static_cast<double>(length));
}
BENCHMARK(Pugixml_QueryString)->Unit(benchmark::kMillisecond);

// ---- One-shot selection (compiles on every call) ------------------------

void Plugin_SelectNodes(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value& doc = PluginDocument();
    const Value text = host.str(kFilter);
    int64_t found = 0;
    for (auto _ : state) {
        Value set = host.call(doc, "SelectNodes", {text, Value()});
        found = PluginCount(host, set);
    }
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Plugin_SelectNodes)->Unit(benchmark::kMillisecond);

void Pugixml_SelectNodes(benchmark::State& state) {
    int64_t found = 0;
    for (auto _ : state) {
        pugi::xpath_node_set set = PugixmlDocument().select_nodes(kFilter);
        found = static_cast<int64_t>(set.size());
        benchmark::DoNotOptimize(set.begin());
    }
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Pugixml_SelectNodes)->Unit(benchmark::kMillisecond);

// ---- The same selection on a 2 KB document: one-shot against compiled -----
//
// Host code that selects with the same text in a loop, against the compiled
// XPathQuery path; bench/ratios.py prints one over the other.

const Value& SmallDocument() {
    static const Value* doc = new Value(BenchHost().callShared("TorvaneXml.Document", "FromString",
                                                               {BenchHost().str(MakeCatalog(18))}));
    return *doc;
}

constexpr const char* kSmallFilter = "/catalog/item[@id='i7']/name";

void Plugin_SmallOneShot(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value text = host.str(kSmallFilter);
    int64_t found = 0;
    for (auto _ : state) {
        Value set = host.call(SmallDocument(), "SelectNodes", {text, Value()});
        benchmark::DoNotOptimize(set.object());
    }
    found = PluginCount(host, host.call(SmallDocument(), "SelectNodes", {text, Value()}));
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Plugin_SmallOneShot)->Unit(benchmark::kMicrosecond);

void Plugin_SmallCompiled(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value query = host.New("TorvaneXml.XPathQuery", {host.str(kSmallFilter)});
    int64_t found = 0;
    for (auto _ : state) {
        Value set = host.call(query, "EvaluateNodeSet", {SmallDocument()});
        benchmark::DoNotOptimize(set.object());
    }
    found = PluginCount(host, host.call(query, "EvaluateNodeSet", {SmallDocument()}));
    SetStepCounters(state, 1, static_cast<double>(found));
}
BENCHMARK(Plugin_SmallCompiled)->Unit(benchmark::kMicrosecond);

// ---- Walking a large result ---------------------------------------------
//
// 120 000 entries: XPathNodes(), then MoveNext() and Value() per entry, as a
// For Each loop does, against reading each xpath_node of the set. One step
// is one entry; the set is made once, outside the timing.

void Plugin_IterateResult(benchmark::State& state) {
    emu::Host& host = BenchHost();
    const Value set = host.call(PluginDocument(), "SelectNodes", {host.str(kEveryItem), Value()});
    int64_t entries = 0;
    for (auto _ : state) {
        entries = 0;
        Value it = host.call(set, "XPathNodes");
        while (host.call(it, "MoveNext").asBool()) {
            Value entry = host.call(it, "Value");
            benchmark::DoNotOptimize(entry.object());
            ++entries;
        }
    }
    SetStepCounters(state, entries, static_cast<double>(entries));
}
BENCHMARK(Plugin_IterateResult)->Unit(benchmark::kMillisecond);

void Pugixml_IterateResult(benchmark::State& state) {
    const pugi::xpath_node_set set = PugixmlDocument().select_nodes(kEveryItem);
    int64_t entries = 0;
    for (auto _ : state) {
        entries = 0;
        for (const pugi::xpath_node& entry : set) {
            pugi::xpath_node copy = entry;
            benchmark::DoNotOptimize(copy);
            ++entries;
        }
    }
    SetStepCounters(state, entries, static_cast<double>(entries));
}
BENCHMARK(Pugixml_IterateResult)->Unit(benchmark::kMillisecond);

}  // namespace
