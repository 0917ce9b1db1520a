// Reference-counted objects: allocation with the class chain's data blocks,
// locks, destructor chains, and quarantine of released memory so that any
// later use is reported instead of silently working.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "builtins.h"
#include "internal.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EMU_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(EMU_ASAN)
#define EMU_ASAN 1
#endif
#ifdef EMU_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace emu {

using namespace detail;

namespace {

constexpr size_t kQuarantineLimit = size_t(1) << 20;

void poison(void* p, size_t n) {
#ifdef EMU_ASAN
    ASAN_POISON_MEMORY_REGION(p, n);
#else
    std::memset(p, 0xDB, n);
#endif
}

void unpoison(void* p, size_t n) {
#ifdef EMU_ASAN
    ASAN_UNPOISON_MEMORY_REGION(p, n);
#else
    (void)p;
    (void)n;
#endif
}

std::string ptrText(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

}  // namespace

void Host::Impl::violation(std::string text) {
    violations.push_back(std::move(text));
}

ObjRec* Host::Impl::findObject(const void* o) {
    auto it = objects.find(o);
    return it == objects.end() ? nullptr : &it->second;
}

ObjRec* Host::Impl::liveObject(const void* o, const char* what) {
    auto it = objects.find(o);
    if (it == objects.end()) {
        violation(std::string(what) + ": " + ptrText(o) + " is not an object of this host");
        return nullptr;
    }
    if (it->second.dead) {
        violation(std::string(what) + ": object " + ptrText(o) + " of class " +
                  it->second.cls->name + " used after it was destroyed");
        return nullptr;
    }
    return &it->second;
}

REALobject Host::Impl::allocate(ClassInfo* cls) {
    if (!cls->laidOut) {
        violation("cannot make an instance of " + cls->name + ": its superclass '" +
                  cls->superName + "' is not known");
        return nullptr;
    }
    size_t size = cls->instanceSize;
    void* mem = std::calloc(1, size);
    if (!mem) throw EmulatorError("out of memory");
    uint64_t header[4] = {kObjectMagic, reinterpret_cast<uintptr_t>(cls), ++serial, size};
    std::memcpy(mem, header, sizeof header);
    ObjRec& rec = objects[mem];
    rec = ObjRec{};
    rec.cls = cls;
    rec.size = size;
    rec.refs = 1;
    rec.serial = serial;
    REALobject obj = static_cast<REALobject>(mem);
    // Each class's initialiser prepares its own block, the root first.
    std::vector<ClassInfo*> chain;
    for (ClassInfo* c = cls; c; c = c->super) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->initializer) reinterpret_cast<void (*)(REALobject)>((*it)->initializer)(obj);
    }
    return obj;
}

void Host::Impl::lockObject(REALobject o, const char* what) {
    if (!o) return;
    ObjRec* rec = liveObject(o, what);
    if (!rec) return;
    if (rec->destructing) {
        violation(std::string(what) + ": object of class " + rec->cls->name +
                  " locked while its destructor runs");
    }
    ++rec->refs;
}

void Host::Impl::unlockObject(REALobject o, const char* what) {
    if (!o) return;
    ObjRec* rec = liveObject(o, what);
    if (!rec) return;
    if (rec->refs <= 0) {
        violation(std::string(what) + ": object of class " + rec->cls->name +
                  " unlocked more often than locked");
        return;
    }
    if (--rec->refs > 0 || rec->destructing) return;
    rec->destructing = true;
    ClassInfo* cls = rec->cls;
    size_t size = rec->size;
    // The most derived class first; every class of the chain that has one.
    for (ClassInfo* c = cls; c; c = c->super) {
        if (c->destructor) reinterpret_cast<void (*)(REALobject)>(c->destructor)(o);
    }
    rec = findObject(o);  // the table may have changed while destructors ran
    if (rec->refs != 0) {
        violation("object of class " + cls->name +
                  " was locked by its own destructor and is destroyed anyway");
    }
    rec->dead = true;
    rec->destructing = false;
    rec->refs = 0;
    poison(o, size);
    objQuarantine.push_back(o);
    while (objQuarantine.size() > kQuarantineLimit) {
        const void* old = objQuarantine.front();
        objQuarantine.pop_front();
        auto it = objects.find(old);
        unpoison(const_cast<void*>(old), it->second.size);
        objects.erase(it);  // before free: the key must not be read afterwards
        std::free(const_cast<void*>(old));
    }
}

