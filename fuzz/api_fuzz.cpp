// Fuzz target: the input is a program of host calls made through the emulated
// host. It parses or creates documents, navigates, iterates with For Each,
// edits, removes (by object, by name, all), moves and copies within and
// across documents, evaluates queries, stores node sets in variable sets and
// drops references in any order, and keeps using everything after removals.
// A crash, a sanitizer report, a broken removal rule or a leaked object,
// string or lock after the program fails.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_host.h"

namespace {

using emu::Value;

const char* const kSeeds[] = {
    "<r><a/><x/><b/><x/><x/><c/></r>",
    "<r id='1' x='2' y='3'><x a='1' b='2'>t<y/>u</x><x>v</x><z><x/><x c='3'/></z></r>",
    "<?xml version='1.0'?><!--c--><r><p n='1'><q>1</q><q>2</q></p><p n='2'><q>3</q></p>"
    "<![CDATA[d]]><?pi v?></r>",
    "<a><b><c><d e='f'>g</d></c></b><b/></a>",
};
const char* const kNames[] = {"x", "a", "b", "q", "p", "y", "n", "c"};
const char* const kQueries[] = {
    "//*", "//x", "//@*", "/r/*", "//text()", "//*[@*]", "$v", "$v/*", "$v | //x", "//q[. > 1]",
};

// The program: reads bytes as operation codes and operands; runs out quietly.
class Program {
public:
    Program(emu::Host& host, const uint8_t* data, size_t size)
        : host_(host), data_(data), size_(size) {}

    void Run() {
        int steps = 0;
        while (pos_ < size_ && steps++ < 256) Step(Byte());
    }

private:
    enum Pool { Nodes, Attributes, Texts, Iterators, Sets, Entries, Queries, Variables, kPools };
    static constexpr size_t kSlots = 6;
    static constexpr int kMaxCopies = 12;

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    Value& Slot(Pool pool) { return pools_[pool][Byte() % kSlots]; }
    const char* Name() { return kNames[Byte() % std::size(kNames)]; }

    Value Call(const Value& self, const char* method, std::vector<Value> args = {}) {
        if (self.isNil()) return Value();
        try {
            return host_.call(self, method, std::move(args));
        } catch (const emu::HostException&) {
            return Value();
        }
    }
    Value Get(const Value& self, const char* property) {
        if (self.isNil()) return Value();
        try {
            return host_.get(self, property);
        } catch (const emu::HostException&) {
            return Value();
        }
    }
    Value Str(const char* text) { return host_.str(text); }

    // Keeps a result in the pool its class belongs to.
    void Keep(const Value& v) {
        if (v.isNil()) return;
        const std::string cls = v.className();
        Pool pool = Nodes;
        if (cls.rfind("TorvaneXml.", 0) != 0)
            return;  // a number, string or Boolean result
        else if (cls == "TorvaneXml.Attribute")
            pool = Attributes;
        else if (cls == "TorvaneXml.TextHelper")
            pool = Texts;
        else if (cls.find("Iterator") != std::string::npos)
            pool = Iterators;
        else if (cls == "TorvaneXml.XPathNodeSet")
            pool = Sets;
        else if (cls == "TorvaneXml.XPathNode")
            pool = Entries;
        pools_[pool][Byte() % kSlots] = v;
    }

    static void Fail(const char* what) {
        std::fprintf(stderr, "removal rule broken: %s\n", what);
        std::abort();
    }

