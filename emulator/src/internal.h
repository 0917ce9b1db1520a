// Internal state of the emulated host. Shared by the emulator's units only.
#pragma once

#include <ffi.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "decl.h"
#include "emu/host.h"
#include "types.h"

namespace emu::detail {

struct ClassInfo;
struct EnumInfo;

struct TypeRef {
    Cat cat = Cat::Void;
    std::string name;  // canonical spelling
    ClassInfo* cls = nullptr;
    EnumInfo* en = nullptr;
    bool array = false;
};

size_t widthOf(Cat c, const EnumInfo* en);
Cat enumBase(const EnumInfo* en);
ffi_type* ffiTypeOf(const TypeRef& t);

struct EnumInfo {
    std::string name;  // qualified
    std::string typeText;
    Cat base = Cat::Integer;
    std::vector<std::pair<std::string, int64_t>> entries;
};

struct FfiSig {
    ffi_cif cif;
    std::vector<ffi_type*> args;
    bool ok = false;
};

struct MethodInfo {
    std::string declaration;
    ParsedDecl decl;
    bool parsed = false;
    REALproc fn = nullptr;
    REALproc setter = nullptr;
    uint32_t flags = 0;
    bool shared = false;         // called without self
    ClassInfo* owner = nullptr;  // null for module methods
    std::string scope;           // module whose unqualified names the types may use
    std::string where;           // for messages: "TorvaneXml.Node method 3"
    bool resolved = false, typesOk = false;
    std::vector<TypeRef> params;
    TypeRef ret;
    std::string key, pkey;
    std::unique_ptr<FfiSig> sig;
};

struct PropInfo {
    std::string name, typeText;
    uint32_t flags = 0;
    REALproc getter = nullptr, setter = nullptr;
    int32_t param = 0;
    bool shared = false;
    ClassInfo* owner = nullptr;
    std::string scope, where;
    bool resolved = false, typesOk = false;
    TypeRef type;
    std::unique_ptr<FfiSig> getSig, setSig;
};

struct ClassInfo {
    std::string name;        // qualified
    std::string moduleName;  // "" for top-level classes
    std::string superName;   // as registered
    ClassInfo* super = nullptr;
    REALclassDefinition* def = nullptr;  // null for built-in classes
    bool builtin = false;
    size_t dataSize = 0, offset = 0, instanceSize = 0;
    bool laidOut = false, superReported = false, checked = false;
    REALproc initializer = nullptr, destructor = nullptr;
    std::vector<std::string> interfaces;
    std::vector<std::unique_ptr<PropInfo>> props, sharedProps;
    std::vector<std::unique_ptr<MethodInfo>> methods, sharedMethods;
    int registryIndex = -1;
    bool isa(const ClassInfo* other) const {
        for (const ClassInfo* c = this; c; c = c->super)
            if (c == other) return true;
        return false;
    }
    bool implements(const std::string& iface) const;
};

struct ModuleInfo {
    std::string name;
    std::vector<std::unique_ptr<MethodInfo>> methods;
    std::vector<std::unique_ptr<PropInfo>> props;
    bool checked = false;
};

struct ObjRec {
    ClassInfo* cls = nullptr;
    size_t size = 0;
    int64_t refs = 0;
    bool dead = false;
    bool destructing = false;
    uint64_t serial = 0;
    mutable bool canaryReported = false;  // one report per object
};

struct StrRec {
    int64_t refs = 0;
    std::string bytes;
    uint32_t encoding = 0;
    bool unconvertible = false;
    bool dead = false;
};

// The bytes handed out by one PluginGetStringData, zero-terminated, at a
// stable address until the record is disposed.
struct DataRec {
    std::unique_ptr<std::string> bytes;
    const void* source = nullptr;  // the string it was read from
    bool orphaned = false;         // that string died while the record was open
};

// A registered record as it was handed over; compared again at every leak
// report, since the host keeps reading the plug-in's own copy.
struct KeptRecord {
    const char* at = nullptr;
    std::string bytes;
    std::string what;
    bool reported = false;
};

// Host entries, for call counting.
enum Entry : int {
    E_GetStringData,
    E_DisposeStringData,
    E_BuildString,
    E_LockString,
    E_UnlockString,
    E_LockObject,
    E_UnlockObject,
    E_NewInstanceOfClass,
    E_CreateInstance,
    E_ObjectType,
    E_LoadObjectMethod,
    E_RaiseException,
    E_CallWithHandler,
    E_GetPropString,
    E_GetPropBool,
    E_GetPropInteger,
    E_GetPropObject,
    E_GetRBVersion,
    E_RegisterModule,
    E_RegisterClass,
    E_ObjectIsa,
    E_RegisterPluginVersion,
    E_Count
};
extern const char* const kEntryNames[E_Count];
void* entryAddress(int e);

// Marks released bytes: poisoned for the sanitizer when it runs, else
// overwritten with kDeadByte.
void poisonBytes(void* p, size_t n);
void unpoisonBytes(void* p, size_t n);

constexpr size_t kHeaderSize = 32;  // the emulator's own object header
// Guard bytes after each class's data block and after the instance, so that an
// overrun into the next block is caught when the object is destroyed.
constexpr size_t kCanarySize = 16;
constexpr unsigned char kCanaryByte = 0xCA;
constexpr unsigned char kDeadByte = 0xDB;
// Where a class's block starts, after its superclass's block and a canary.
inline size_t blockOffset(size_t superInstanceSize) {
    return superInstanceSize ? (superInstanceSize + kCanarySize + 15) / 16 * 16 : kHeaderSize;
}
constexpr uint64_t kObjectMagic = 0x54564f424a454354ull;

}  // namespace emu::detail