// ---------------------------------------------------------------- strings

REALstring Host::Impl::newString(std::string bytes, uint32_t encoding, bool unconvertible) {
    void* cookie = std::calloc(1, 16);
    if (!cookie) throw EmulatorError("out of memory");
    StrRec& rec = strings[cookie];
    rec = StrRec{};
    rec.refs = 1;
    rec.bytes = std::move(bytes);
    rec.encoding = encoding;
    rec.unconvertible = unconvertible;
    return static_cast<REALstring>(cookie);
}

StrRec* Host::Impl::liveString(const void* s, const char* what) {
    auto it = strings.find(s);
    if (it == strings.end()) {
        violation(std::string(what) + ": " + ptrText(s) + " is not a string of this host");
        return nullptr;
    }
    if (it->second.dead) {
        violation(std::string(what) + ": string " + ptrText(s) + " used after it was released");
        return nullptr;
    }
    return &it->second;
}

void Host::Impl::lockString(REALstring s, const char* what) {
    if (!s) return;
    if (StrRec* r = liveString(s, what)) ++r->refs;
}

void Host::Impl::unlockString(REALstring s, const char* what) {
    if (!s) return;
    StrRec* r = liveString(s, what);
    if (!r) return;
    if (--r->refs > 0) return;
    r->dead = true;
    r->bytes.clear();
    r->bytes.shrink_to_fit();
    poison(s, 16);
    strQuarantine.push_back(s);
    while (strQuarantine.size() > kQuarantineLimit) {
        const void* old = strQuarantine.front();
        strQuarantine.pop_front();
        unpoison(const_cast<void*>(old), 16);
        strings.erase(old);  // before free: the key must not be read afterwards
        std::free(const_cast<void*>(old));
    }
}

void Host::Impl::freeAll() {
    for (auto& [p, rec] : objects) {
        unpoison(const_cast<void*>(p), rec.size);
        std::free(const_cast<void*>(p));
    }
    objects.clear();
    objQuarantine.clear();
    for (auto& [p, rec] : strings) {
        (void)rec;
        unpoison(const_cast<void*>(p), 16);
        std::free(const_cast<void*>(p));
    }
    strings.clear();
    strQuarantine.clear();
    stringData.clear();
}

// ---------------------------------------------------------------- exceptions

void Host::Impl::raise(REALobject exc) {
    if (!exc) return;
    ObjRec* rec = liveObject(exc, "RuntimeRaiseException");
    if (!rec) return;
    if (!rec->cls->isa(runtimeException)) {
        violation("RuntimeRaiseException: an object of class " + rec->cls->name +
                  " is not a RuntimeException");
        return;
    }
    lockObject(exc, "RuntimeRaiseException");
    REALobject old = pending;
    pending = exc;
    unlockObject(old, "RuntimeRaiseException (replaced exception)");
}

void Host::Impl::raiseNew(ClassInfo* cls, const std::string& message, int64_t errorNumber) {
    REALobject e = allocate(cls);
    auto* d = static_cast<builtin::RuntimeExceptionData*>(classData(e, runtimeException));
    d->message = newString(message, kREALTextEncodingUTF8, false);
    d->errorNumber = errorNumber;
    raise(e);
    unlockObject(e, "host");
}

void Host::Impl::throwIfPending(Value returned) {
    if (!pending) return;
    Value ex = Value::AdoptObject(*self, pending);
    pending = nullptr;
    auto* d = static_cast<builtin::RuntimeExceptionData*>(classData(ex.object(), runtimeException));
    std::string message;
    if (d->message) stringBytes(d->message, kREALTextEncodingUTF8, message);
    std::string cls = findObject(ex.object())->cls->name;
    int64_t code = d->errorNumber;
    throw HostException(std::move(ex), std::move(returned), std::move(cls), std::move(message),
                        code);
}

}  // namespace emu