    void Step(uint8_t op) {
        switch (op % 24) {
            case 0: {
                Value doc = host_.callShared("TorvaneXml.Document", "FromString",
                                             {Str(kSeeds[Byte() % std::size(kSeeds)])});
                Slot(Nodes) = doc;
                break;
            }
            case 1: {  // a new Document, or one constructed again over its old tree
                Value& slot = Slot(Nodes);
                if ((Byte() & 3) == 0 && slot.className() == "TorvaneXml.Document")
                    Call(slot, "Constructor");
                else
                    slot = host_.New("TorvaneXml.Document");
                break;
            }
            case 2: {  // navigation
                Value n = Slot(Nodes);
                if (n.isNil()) break;
                static const char* const kSteps[] = {"FirstChild",      "LastChild", "NextSibling",
                                                     "PreviousSibling", "Parent",    "Root"};
                const uint8_t which = Byte() % 8;
                if (which < 6)
                    Keep(Call(n, kSteps[which]));
                else if (which == 6)
                    Keep(Call(n, "Child", {Str(Name()), Value::Bool(Byte() & 1)}));
                else if (n.className() == "TorvaneXml.Document")
                    Keep(Call(n, "DocumentElement"));
                break;
            }
            case 3: {  // iterators
                Value n = Slot(Nodes);
                if (n.isNil()) break;
                const uint8_t which = Byte() % 3;
                Keep(which == 0   ? Call(n, "Children")
                     : which == 1 ? Call(n, "Children", {Str(Name())})
                                  : Call(n, "NodeAttributes"));
                break;
            }
            case 4: {  // stepping an iterator by hand
                Value it = Slot(Iterators);
                if (it.isNil()) break;
                Get(it, "Count");
                Get(it, "Any");
                if (Call(it, "MoveNext").asBool()) Keep(Call(it, "Value"));
                break;
            }
            case 5:
                ForEachRemoving();
                break;
            case 6:
                Edit();
                break;
            case 7:
                Remove();
                break;
            case 8:
                MoveOrCopy();
                break;
            case 9: {  // selection
                Value n = Slot(Nodes);
                if (n.isNil()) break;
                const char* query = kQueries[Byte() % std::size(kQueries)];
                Value vars = Slot(Variables);
                Keep(Call(n, (Byte() & 1) ? "SelectNodes" : "SelectNode", {Str(query), vars}));
                break;
            }
            case 10: {  // compiled queries
                Value vars = Slot(Variables);
                const char* query = kQueries[Byte() % std::size(kQueries)];
                try {
                    Slot(Queries) = vars.isNil()
                                        ? host_.New("TorvaneXml.XPathQuery", {Str(query)})
                                        : host_.New("TorvaneXml.XPathQuery", {Str(query), vars});
                } catch (const emu::HostException&) {
                }
                break;
            }
            case 11: {
                Value q = Slot(Queries);
                Value n = Slot(Nodes);
                if (q.isNil()) break;
                static const char* const kEval[] = {"EvaluateNodeSet", "EvaluateNode",
                                                    "EvaluateString", "EvaluateNumber",
                                                    "EvaluateBoolean"};
                Keep(Call(q, kEval[Byte() % 5], {n}));
                break;
            }
            case 12:
                Slot(Variables) = host_.New("TorvaneXml.XPathVariableSet");
                break;
            case 13: {
                Value vars = Slot(Variables);
                Value set = Slot(Sets);
                if (vars.isNil() || set.isNil()) break;
                Call(vars, "Set", {Str((Byte() & 1) ? "v" : "w"), set});
                break;
            }
            case 14: {  // walking a result
                Value set = Slot(Sets);
                if (set.isNil()) break;
                Value it = Call(set, "XPathNodes");
                const int64_t count = Get(it, "Count").asInt();
                int64_t seen = 0;
                host_.forEach(it, [&](const Value& entry) {
                    ++seen;
                    if (entry.isNil()) Fail("a node set handed out a removed entry");
                    if ((Byte() & 3) == 0) Keep(entry);
                });
                if (seen != count) Fail("node set Count differs from its entries");
                Keep(it);
                break;
            }
            case 15: {
                Value e = Slot(Entries);
                if (e.isNil()) break;
                static const char* const kParts[] = {"Node", "Attribute", "Parent"};
                Keep(Get(e, kParts[Byte() % 3]));
                break;
            }
            case 16:
                Read();
                break;
            case 17: {  // drop a reference
                const Pool pool = static_cast<Pool>(Byte() % kPools);
                pools_[pool][Byte() % kSlots] = Value();
                break;
            }
            case 18: {  // attributes
                Value n = Slot(Nodes);
                if (n.isNil()) break;
                const uint8_t which = Byte() % 3;
                Keep(which == 0   ? Call(n, "Attribute", {Str(Name()), Value::Bool(Byte() & 1)})
                     : which == 1 ? Call(n, "FirstAttribute")
                                  : Call(n, "LastAttribute"));
                break;
            }
            case 19: {
                Value a = Slot(Attributes);
                if (a.isNil()) break;
                Keep(Call(a, (Byte() & 1) ? "NextAttribute" : "PreviousAttribute"));
                break;
            }
            case 20: {
                Value n = Slot(Nodes);
                if (n.isNil()) break;
                Keep(Call(n, "Text", {Value::Bool(Byte() & 1)}));
                break;
            }
            case 21: {  // writes through stale or live wrappers
                Value t = Slot(Texts);
                if (!t.isNil()) Call(t, "Set", {Str(Name())});
                Value a = Slot(Attributes);
                if (!a.isNil()) host_.set(a, "Name", Str(Name()));
                Value n = Slot(Nodes);
                if (!n.isNil()) host_.set(n, "TextValue", Str(Name()));
                break;
            }
            case 22: {  // duplicate a reference
                const Pool pool = static_cast<Pool>(Byte() % kPools);
                Value copy = pools_[pool][Byte() % kSlots];
                pools_[pool][Byte() % kSlots] = copy;
                break;
            }
            default: {
                Value n = Slot(Nodes);
                if (!n.isNil()) Call(n, "ToString");
                break;
            }
        }
    }

