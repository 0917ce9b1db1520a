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

// The heap block a record owns: three iterators of one type. end is fixed at
// creation; begin and current only move forward. `advanced` says current was
// already moved past a removed item, so the next MoveNext stays on it.
template <class It>
struct IteratorRange {
    using Iterator = It;
    It begin, current, end;
    bool advanced = false;

    // The items the range holds now.
    RBInteger Count() const { return static_cast<RBInteger>(std::distance(begin, end)); }
    bool Any() const { return begin != end; }
    // Moves current off items that no longer count (none in a tree range).
    void Settle() {}
};

// Whether a removal takes an item of a tree range away.
inline bool ItemDoomed(const Removal& removal, const pugi::xml_node& item, const pugi::xml_node&) {
    return removal.Dooms(item);
}
inline bool ItemDoomed(const Removal& removal, const pugi::xml_attribute& item,
                       const pugi::xml_node& parent) {
    return removal.Dooms(item, parent);
}

// A live pugixml range over the children or attributes of `parent`, tracked
// in the tree's registry: a removal that takes `parent` away finishes it,
// one that takes begin or current away moves them to the next item that
// stays, so a loop that removes goes on with the item that followed.
template <class It>
struct TreeRange : TreeHandle, IteratorRange<It> {
    pugi::xml_node parent;

    TreeRange(const It& first, const It& last, const pugi::xml_node& walked) : parent(walked) {
        this->begin = this->current = first;
        this->end = last;
        notify = &OnRemoval;
    }
    bool Trackable() const { return !parent.empty(); }

    // Steps with pugixml's own links, still intact: nothing is freed yet.
    It PastDoomed(const Removal& removal, It it) const {
        do ++it;
        while (it != this->end && ItemDoomed(removal, *it, parent));
        return it;
    }

    static void OnRemoval(TreeTracked* self, const Removal& removal) {
        auto* range = static_cast<TreeRange*>(self);
        if (removal.Dooms(range->parent)) {
            range->begin = range->current = range->end;
            range->Unlink();
            return;
        }
        if (range->current != range->end && ItemDoomed(removal, *range->current, range->parent)) {
            range->current = range->PastDoomed(removal, range->current);
            range->advanced = true;
        }
        if (range->begin != range->end && ItemDoomed(removal, *range->begin, range->parent))
            range->begin = range->PastDoomed(removal, range->begin);
    }
};

// The named range also owns the name its iterators compare against: a
// pugixml named iterator keeps only a pointer to the name, and the host's
// bytes are gone once Children(name) returns.
struct NamedIteratorRange : TreeRange<pugi::xml_named_node_iterator> {
    using TreeRange::TreeRange;
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
        return range ? range->Count() : 0;
    }

    static RBBoolean GetAny(REALobject self, RBInteger) {
        const Range* range = DataOf(self)->handle;
        return range && range->Any();
    }

    // Once at end, stays at end: pugixml's increment of an end iterator is
    // undefined, and a second For Each over the same iterator, which does not
    // rewind, must see no items rather than memory past the range.
    static RBBoolean MoveNext(REALobject self) {
        Data* data = DataOf(self);
        Range* range = data->handle;
        if (!range) return false;
        if (!data->started) {
            data->started = true;
            range->advanced = false;
        } else if (range->advanced) {
            range->advanced = false;
        } else if (range->current != range->end) {
            ++range->current;
        }
        range->Settle();
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
