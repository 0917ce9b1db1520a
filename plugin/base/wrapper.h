// The life cycle every wrapper class shares. A wrapper's instance record
// starts with its owner, the owning Document of the tree it points into,
// locked once, and the handle it owns. The host zero-fills a new record,
// so an object made by class name has neither and every member reads it as
// empty. Making and destroying wrappers happens here and nowhere else.
//
// A handle that points into a tree can be tracked: it then derives from
// Tracked<Event> and is linked, while it lives, into the registry its owner
// keeps, so that an event (the owner's layer defines it: a removal) reaches
// every live handle of that tree, and only those, before the tree changes.
#pragma once

#include <memory>
#include <type_traits>

#include "base/hostcalls.h"
#include "base/slot_pool.h"

// One entry of a Registry: intrusive and circular, so unlinking needs no
// registry and costs O(1). `notify` is the entry's reaction to an event; it
// may unlink its own entry (a handle that stops pointing anywhere) and
// nothing else. Entries are the handles wrappers own, so they take their
// storage from the slot pools.
template <class Event>
struct Tracked : PoolAllocated {
    Tracked* prev = nullptr;
    Tracked* next = nullptr;
    void (*notify)(Tracked* self, const Event& event) = nullptr;

    Tracked() = default;
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() { Unlink(); }

    void Unlink() {
        if (!next) return;
        prev->next = next;
        next->prev = prev;
        prev = next = nullptr;
    }
};

// The live tracked handles of one tree, in a sentinel-headed ring.
template <class Event>
class Registry {
public:
    using Entry = Tracked<Event>;

    Registry() { ring_.prev = ring_.next = &ring_; }
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    // Entries still linked (only if host code leaked them) are detached so
    // their own unlinking later touches nothing freed.
    ~Registry() {
        for (Entry* e = ring_.next; e != &ring_;) {
            Entry* following = e->next;
            e->prev = e->next = nullptr;
            e = following;
        }
        ring_.prev = ring_.next = nullptr;
    }

    void Add(Entry* entry) {
        entry->next = ring_.next;
        entry->prev = &ring_;
        ring_.next->prev = entry;
        ring_.next = entry;
    }

    bool Empty() const { return ring_.next == &ring_; }

    // Moves every entry of `other` into this registry, leaving it empty.
    void Adopt(Registry& other) {
        if (other.Empty()) return;
        Entry* first = other.ring_.next;
        Entry* last = other.ring_.prev;
        other.ring_.prev = other.ring_.next = &other.ring_;
        last->next = ring_.next;
        ring_.next->prev = last;
        ring_.next = first;
        first->prev = &ring_;
    }

    // Every entry linked when the call starts sees the event once.
    void Notify(const Event& event) {
        for (Entry* e = ring_.next; e != &ring_;) {
            Entry* following = e->next;
            e->notify(e, event);
            e = following;
        }
    }

private:
    Entry ring_;
};

template <class Handle>
struct WrapperRecord {
    using HandleType = Handle;
    REALobject owner;  // locked; an owning Document records itself, unlocked
    Handle* handle;    // owned; nil in a record that was never bound
};

namespace wrapper_detail {
template <class Handle, class = void>
struct IsTracked : std::false_type {};
template <class Handle>
struct IsTracked<Handle, std::void_t<decltype(Handle::RegistryOf(nullptr))>> : std::true_type {};
}  // namespace wrapper_detail

// Record: WrapperRecord<...> or a type derived from it; Definition: the class
// record whose data offset locates the record. A tracked Handle names its
// registry with `static Registry<...>* RegistryOf(REALobject owner)` (nil:
// the owner has no tree) and tells with `bool Trackable() const` whether it
// points anywhere at all.
template <class Record, REALclassDefinition& Definition>
struct Wrapper {
    using Handle = typename Record::HandleType;

    static Record* DataOf(REALobject obj) { return ClassData<Record>(obj, Definition); }

    // A new object of `made` (Definition's class or a subclass) carrying one
    // lock for the caller; its record takes `handle` and locks `owner`. Nil
    // only when the host cannot make objects (the handle is then freed).
    static REALobject Create(REALobject owner, std::unique_ptr<Handle> handle,
                             REALclassDefinition& made = Definition) {
        REALobject obj = REALnewInstanceOfClass(&made);
        if (!obj) return nullptr;
        Record* data = DataOf(obj);
        data->owner = owner;
        if constexpr (wrapper_detail::IsTracked<Handle>::value) {
            if (handle->Trackable())
                if (auto* registry = Handle::RegistryOf(owner)) registry->Add(handle.get());
        }
        data->handle = handle.release();
        REALLockObject(owner);
        return obj;
    }

    // The class's destructor: unlinks and frees the handle and releases the
    // owner (the owner's registry is still alive: the lock held it).
    static void Destructor(REALobject self) {
        Record* data = DataOf(self);
        Handle* handle = data->handle;
        REALobject owner = data->owner;
        data->handle = nullptr;
        data->owner = nullptr;
        delete handle;
        REALUnlockObject(owner);  // last: the owner may go with it
    }
};