    void Read() {
        const Pool pool = static_cast<Pool>(Byte() % kPools);
        const Value& v = pools_[pool][Byte() % kSlots];
        if (v.isNil()) return;
        switch (pool) {
            case Nodes:
                Get(v, "Name");
                Get(v, "Value");
                Get(v, "TextValue");
                Get(v, "Type");
                Call(v, "ChildValue");
                Call(v, "ToString");
                break;
            case Attributes:
                Get(v, "Name");
                Get(v, "AsString");
                Get(v, "AsDouble");
                break;
            case Texts:
                Get(v, "AsString");
                break;
            case Iterators:
                Get(v, "Count");
                Call(v, "Value");
                break;
            case Entries:
                Get(v, "Node");
                break;
            default:
                break;
        }
    }

    void Edit() {
        Value n = Slot(Nodes);
        if (n.isNil()) return;
        Value ref = Slot(Nodes);
        switch (Byte() % 8) {
            case 0:
                Keep(Call(n, "AppendChild", {Str(Name())}));
                break;
            case 1:
                Keep(Call(n, "PrependChild", {Str(Name())}));
                break;
            case 2:
                Keep(Call(n, "InsertChildBefore", {Str(Name()), ref}));
                break;
            case 3:
                Keep(Call(n, "InsertChildAfter", {Str(Name()), ref}));
                break;
            case 4:
                Keep(Call(n, "AppendAttribute", {Str(Name())}));
                break;
            case 5:
                host_.set(n, "Name", Str(Name()));
                break;
            case 6:
                host_.set(n, "Value", Str(Name()));
                break;
            default:
                Keep(Call(n, "AppendChild", {Value::Enum("TorvaneXml.NodeType", Byte() % 10)}));
                break;
        }
    }