namespace emu {

std::string encodingName(uint32_t enc);  // "0x8000100"

// The name of a value kind as error messages show it.
const char* kindName(Kind k);

bool hostAlive(const Host* h);  // false once the Host is destroyed

struct Host::Impl {
    explicit Impl(HostConfig c) : config(std::move(c)) {}
    static Impl* cur();  // the active host's state, or null

    HostConfig config;
    Registry registry;
    Host* self = nullptr;

    // Plug-in.
    void* dl = nullptr;
    std::string tempPath;
    int announced = 0;
    int announceCalls = 0;
    bool loading = false;
    bool startedUp = false;
    // The plug-in's image: every record it registers must lie inside it.
    const void* imageBase = nullptr;
    struct Symbol {
        uintptr_t start, size;
    };
    std::vector<Symbol> symbols;  // data objects of the image, by address
    std::vector<detail::KeptRecord> kept;
    // Class references asked for while loading (kept by a compiled
    // application) and classes that host code itself names.
    std::set<std::string> askedAtLoad, namedByHost;  // lower-case
    std::vector<std::string> askedAtLoadInOrder;     // as spelled, first ask only

    // Entry accounting.
    std::map<std::string, size_t> asks;
    std::array<size_t, detail::E_Count> calls{};
    std::vector<std::string> violations;

    // Classes, enums, modules.
    std::vector<std::unique_ptr<detail::ClassInfo>> classes;
    std::unordered_map<std::string, detail::ClassInfo*> classByName;  // lower-case
    std::unordered_map<const REALclassDefinition*, detail::ClassInfo*> classByDef;
    std::vector<std::unique_ptr<detail::EnumInfo>> enums;
    std::unordered_map<std::string, detail::EnumInfo*> enumByName;  // lower-case
    std::vector<std::unique_ptr<detail::ModuleInfo>> modules;
    std::vector<const REALmoduleDefinition*> moduleDefs;
    detail::ClassInfo *runtimeException = nullptr, *invalidArgument = nullptr,
                      *nilObjectException = nullptr, *folderItem = nullptr, *dateTime = nullptr,
                      *timeZone = nullptr;

    // Objects and strings.
    std::unordered_map<const void*, detail::ObjRec> objects;
    std::deque<const void*> objQuarantine;
    std::unordered_map<const void*, detail::StrRec> strings;
    std::deque<const void*> strQuarantine;
    std::unordered_map<const void*, detail::DataRec> stringData;
    uint64_t serial = 0;

