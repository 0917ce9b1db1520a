// One workload per run, for bench/counts.py under callgrind: the measured
// part is bracketed by callgrind's collection toggle, after one unmeasured
// round (symbol binding, the emulated host's tables, any warm cache).
//
// The plug-in side calls each registered member's function directly, as the
// host's dispatch ends up doing: objects are still made, locked, released and
// destroyed by the emulated host, but its declaration look-up and libffi call
// are left out (they are the host's cost, and callgrind books code reached
// through libffi to libffi, which would hide the plug-in's functions).
//
// usage: torvxml-step-counts WORK SIDE
//   WORK  walk | foreach | entries | oneshot | compiled | parse | serialise | query
//   SIDE  plugin | pugixml
// Prints "steps N": the units the measured round did. The plug-in loaded is
// the build's own, or the one TORVXML_BENCH_PLUGIN names.
#include <valgrind/callgrind.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <pugixml.hpp>
#include <string>

#include "bench_host.h"

namespace {

using emu::Value;

constexpr size_t kItems = 1000;     // walk, foreach, entries
constexpr size_t kSmallItems = 18;  // the 2 KB document of the one-shot pair
constexpr const char* kSelect = "/catalog/item[@id='i7']/name";
constexpr int kSelectRounds = 50;

// The registered function of `className`'s method whose declaration starts
// with `declaration`, or of the getter of property `name`.
const REALclassDefinition& Definition(const char* className) {
    const emu::RegisteredClass* cls = BenchHost().registry().findClass(className);
    if (!cls) std::abort();
    return *cls->definition;
}

// The function of the entry of `methods` whose declaration starts with
// `declaration`.
template <class F>
F Find(const REALmethodDefinition* methods, size_t count, const std::string& declaration) {
    for (size_t i = 0; i < count; ++i)
        if (std::string(methods[i].declaration).rfind(declaration, 0) == 0)
            return reinterpret_cast<F>(methods[i].function);
    std::abort();
}

template <class F>
F MethodOf(const char* className, const std::string& declaration) {
    const REALclassDefinition& d = Definition(className);
    return Find<F>(d.methods, d.methodCount, declaration);
}

template <class F>
F SharedMethodOf(const char* className, const std::string& declaration) {
    const REALclassDefinition& d = Definition(className);
    return Find<F>(d.sharedMethods, d.sharedMethodCount, declaration);
}

template <class R>
using Getter = R (*)(REALobject, RBInteger);

template <class R>
Getter<R> GetterOf(const char* className, const char* name) {
    const REALclassDefinition& d = Definition(className);
    for (size_t i = 0; i < d.propertyCount; ++i)
        if (std::strcmp(d.properties[i].name, name) == 0 && d.properties[i].param == 0)
            return reinterpret_cast<Getter<R>>(d.properties[i].getter);
    std::abort();
}

using Unary = REALobject (*)(REALobject);
using Binary = REALobject (*)(REALobject, REALobject);

// A member's object result, released through the host when dropped.
Value Adopt(REALobject obj) {
    return Value::AdoptObject(BenchHost(), obj);
}

// Host code's For Each over an object of `iteratorClass`: Iterator(), then
// MoveNext() and Value() per item.
struct ForEach {
    explicit ForEach(const char* iteratorClass)
        : iterator(MethodOf<Unary>(iteratorClass, "Iterator(")),
          moveNext(MethodOf<RBBoolean (*)(REALobject)>(iteratorClass, "MoveNext(")),
          value(MethodOf<Unary>(iteratorClass, "Value(")) {}

    // Runs `body` on every item; returns how many items it answered true for.
    template <class Body>
    int64_t operator()(const Value& iterable, Body&& body) const {
        int64_t steps = 0;
        const Value it = Adopt(iterator(iterable.object()));
        while (moveNext(it.object())) steps += body(Adopt(value(it.object()))) ? 1 : 0;
        return steps;
    }

