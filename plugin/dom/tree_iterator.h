// One implementation of the host's iteration protocol over a live pugixml
// range, shared by NodeIterator, NamedNodeIterator and AttributeIterator.
// Each of those units instantiates TreeIterator with its own range block and
// class record and ends with its registration tables.
#pragma once

#include <memory>
#include <string>

#include "dom/records.h"
#include "base/exceptions.h"
#include "base/registration.h"

// The heap block a record owns: three iterators of one pugixml type.
// begin and end are fixed at creation; current only moves forward.
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

// Instance record of all three classes (zero-filled by the host, so a new
// or never-bound record has no range and has not started).
template <class Range>
struct TreeIteratorData {
    REALobject owner;
    Range* range;
    bool started;
};

static_assert(sizeof(TreeIteratorData<NamedIteratorRange>) == 3 * sizeof(void*),
              "iterator records are three words wide");

// Range: IteratorRange<...> or NamedIteratorRange. The members have the
// host's signatures, so the class units register them directly.
// Definition: the class record. MakeValue: wraps the item at an iterator.
template <class Range, REALclassDefinition& Definition,
          REALobject (*MakeValue)(REALobject owner, const typename Range::Iterator& at)>
struct TreeIterator {
    using Data = TreeIteratorData<Range>;

    static Data* DataOf(REALobject self) { return ClassData<Data>(self, Definition); }

    // Takes the range block; locks the owner. Nil only when the host cannot
    // make objects (the block is then freed).
    static REALobject Create(REALobject owner, std::unique_ptr<Range> range) {
        REALobject obj = REALnewInstanceOfClass(&Definition);
        if (!obj) return nullptr;
        Data* data = DataOf(obj);
        data->owner = owner;
        REALLockObject(owner);
        data->range = range.release();
        data->range->current = data->range->begin;
        return obj;
    }

    // Walks the whole range from begin on every call: the range is live.
    static RBInteger Count(REALobject self, RBInteger) {
        const Range* range = DataOf(self)->range;
        if (!range) return 0;
        RBInteger count = 0;
        for (auto it = range->begin; it != range->end; ++it) ++count;
        return count;
    }

    static RBBoolean Any(REALobject self, RBInteger) {
        const Range* range = DataOf(self)->range;
        return range && range->begin != range->end;
    }

    // Once at end, stays at end: pugixml's increment of an end iterator is
    // undefined, so a finished iterator answers False again without stepping.
    static RBBoolean MoveNext(REALobject self) {
        Data* data = DataOf(self);
        Range* range = data->range;
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
            const Range* range = data->range;
            if (!range || range->current == range->end) return nullptr;
            return MakeValue(data->owner, range->current);
        });
    }

    // The iterator is its own iterable; the lock is the host's reference to
    // the result. Not rewound.
    static REALobject Iterable(REALobject self) {
        REALLockObject(self);
        return self;
    }

    static void Destructor(REALobject self) {
        Data* data = DataOf(self);
        delete data->range;
        data->range = nullptr;
        REALUnlockObject(data->owner);
        data->owner = nullptr;
    }
};