    // The exception raised and not yet handed to host code (holds one lock).
    REALobject pending = nullptr;

    // --- registration (registry.cpp)
    void addBuiltins();
    void registerClass(REALclassDefinition* def, const std::string& moduleName);
    void registerModule(REALmoduleDefinition* def, const std::string& outer);
    void registerModuleClasses(REALmoduleDefinition* def, const std::string& qname,
                               size_t modIndex);
    void layoutPending();
    void finishRegistration();  // deferred checks: superclasses, types
    bool resolveType(const std::string& text, bool array, const std::string& scope,
                     detail::TypeRef& out);
    bool resolveMethod(detail::MethodInfo& m, bool report);
    bool resolveProp(detail::PropInfo& p, bool report);
    detail::ClassInfo* findClass(std::string_view name) const;
    detail::EnumInfo* findEnum(std::string_view name) const;
    detail::ModuleInfo* findModule(std::string_view name) const;

    // --- the plug-in's image (image.cpp)
    static REALResolverProc resolverProc();
    void startUp(REALPluginMainProc main, const void* imageAddress, const std::string& file);
    bool inImage(const void* p) const;
    size_t extentAt(const void* p) const;  // bytes to the end of the data object; 0 unknown
    // Checks that a record lies in the image and keeps a copy to compare later.
    bool keep(const void* p, size_t size, const std::string& what, size_t skipFrom = 0,
              size_t skipSize = 0);
    void checkKept();
    bool callGuarded(const std::string& where, const std::function<void()>& call);

    // --- objects and strings (objects.cpp)
    void violation(std::string text);
    void checkCanaries(const void* o, const detail::ObjRec& rec);
    void checkDeadPattern(const void* o, const detail::ObjRec& rec);
    void releaseQuarantine();
    void freeObject(const void* o);               // a quarantined object, after its pattern check
    REALobject allocate(detail::ClassInfo* cls);  // initialisers run, one lock
    detail::ObjRec* liveObject(const void* o, const char* what);  // null + violation if not
    detail::ObjRec* findObject(const void* o);
    void lockObject(REALobject o, const char* what);
    void unlockObject(REALobject o, const char* what);
    REALstring newString(std::string bytes, uint32_t encoding, bool unconvertible);
    detail::StrRec* liveString(const void* s, const char* what);
    void lockString(REALstring s, const char* what);
    void unlockString(REALstring s, const char* what);
    bool stringBytes(REALstring s, uint32_t encoding, std::string& out);
    bool knownEncoding(uint32_t enc, const char* what);  // reports an unknown one
    bool validIn(const std::string& bytes, uint32_t enc) const;
    // --- start-up rules for objects and class references (objects.cpp)
    bool mayCreate(const char* what);                   // no objects while loading
    REALobject createInstance(detail::ClassInfo* cls);  // as New without arguments
    detail::ClassInfo* classRef(const char* name);      // pluginObjectType
    void* classData(REALobject o, const detail::ClassInfo* cls) const {
        return reinterpret_cast<char*>(o) + cls->offset;
    }
    void freeAll();

    // --- exceptions
    void raise(REALobject exc);  // the entry's semantics
    void raiseNew(detail::ClassInfo* cls, const std::string& message, int64_t errorNumber);
    void throwIfPending(Value returned);

    // --- calls (calls.cpp)
    Value callMethod(detail::MethodInfo& m, REALobject self, std::vector<Value>& args,
                     bool raiseToHost = true);
    Value getProperty(detail::PropInfo& p, REALobject self, bool raiseToHost = true);
    void setProperty(detail::PropInfo& p, REALobject self, const Value& v);
    detail::PropInfo* findProperty(detail::ClassInfo* cls, std::string_view name);
    detail::MethodInfo* findMethodByDecl(detail::ClassInfo* cls, std::string_view prototype);
    Value adoptResult(const detail::TypeRef& t, const void* raw);
};

}  // namespace emu
