// The life cycle every wrapper class shares. A wrapper's instance record
// starts with its owner, the owning Document of the tree it points into,
// locked once, and the heap handle it owns. The host zero-fills a new record,
// so an object made by class name has neither and every member reads it as
// empty. Making and destroying wrappers happens here and nowhere else.
#pragma once

#include <memory>

#include "base/hostcalls.h"

template <class Handle>
struct WrapperRecord {
    using HandleType = Handle;
    REALobject owner;  // locked; an owning Document records itself, unlocked
    Handle* handle;    // owned; nil in a record that was never bound
};

// Record: WrapperRecord<...> or a type derived from it; Definition: the class
// record whose data offset locates the record.
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
        REALLockObject(owner);
        data->handle = handle.release();
        return obj;
    }

    // The class's destructor: frees the handle and releases the owner.
    static void Destructor(REALobject self) {
        Record* data = DataOf(self);
        delete data->handle;
        data->handle = nullptr;
        REALUnlockObject(data->owner);
        data->owner = nullptr;
    }
};