    Unary iterator;
    RBBoolean (*moveNext)(REALobject);
    Unary value;
};

// Runs `round` twice and counts only the second.
int64_t Measured(const std::function<int64_t()>& round) {
    round();
    CALLGRIND_TOGGLE_COLLECT;
    const int64_t steps = round();
    CALLGRIND_TOGGLE_COLLECT;
    return steps;
}

// ---- Walk by FirstChild / NextSibling / Parent (one step = one call) ------

// The catalogue of `items` entries, parsed by the plug-in.
Value PluginCatalog(size_t items) {
    emu::Host& host = BenchHost();
    return host.callShared("TorvaneXml.Document", "FromString", {host.str(MakeCatalog(items))});
}

// The same parsed by pugixml.
struct RawCatalog {
    explicit RawCatalog(size_t items) : text(MakeCatalog(items)) { LoadRaw(doc, text); }
    std::string text;
    pugi::xml_document doc;
};

int64_t PluginWalk() {
    const Value doc = PluginCatalog(kItems);
    const Value top = BenchHost().call(doc, "DocumentElement");
    const auto firstChild = MethodOf<Unary>("TorvaneXml.Node", "FirstChild(");
    const auto nextSibling = MethodOf<Unary>("TorvaneXml.Node", "NextSibling(");
    const auto parent = MethodOf<Unary>("TorvaneXml.Node", "Parent(");
    const auto compare =
        MethodOf<RBInteger (*)(REALobject, REALobject)>("TorvaneXml.Node", "Operator_Compare(");
    const auto empty = GetterOf<RBBoolean>("TorvaneXml.Node", "Empty");
    return Measured([&] {
        return WalkDepthFirst(
            top, [&](const Value& n) { return Adopt(firstChild(n.object())); },
            [&](const Value& n) { return Adopt(nextSibling(n.object())); },
            [&](const Value& n) { return Adopt(parent(n.object())); },
            [&](const Value& n) { return empty(n.object(), 0) != 0; },
            [&](const Value& a, const Value& b) { return compare(a.object(), b.object()) == 0; });
    });
}

int64_t PugixmlWalk() {
    const RawCatalog raw(kItems);
    return Measured([&] { return WalkPugixml(raw.doc.document_element()); });
}

// ---- For Each over Children() reading Name (one step = one child) ---------

int64_t PluginForEach() {
    emu::Host& host = BenchHost();
    const Value doc = PluginCatalog(kItems);
    const Value top = host.call(doc, "DocumentElement");
    const auto children = MethodOf<Unary>("TorvaneXml.Node", "Children()");
    const auto name = GetterOf<REALstring>("TorvaneXml.Node", "Name");
    const ForEach forEach("TorvaneXml.NodeIterator");
    return Measured([&] {
        return forEach(Adopt(children(top.object())), [&](const Value& child) {
            return Value::AdoptString(host, name(child.object(), 0)).string() != nullptr;
        });
    });
}

int64_t PugixmlForEach() {
    const RawCatalog raw(kItems);
    const pugi::xml_document& doc = raw.doc;
    const pugi::xml_node top = doc.document_element();
    return Measured([&] {
        int64_t steps = 0;
        // The plug-in measures the name to hand it over; so does this side.
        for (const pugi::xml_node child : top.children()) steps += std::strlen(child.name()) > 0;
        return steps;
    });
}

// ---- A result's entries: XPathNodes(), Value(), Node (one step = one entry)

int64_t PluginEntries() {
    emu::Host& host = BenchHost();
    const Value doc = PluginCatalog(kItems);
    const Value set = host.call(doc, "SelectNodes", {host.str("//item"), Value()});
    const auto nodes = MethodOf<Unary>("TorvaneXml.XPathNodeSet", "XPathNodes(");
    const auto node = GetterOf<REALobject>("TorvaneXml.XPathNode", "Node");
    const ForEach forEach("TorvaneXml.XPathNodeIterator");
    return Measured([&] {
        return forEach(Adopt(nodes(set.object())), [&](const Value& entry) {
            return Adopt(node(entry.object(), 0)).object() != nullptr;
        });
    });
}

int64_t PugixmlEntries() {
    const RawCatalog raw(kItems);
    const pugi::xml_document& doc = raw.doc;
    const pugi::xpath_node_set set = doc.select_nodes("//item");
    return Measured([&] {
        int64_t steps = 0;
        for (const pugi::xpath_node& entry : set) steps += entry.node() ? 1 : 0;
        return steps;
    });
}

// ---- The same selection on a 2 KB document: one-shot against compiled ----

int64_t PluginSelect(bool oneShot) {
    emu::Host& host = BenchHost();
    const Value doc = PluginCatalog(kSmallItems);
    const Value text = host.str(kSelect);
    const Value query = host.New("TorvaneXml.XPathQuery", {text});
    const auto select = MethodOf<REALobject (*)(REALobject, REALstring, REALobject)>(
        "TorvaneXml.Node", "SelectNodes(");
    const auto evaluate = MethodOf<Binary>("TorvaneXml.XPathQuery", "EvaluateNodeSet(");
    return Measured([&] {
        int64_t found = 0;
        for (int i = 0; i < kSelectRounds; ++i) {
            const Value set = Adopt(oneShot ? select(doc.object(), text.string(), nullptr)
                                            : evaluate(query.object(), doc.object()));
            found += set.object() != nullptr;
        }
        return found;
    });
}

int64_t PugixmlSelect(bool oneShot) {
    const RawCatalog raw(kSmallItems);
    const pugi::xml_document& doc = raw.doc;
    const pugi::xpath_query query(kSelect);
    return Measured([&] {
        int64_t found = 0;
        for (int i = 0; i < kSelectRounds; ++i) {
            const pugi::xpath_node_set set =
                oneShot ? doc.select_nodes(kSelect) : query.evaluate_node_set(doc);
            found += !set.empty();
        }
        return found;
    });
}

// ---- pugixml's own work: parse, serialise, a compiled query (one step = one
// call on a document of about 110 KB) ----------------------------------------

constexpr int kWholeRounds = 3;
constexpr const char* kFilter = "//item[@price > 990]";

int64_t PluginParse() {
    emu::Host& host = BenchHost();
    const Value text = host.str(MakeCatalog(kItems));
    const auto fromString =
        SharedMethodOf<REALobject (*)(REALstring)>("TorvaneXml.Document", "FromString(");
    return Measured([&] {
        int64_t parsed = 0;
        for (int i = 0; i < kWholeRounds; ++i) parsed += Adopt(fromString(text.string())) ? 1 : 0;
        return parsed;
    });
}

int64_t PugixmlParse() {
    const std::string text = MakeCatalog(kItems);
    return Measured([&] {
        int64_t parsed = 0;
        for (int i = 0; i < kWholeRounds; ++i) {
            pugi::xml_document doc;
            parsed +=
                doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)
                    ? 1
                    : 0;
        }
        return parsed;
    });
}

