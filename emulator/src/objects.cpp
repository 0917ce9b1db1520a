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

}  // namespace

void detail::poisonBytes(void* p, size_t n) {
#ifdef EMU_ASAN
    ASAN_POISON_MEMORY_REGION(p, n);
#else
    std::memset(p, kDeadByte, n);
#endif
}

void detail::unpoisonBytes(void* p, size_t n) {
#ifdef EMU_ASAN
    ASAN_UNPOISON_MEMORY_REGION(p, n);
#else
    (void)p;
    (void)n;
#endif
}

namespace {

void poison(void* p, size_t n) {
    poisonBytes(p, n);
}
void unpoison(void* p, size_t n) {
    unpoisonBytes(p, n);
}

#ifdef EMU_ASAN
constexpr bool kPatternChecks = false;  // the sanitizer reports the access itself
#else
constexpr bool kPatternChecks = true;
#endif

// Calls f(from, to) for each guard region of an instance of `cls`: after each
// class's block up to the next block, and after the last one.
template <class F>
void forEachCanary(const ClassInfo* cls, size_t size, F f) {
    size_t end = size;
    for (const ClassInfo* c = cls; c; c = c->super) {
        f(c->offset + c->dataSize, end);
        end = c->offset;
    }
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
    size_t size = cls->instanceSize + kCanarySize;
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
    forEachCanary(cls, size, [&](size_t from, size_t to) {
        std::memset(static_cast<char*>(mem) + from, kCanaryByte, to - from);
        if (!kPatternChecks) poison(static_cast<char*>(mem) + from, to - from);
    });
    // Each class's initialiser prepares its own block, the root first.
    std::vector<ClassInfo*> chain;
    for (ClassInfo* c = cls; c; c = c->super) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (REALproc init = (*it)->initializer)
            callGuarded((*it)->name + " initialiser",
                        [&] { reinterpret_cast<void (*)(REALobject)>(init)(obj); });
    }
    return obj;
}

bool Host::Impl::mayCreate(const char* what) {
    if (!loading) return true;
    violation(std::string(what) + " during start-up: objects are made once host code runs");
    return false;
}

// REALnewInstanceWithClass: like New, the initialisers and then the
// parameterless constructor when the class has one.
REALobject Host::Impl::createInstance(ClassInfo* cls) {
    REALobject o = allocate(cls);
    if (!o) return nullptr;
    for (ClassInfo* c = cls; c; c = c->super) {
        bool any = false;
        for (auto& m : c->methods) {
            if (!m->parsed || !iequals(m->decl.name, "Constructor")) continue;
            any = true;
            if (!m->decl.params.empty()) continue;
            std::vector<Value> none;
            callMethod(*m, o, none, /*raiseToHost=*/false);
            return o;
        }
        if (any) break;  // constructors with parameters only: none runs
    }
    return o;
}

// A compiled application keeps the host classes the plug-in asked for while
// loading and those host code names; it strips the rest.
ClassInfo* Host::Impl::classRef(const char* name) {
    ClassInfo* cls = findClass(name);
    std::string key = lower(name);
    if (loading) {
        if (askedAtLoad.insert(key).second) askedAtLoadInOrder.push_back(name);
        return cls;
    }
    if (!cls || !cls->builtin || askedAtLoad.count(key) || namedByHost.count(key)) return cls;
    if (config.compiledApplication) return nullptr;
    violation(std::string("pluginObjectType(\"") + name +
              "\") first asked after start-up: a compiled application that does not name the "
              "class itself has stripped it; ask for it in PluginEntry");
    return cls;
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
        if (REALproc dtor = c->destructor)
            callGuarded(c->name + " destructor",
                        [&] { reinterpret_cast<void (*)(REALobject)>(dtor)(o); });
    }
    rec = findObject(o);  // the table may have changed while destructors ran
    checkCanaries(o, *rec);
    if (rec->refs != 0) {
        violation("object of class " + cls->name +
                  " was locked by its own destructor and is destroyed anyway");
    }
    rec->dead = true;
    rec->destructing = false;
    rec->refs = 0;
    unpoison(o, size);
    std::memset(o, kDeadByte, size);
    poison(o, size);
    objQuarantine.push_back(o);
    while (objQuarantine.size() > kQuarantineLimit) {
        const void* old = objQuarantine.front();
        objQuarantine.pop_front();
        freeObject(old);
    }
}

void Host::Impl::freeObject(const void* o) {
    auto it = objects.find(o);
    checkDeadPattern(o, it->second);
    unpoison(const_cast<void*>(o), it->second.size);
    objects.erase(it);  // before free: the key must not be read afterwards
    std::free(const_cast<void*>(o));
}

void Host::Impl::checkCanaries(const void* o, const ObjRec& rec) {
    if (!kPatternChecks || rec.canaryReported) return;
    const auto* base = static_cast<const unsigned char*>(o);
    forEachCanary(rec.cls, rec.size, [&](size_t from, size_t to) {
        for (size_t i = from; i < to && !rec.canaryReported; ++i) {
            if (base[i] == kCanaryByte) continue;
            rec.canaryReported = true;
            violation("object of class " + rec.cls->name + ": byte " + std::to_string(i) +
                      " beyond a class's data block was overwritten (an overrun of the block "
                      "before it)");
        }
    });
}

void Host::Impl::checkDeadPattern(const void* o, const ObjRec& rec) {
    if (!kPatternChecks || rec.canaryReported) return;
    const auto* base = static_cast<const unsigned char*>(o);
    for (size_t i = 0; i < rec.size; ++i) {
        if (base[i] == kDeadByte) continue;
        rec.canaryReported = true;
        violation("object of class " + rec.cls->name +
                  " was written after it was destroyed (byte " + std::to_string(i) + ")");
        return;
    }
}

void Host::Impl::releaseQuarantine() {
    for (const void* o : objQuarantine) freeObject(o);
    objQuarantine.clear();
    for (const void* s : strQuarantine) {
        unpoison(const_cast<void*>(s), 16);
        strings.erase(s);
        std::free(const_cast<void*>(s));
    }
    strQuarantine.clear();
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
    // The host's data record may point into the string itself: reading it
    // after the string is gone reads freed memory.
    size_t open = 0;
    for (auto& [key, rec] : stringData) {
        (void)key;
        if (rec.source != s || rec.orphaned) continue;
        rec.orphaned = true;
        ++open;
        std::string& bytes = *rec.bytes;
        std::memset(&bytes[0], 0xDD, bytes.size());
        poison(&bytes[0], bytes.size() + 1);
    }
    if (open)
        violation(std::string(what) + ": string released while " + std::to_string(open) +
                  " PluginGetStringData record(s) from it are still open; their bytes are "
                  "no longer the string's");
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
    for (auto& [key, rec] : stringData) {
        (void)key;
        unpoison(&(*rec.bytes)[0], rec.bytes->size() + 1);
    }
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
