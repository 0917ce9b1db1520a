// One implementation of the host's iteration protocol over a range, shared by
// NodeIterator, NamedNodeIterator, AttributeIterator (live pugixml ranges)
// and XPathNodeIterator (the entries of a node set). Each of those units
// instantiates TreeIterator with its own range block and class record and
// ends with its registration tables.
#pragma once

#include <iterator>
#include <memory>
#include <string>

#include "base/exceptions.h"
#include "base/registration.h"
#include "base/wrapper.h"
#include "dom/records.h"

// The heap block a record owns: three iterators of one type. begin and end
// are fixed at creation; current only moves forward.
template <class It>
struct IteratorRange {
    using Iterator = It;
    It begin, current, end;
};

// The named range also owns the name its iterators compare against: a
// pugixml named iterator keeps only a pointer to the name, and the host's
// bytes are gone once Children(name) returns.
struct NamedIteratorRange : IteratorRange<pugi::xml_named_node_iterator> {
    std::string name;
};

// Instance record of an iterator class (zero-filled by the host, so a new
// or never-bound record has no range and has not started).
template <class Range>
struct TreeIteratorData : WrapperRecord<Range> {
    bool started;
};

static_assert(sizeof(TreeIteratorData<NamedIteratorRange>) == 3 * sizeof(void*),
              "iterator records are three words wide");

// Range: an IteratorRange or a type derived from it. The members have the
// host's signatures, so the class units register them directly.
// Definition: the class record. MakeValue: wraps the item at range.current.
// Data: the instance record, TreeIteratorData<Range> or derived from it.
template <class Range, REALclassDefinition& Definition,
          REALobject (*MakeValue)(REALobject owner, const Range& range),
          class Data = TreeIteratorData<Range>>
struct TreeIterator {
    using Life = Wrapper<Data, Definition>;
    using RecordType = Data;

    static Data* DataOf(REALobject self) { return Life::DataOf(self); }

    // Takes the range block, positioned at its begin; locks the owner. Nil
    // only when the host cannot make objects (the block is then freed).
    static REALobject Create(REALobject owner, std::unique_ptr<Range> range) {
        range->current = range->begin;
        return Life::Create(owner, std::move(range));
    }

    // Counts the whole range from begin on every call: a tree range is live.
    static RBInteger GetCount(REALobject self, RBInteger) {
        const Range* range = DataOf(self)->handle;
        return range ? static_cast<RBInteger>(std::distance(range->begin, range->end)) : 0;
    }

    static RBBoolean GetAny(REALobject self, RBInteger) {
        const Range* range = DataOf(self)->handle;
        return range && range->begin != range->end;
    }

    // Once at end, stays at end: pugixml's increment of an end iterator is
    // undefined, and a second For Each over the same iterator, which does not
    // rewind, must see no items rather than memory past the range.
    static RBBoolean MoveNext(REALobject self) {
        Data* data = DataOf(self);
        Range* range = data->handle;
        if (!range) return false;
        if (!data->started)
            data->started = true;
        else if (range->current != range->end)
            ++range->current;
        return range->current != range->end;
    }

    static REALobject Value(REALobject self) {
        return Shielded(REALobject(nullptr), [&]() -> REALobject {
            const Data* data = DataOf(self);
            const Range* range = data->handle;
            if (!range || range->current == range->end) return nullptr;
            return MakeValue(data->owner, *range);
        });
    }

    // The iterator is its own iterable; the lock is the host's reference to
    // the result. Not rewound.
    static REALobject Iterator(REALobject self) {
        REALLockObject(self);
        return self;
    }

    static void Destructor(REALobject self) { Life::Destructor(self); }

    static void Constructor(REALobject) {}
};

// The registration tables every iterator class has.
template <class Walker>
struct IteratorTables {
    static inline REALproperty Properties[] = {
        Property("Count", "Integer", HOST_FN(Walker::GetCount)),
        Property("Any", "Boolean", HOST_FN(Walker::GetAny)),
    };
    static inline REALmethodDefinition Methods[] = {
        Method(HOST_FN(Walker::Constructor), "Constructor()", kFlagsHidden),
        Method(HOST_FN(Walker::MoveNext), "MoveNext() as Boolean", kFlagsHidden),
        Method(HOST_FN(Walker::Value), "Value() as Variant", kFlagsHidden),
        Method(HOST_FN(Walker::Iterator), "Iterator() as Iterator", kFlagsHidden),
    };

    static REALclassDefinition Record(const char* name,
                                      REALproc destructor = HOST_FN(Walker::Destructor)) {
        return ClassRecord({name, nullptr, sizeof(typename Walker::RecordType), destructor,
                            Properties, CountOf(Properties), Methods, CountOf(Methods),
                            "Iterator,Iterable", nullptr, 0});
    }
};