int64_t PluginSerialise() {
    emu::Host& host = BenchHost();
    const Value doc = PluginCatalog(kItems);
    const auto toString = MethodOf<REALstring (*)(REALobject, RBInteger)>(
        "TorvaneXml.Document", "ToString(formatModifier");
    return Measured([&] {
        int64_t written = 0;
        for (int i = 0; i < kWholeRounds; ++i)
            written +=
                Value::AdoptString(host, toString(doc.object(), pugi::format_default)) ? 1 : 0;
        return written;
    });
}

int64_t PugixmlSerialise() {
    const RawCatalog raw(kItems);
    const pugi::xml_document& doc = raw.doc;
    return Measured([&] {
        int64_t written = 0;
        for (int i = 0; i < kWholeRounds; ++i) {
            StringWriter writer;
            doc.save(writer, "\t", pugi::format_default, pugi::encoding_auto);
            written += !writer.result.empty();
        }
        return written;
    });
}

int64_t PluginQuery() {
    emu::Host& host = BenchHost();
    const Value doc = PluginCatalog(kItems);
    const Value query = host.New("TorvaneXml.XPathQuery", {host.str(kFilter)});
    const auto evaluate = MethodOf<Binary>("TorvaneXml.XPathQuery", "EvaluateNodeSet(");
    return Measured([&] {
        int64_t found = 0;
        for (int i = 0; i < kWholeRounds; ++i)
            found += Adopt(evaluate(query.object(), doc.object())) ? 1 : 0;
        return found;
    });
}

int64_t PugixmlQuery() {
    const RawCatalog raw(kItems);
    const pugi::xml_document& doc = raw.doc;
    const pugi::xpath_query query(kFilter);
    return Measured([&] {
        int64_t found = 0;
        for (int i = 0; i < kWholeRounds; ++i) found += !query.evaluate_node_set(doc).empty();
        return found;
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WORK plugin|pugixml\n", argv[0]);
        return 2;
    }
    const std::string work = argv[1];
    const bool plugin = std::strcmp(argv[2], "plugin") == 0;
    int64_t steps = -1;
    if (work == "walk") steps = plugin ? PluginWalk() : PugixmlWalk();
    if (work == "foreach") steps = plugin ? PluginForEach() : PugixmlForEach();
    if (work == "entries") steps = plugin ? PluginEntries() : PugixmlEntries();
    if (work == "oneshot") steps = plugin ? PluginSelect(true) : PugixmlSelect(true);
    if (work == "compiled") steps = plugin ? PluginSelect(false) : PugixmlSelect(false);
    if (work == "parse") steps = plugin ? PluginParse() : PugixmlParse();
    if (work == "serialise") steps = plugin ? PluginSerialise() : PugixmlSerialise();
    if (work == "query") steps = plugin ? PluginQuery() : PugixmlQuery();
    if (steps < 0) {
        std::fprintf(stderr, "unknown work %s\n", work.c_str());
        return 2;
    }
    std::printf("steps %lld\n", static_cast<long long>(steps));
    return 0;
}