    void Remove() {
        Value n = Slot(Nodes);
        if (n.isNil()) return;
        switch (Byte() % 6) {
            case 0: {
                Value child = Slot(Nodes);
                if (child.isNil()) break;  // Nil cannot choose between the forms
                const bool removed = Call(n, "RemoveChild", {child}).asBool();
                if (removed && !Get(child, "Empty").asBool()) Fail("a removed node still answers");
                break;
            }
            case 1:
                Call(n, "RemoveChild", {Str(Name())});
                break;
            case 2:
                Call(n, "RemoveAllChildren");
                break;
            case 3: {
                Value attr = Slot(Attributes);
                if (attr.isNil()) break;
                const bool removed = Call(n, "RemoveAttribute", {attr}).asBool();
                if (removed && !Get(attr, "Empty").asBool())
                    Fail("a removed attribute still answers");
                break;
            }
            case 4:
                Call(n, "RemoveAttribute", {Str(Name())});
                break;
            default:
                Call(n, "RemoveAllAttributes");
                break;
        }
    }

    void MoveOrCopy() {
        Value n = Slot(Nodes);
        Value other = Slot(Nodes);
        Value ref = Slot(Nodes);
        if (n.isNil()) return;
        static const char* const kOps[] = {"AppendMove", "PrependMove", "AppendCopy",
                                           "PrependCopy"};
        static const char* const kAtOps[] = {"InsertMoveBefore", "InsertMoveAfter",
                                             "InsertCopyBefore", "InsertCopyAfter"};
        // A Nil argument cannot choose between the Node and Attribute forms.
        const uint8_t which = Byte() % 9;
        if (other.isNil() || (which >= 4 && which < 8 && ref.isNil())) return;
        // A copy of a node into itself doubles its tree: a few dozen would
        // outgrow the fuzzer's memory without reaching anything new.
        const bool copy = which == 2 || which == 3 || which >= 6;
        if (copy && ++copies_ > kMaxCopies) return;
        if (which < 4)
            Keep(Call(n, kOps[which], {other}));
        else if (which < 8)
            Keep(Call(n, kAtOps[which - 4], {other, ref}));
        else if (Value attr = Slot(Attributes); !attr.isNil())
            Keep(Call(n, "AppendCopy", {attr}));
    }

    // The idiom the removal rules exist for: For Each over children or
    // attributes, removing as it goes. Removing only the current item must
    // visit every item exactly once.
    void ForEachRemoving() {
        Value n = Slot(Nodes);
        if (n.isNil()) return;
        const uint8_t mode = Byte();
        const bool attributes = mode & 1;
        const bool onlyCurrent = (mode & 6) != 6;
        Value it = attributes   ? Call(n, "NodeAttributes")
                   : (mode & 8) ? Call(n, "Children", {Str(Name())})
                                : Call(n, "Children");
        const int64_t count = Get(it, "Count").asInt();
        int64_t seen = 0;
        host_.forEach(it, [&](const Value& item) {
            ++seen;
            if (seen > 4096) Fail("loop does not end");
            const uint8_t action = Byte();
            if (onlyCurrent) {
                if (action & 1) Call(n, attributes ? "RemoveAttribute" : "RemoveChild", {item});
                if (action & 2) Keep(item);
                return;
            }
            switch (action % 6) {
                case 0:
                    Call(n, attributes ? "RemoveAttribute" : "RemoveChild", {item});
                    break;
                case 1:
                case 2:
                    if (Value sibling = attributes          ? Value()
                                        : (action % 6 == 1) ? Call(item, "PreviousSibling")
                                                            : Call(item, "NextSibling");
                        !sibling.isNil())
                        Call(n, "RemoveChild", {sibling});
                    break;
                case 3:
                    Call(Call(n, "Parent"), "RemoveChild", {n});
                    break;
                case 4:
                    Call(n, attributes ? "RemoveAllAttributes" : "RemoveAllChildren");
                    break;
                default:
                    Step(Byte());
                    break;
            }
        });
        if (onlyCurrent && seen != count) Fail("For Each skipped or repeated an item");
        Keep(it);
    }

    emu::Host& host_;
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    int copies_ = 0;
    std::array<std::array<Value, kSlots>, kPools> pools_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emu::Host& host = FuzzHost();
    {
        Program program(host, data, size);
        program.Run();
    }
    RequireClean(host);
    return 0;
}
