// torvxml-load: a host of its own for a built plug-in library, small enough to
// cross-build for every platform the package ships, so that the Windows and
// Linux arm64 libraries are run (under wine and qemu), not only inspected.
//
//   torvxml-load list LIBRARY        the registration listing, in exactly the
//                                    plain format of torvxml-inspect
//   torvxml-load roundtrip LIBRARY   FromString, DocumentElement, a child's
//                                    Name, SelectNodes and its iterator's Count,
//                                    ToString with FORMAT_RAW
//   torvxml-load file LIBRARY PATH   SaveToFile to PATH through a FolderItem,
//                                    then FromFile; PATH is taken as UTF-8
//                                    (on Windows from the wide command line)
//
// It answers the entries the plug-in asks for with plain C functions: records
// what is registered, lays out instances with the registered data sizes,
// counts object locks, strings and string data, and calls members through
// their known C signatures. Exits with 1 on any fault, leaks included.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "hostabi.h"

#ifdef _WIN32
#include <sys/stat.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#endif

namespace {

constexpr uint32_t kUtf8 = 0x08000100;
constexpr double kHostVersion = 2020.0;  // the version torvxml-inspect reports by default
constexpr RBInteger kFormatRaw = 0x04;

// ------------------------------------------------------------------ faults

int g_faults = 0;

void Fault(const std::string& what) {
    std::fprintf(stderr, "torvxml-load: %s\n", what.c_str());
    ++g_faults;
}

// ------------------------------------------------------------------ classes

struct ClassInfo {
    std::string name;  // module-qualified for module classes
    std::string superName;
    std::string moduleName;
    REALclassDefinition* def = nullptr;  // null for the built-in classes
    ClassInfo* super = nullptr;
    size_t offset = 0, instanceSize = 0;
    bool laidOut = false;
};

struct ModuleInfo {
    std::string name;
    REALmoduleDefinition* def;
    std::vector<std::string> classes;
};

// Every instance starts with this header; class data blocks follow it.
struct alignas(16) ObjectHeader {
    ClassInfo* cls;
    int64_t locks;
    std::string text;  // a FolderItem's path, an exception's message
};
constexpr size_t kHeaderSize = (sizeof(ObjectHeader) + 15) / 16 * 16;

std::vector<std::unique_ptr<ClassInfo>> g_classes;  // plug-in classes first use order
std::vector<ClassInfo*> g_registered;               // plug-in classes, registration order
std::vector<ModuleInfo> g_modules;
int g_announcedVersion = 0;
int64_t g_liveObjects = 0, g_liveStrings = 0, g_outstandingData = 0;
REALobject g_pending = nullptr;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

ClassInfo* FindClass(const std::string& name) {
    for (auto& c : g_classes)
        if (Lower(c->name) == Lower(name)) return c.get();
    return nullptr;
}

ClassInfo* Builtin(const char* name) {
    if (ClassInfo* c = FindClass(name)) return c;
    auto c = std::make_unique<ClassInfo>();
    c->name = name;
    c->offset = c->instanceSize = kHeaderSize;
    c->laidOut = true;
    g_classes.push_back(std::move(c));
    return g_classes.back().get();
}

// Lays out every class whose superclass is known, root first, and tells each
// definition where its block lives (REALGetClassData reads forSystemUse).
void LayOut() {
    for (bool progress = true; progress;) {
        progress = false;
        for (auto& c : g_classes) {
            if (c->laidOut) continue;
            ClassInfo* sup = nullptr;
            if (!c->superName.empty()) {
                sup = FindClass(c->superName);
                if (!sup && !c->moduleName.empty())
                    sup = FindClass(c->moduleName + "." + c->superName);
                // The host's own RuntimeException carries no plug-in data; any
                // other superclass waits for its registration.
                if (!sup && Lower(c->superName) == "runtimeexception")
                    sup = Builtin("RuntimeException");
                if (!sup || !sup->laidOut) continue;
            }
            c->super = sup;
            c->offset = sup ? (sup->instanceSize + 15) / 16 * 16 : kHeaderSize;
            c->instanceSize = c->offset + c->def->dataSize;
            c->def->forSystemUse = static_cast<RBInteger>(c->offset);
            c->laidOut = true;
            progress = true;
        }
    }
}

void RegisterClass(REALclassDefinition* def, const std::string& moduleName) {
    if (!def || !def->name) return Fault("null class registered");
    auto c = std::make_unique<ClassInfo>();
    c->name = moduleName.empty() ? def->name : moduleName + "." + def->name;
    c->superName = def->superName ? def->superName : "";
    c->moduleName = moduleName;
    c->def = def;
    g_registered.push_back(c.get());
    g_classes.push_back(std::move(c));
    LayOut();
}

void RegisterModule(REALmoduleDefinition* def, const std::string& outer) {
    if (!def || !def->name) return Fault("null module registered");
    std::string name = outer.empty() ? def->name : outer + "." + def->name;
    g_modules.push_back({name, def, {}});
    size_t index = g_modules.size() - 1;
    for (size_t i = 0; i < def->classesCount; ++i) {
        RegisterClass(def->classes[i], name);
        g_modules[index].classes.push_back(g_registered.back()->name);
    }
    for (size_t i = 0; i < def->moduleCount; ++i) RegisterModule(def->modules[i], name);
}

// ------------------------------------------------------------------ objects

ObjectHeader* Header(REALobject o) {
    return reinterpret_cast<ObjectHeader*>(o);
}

REALobject NewObject(ClassInfo* cls) {
    if (!cls->laidOut) {
        Fault("instance of " + cls->name + " whose superclass is unknown");
        return nullptr;
    }
    void* memory = ::operator new (cls->instanceSize, std::align_val_t{16});
    std::memset(memory, 0, cls->instanceSize);
    auto* h = new (memory) ObjectHeader{cls, 1, {}};
    ++g_liveObjects;
    std::vector<ClassInfo*> chain;
    for (ClassInfo* c = cls; c; c = c->super) chain.insert(chain.begin(), c);
    for (ClassInfo* c : chain)
        if (c->def && c->def->constructor)
            reinterpret_cast<void (*)(REALobject)>(c->def->constructor)(
                reinterpret_cast<REALobject>(h));
    return reinterpret_cast<REALobject>(h);
}

void LockObject(REALobject o) {
    if (o) ++Header(o)->locks;
}

void UnlockObject(REALobject o) {
    if (!o) return;
    ObjectHeader* h = Header(o);
    if (h->locks <= 0) return Fault("object of " + h->cls->name + " unlocked once too often");
    if (--h->locks > 0) return;
    for (ClassInfo* c = h->cls; c; c = c->super)
        if (c->def && c->def->destructor)
            reinterpret_cast<void (*)(REALobject)>(c->def->destructor)(o);
    h->~ObjectHeader();
    ::operator delete (static_cast<void*>(h), std::align_val_t{16});
    --g_liveObjects;
}

// ------------------------------------------------------------------ strings

struct HostString {
    int64_t locks;
    std::string bytes;
    uint32_t encoding;
};

REALstring NewString(const std::string& bytes, uint32_t encoding = kUtf8) {
    ++g_liveStrings;
    return reinterpret_cast<REALstring>(new HostString{1, bytes, encoding});
}

HostString* Str(REALstring s) {
    return reinterpret_cast<HostString*>(s);
}

void UnlockString(REALstring s) {
    if (!s) return;
    if (Str(s)->locks <= 0) return Fault("string unlocked once too often");
    if (--Str(s)->locks > 0) return;
    delete Str(s);
    --g_liveStrings;
}

// Takes a String result: its text, and the caller's lock released.
std::string Take(REALstring s) {
    if (!s) return "";
    std::string out = Str(s)->bytes;
    UnlockString(s);
    return out;
}

// ------------------------------------------------------------------ entries

REALstring BuildString(const char* bytes, int count, uint32_t encoding) {
    return NewString(std::string(bytes ? bytes : "", bytes && count > 0 ? count : 0), encoding);
}

void LockString(REALstring s) {
    if (s) ++Str(s)->locks;
}

RBBoolean GetStringData(REALstring s, uint32_t encoding, REALstringData* out) {
    if (!out) return 0;
    static const char kEmpty[] = "";
    if (s && Str(s)->encoding != encoding) return 0;  // no conversions here: everything is UTF-8
    auto* copy = new std::string(s ? Str(s)->bytes : kEmpty);
    *out = REALstringData{copy->c_str(), copy->size(), encoding, copy, 0};
    ++g_outstandingData;
    return 1;
}

void DisposeStringData(REALstringData* data) {
    if (!data || !data->private1) return Fault("string data disposed twice or never handed out");
    delete static_cast<const std::string*>(data->private1);
    data->private1 = nullptr;
    --g_outstandingData;
}

REALobject NewInstanceOfClass(REALclassDefinition* def) {
    for (ClassInfo* c : g_registered)
        if (c->def == def) return NewObject(c);
    Fault("instance asked for an unregistered class");
    return nullptr;
}

REALclassRef ClassRef(const char* name) {
    if (!name) return nullptr;
    if (ClassInfo* c = FindClass(name)) return reinterpret_cast<REALclassRef>(c);
    return reinterpret_cast<REALclassRef>(Builtin(name));
}

REALobject CreateInstance(REALclassRef ref) {
    return ref ? NewObject(reinterpret_cast<ClassInfo*>(ref)) : nullptr;
}

void ExceptionConstructor(REALobject self, REALstring message, RBInteger) {
    if (self) Header(self)->text = message ? Str(message)->bytes : "";
}

// Only the exception constructor is ever loaded by name.
void* LoadObjectMethod(REALobject o, const char* prototype) {
    if (!o || !prototype) return nullptr;
    if (Lower(prototype).rfind("constructor(message as string", 0) != 0) return nullptr;
    return reinterpret_cast<void*>(&ExceptionConstructor);
}

void RaiseException(REALobject e) {
    if (!e) return;
    LockObject(e);
    UnlockObject(g_pending);
    g_pending = e;
}

REALobject CallWithExceptionHandler(PluginExceptionCallback callback, void* data) {
    REALobject outer = g_pending;
    g_pending = nullptr;
    callback(data);
    REALobject raised = g_pending;
    g_pending = outer;
    return raised;
}

bool IsFolderItem(REALobject o) {
    return o && Lower(Header(o)->cls->name) == "folderitem";
}

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}
#endif

// 0: missing, 1: file, 2: folder.
int PathKind(const std::string& utf8) {
#ifdef _WIN32
    struct _stat64 st;
    if (_wstat64(Wide(utf8).c_str(), &st) != 0) return 0;
#else
    struct stat st;
    if (stat(utf8.c_str(), &st) != 0) return 0;
#endif
    return (st.st_mode & S_IFMT) == S_IFDIR ? 2 : 1;
}

long GetPropString(REALobject o, const char* name, REALstring* out) {
    if (!IsFolderItem(o) || !out || Lower(name ? name : "") != "nativepath") return 0;
    *out = NewString(Header(o)->text);
    return 1;
}

RBBoolean GetPropBool(REALobject o, const char* name, RBBoolean* out) {
    if (!IsFolderItem(o) || !out || !name) return 0;
    const std::string n = Lower(name);
    const int kind = PathKind(Header(o)->text);
    if (n == "exists") {
        *out = kind != 0;
    } else if (n == "isfolder" || n == "directory") {
        *out = kind == 2;
    } else {
        return 0;
    }
    return 1;
}

RBBoolean GetPropInteger(REALobject, const char*, RBInteger*) {
    return 0;
}

long GetPropObject(REALobject, const char*, REALobject*) {
    return 0;
}

double GetVersion() {
    return kHostVersion;
}

void RegisterVersion(int version) {
    g_announcedVersion = version;
}

void RegisterModuleEntry(REALmoduleDefinition* def) {
    RegisterModule(def, "");
}

void RegisterClassEntry(REALclassDefinition* def) {
    RegisterClass(def, "");
}

void* Resolve(const char* name) {
    static const std::map<std::string, void*> kEntries = {
        {"RegisterPluginVersion", reinterpret_cast<void*>(&RegisterVersion)},
        {"PluginRegisterModule", reinterpret_cast<void*>(&RegisterModuleEntry)},
        {"PluginRegisterClass", reinterpret_cast<void*>(&RegisterClassEntry)},
        {"REALGetRBVersion", reinterpret_cast<void*>(&GetVersion)},
        {"PluginGetStringData", reinterpret_cast<void*>(&GetStringData)},
        {"PluginDisposeStringData", reinterpret_cast<void*>(&DisposeStringData)},
        {"REALBuildStringWithEncoding", reinterpret_cast<void*>(&BuildString)},
        {"REALLockString", reinterpret_cast<void*>(&LockString)},
        {"REALUnlockString", reinterpret_cast<void*>(&UnlockString)},
        {"REALLockObject", reinterpret_cast<void*>(&LockObject)},
        {"REALUnlockObject", reinterpret_cast<void*>(&UnlockObject)},
        {"PluginNewInstanceOfClass", reinterpret_cast<void*>(&NewInstanceOfClass)},
        {"CreateInstance", reinterpret_cast<void*>(&CreateInstance)},
        {"pluginObjectType", reinterpret_cast<void*>(&ClassRef)},
        {"REALLoadObjectMethod", reinterpret_cast<void*>(&LoadObjectMethod)},
        {"RuntimeRaiseException", reinterpret_cast<void*>(&RaiseException)},
        {"PluginCallFunctionWithExceptionHandler",
         reinterpret_cast<void*>(&CallWithExceptionHandler)},
        {"REALGetPropValueString", reinterpret_cast<void*>(&GetPropString)},
        {"REALGetPropValueBool", reinterpret_cast<void*>(&GetPropBool)},
        {"REALGetPropValueInteger", reinterpret_cast<void*>(&GetPropInteger)},
        {"REALGetPropValueObject", reinterpret_cast<void*>(&GetPropObject)},
    };
    auto it = kEntries.find(name ? name : "");
    return it == kEntries.end() ? nullptr : it->second;
}

// ------------------------------------------------------------------ loading

REALPluginMainProc LoadLibraryEntry(const std::string& path) {
#ifdef _WIN32
    HMODULE lib = LoadLibraryW(Wide(path).c_str());
    if (!lib) {
        Fault("LoadLibrary failed for " + path + " (error " + std::to_string(GetLastError()) + ")");
        return nullptr;
    }
    auto entry = reinterpret_cast<REALPluginMainProc>(
        reinterpret_cast<void*>(GetProcAddress(lib, "REALPluginMain")));
#else
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        Fault(std::string("dlopen failed: ") + dlerror());
        return nullptr;
    }
    auto entry = reinterpret_cast<REALPluginMainProc>(dlsym(lib, "REALPluginMain"));
#endif
    if (!entry) Fault("the library exports no REALPluginMain");
    return entry;
}

// ------------------------------------------------------------------ listing

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

std::string Attributes(const REALattribute* a, size_t n) {
    std::string out;
    for (size_t i = 0; a && i < n; ++i) {
        if (!out.empty()) out += ", ";
        out += a[i].mName ? a[i].mName : "";
        if (a[i].mValue && *a[i].mValue) out += "=\"" + std::string(a[i].mValue) + "\"";
    }
    return out;
}

void Properties(std::string& o, const char* what, const REALproperty* p, size_t n) {
    for (size_t i = 0; p && i < n; ++i) {
        const REALproperty& r = p[i];
        const std::string param = std::to_string(r.param);
        o += std::string("  ") + what + " " + (r.name ? r.name : "") + " as " +
             (r.type ? r.type : "") + " flags " + Hex(r.flags) + " getter " +
             (r.getter == REALstandardGetter ? "direct-read at " + param
              : r.getter                     ? std::string("function")
                                             : std::string("none")) +
             " setter " +
             (r.setter == REALstandardSetter ? "direct-write at " + param
              : r.setter                     ? std::string("function")
                                             : std::string("read-only")) +
             " param " + param + "\n";
    }
}

void Methods(std::string& o, const char* what, const REALmethodDefinition* m, size_t n) {
    for (size_t i = 0; m && i < n; ++i) {
        o += std::string("  ") + what + " \"" + (m[i].declaration ? m[i].declaration : "") +
             "\" flags " + Hex(m[i].mFlags);
        if (m[i].attributeCount)
            o += " attributes " + Attributes(m[i].attributes, m[i].attributeCount);
        o += "\n";
    }
}

void Constants(std::string& o, const REALconstant* c, size_t n) {
    for (size_t i = 0; c && i < n; ++i)
        o += std::string("  constant \"") + (c[i].declaration ? c[i].declaration : "") +
             "\" flags " + Hex(c[i].mFlags) + "\n";
}

void Enums(std::string& o, const REALenum* e, size_t n) {
    for (size_t i = 0; e && i < n; ++i) {
        const std::string type = e[i].type && *e[i].type ? e[i].type : "Integer (blank)";
        o += std::string("  enum ") + (e[i].name ? e[i].name : "") + " type " + type + " flags " +
             Hex(e[i].mFlags) + "\n";
        for (size_t k = 0; e[i].fields && k < e[i].numFields; ++k)
            o += std::string("    \"") + (e[i].fields[k] ? e[i].fields[k] : "") + "\"\n";
    }
}

std::string Listing() {
    std::string o = "record version " + std::to_string(g_announcedVersion) + "\n";
    for (const ModuleInfo& m : g_modules) {
        const REALmoduleDefinition& d = *m.def;
        o += "module " + m.name + "\n";
        if (d.attributeCount)
            o += "  attributes " + Attributes(d.attributes, d.attributeCount) + "\n";
        Methods(o, "method", d.methods, d.methodCount);
        Properties(o, "property", d.properties, d.propertyCount);
        Constants(o, d.constants, d.constantCount);
        Enums(o, d.enums, d.enumCount);
        for (const std::string& c : m.classes) o += "  class " + c + "\n";
    }
    for (const ClassInfo* c : g_registered) {
        const REALclassDefinition& d = *c->def;
        o += "class " + c->name + "\n";
        o += "  superclass " + (c->superName.empty() ? std::string("(none)") : c->superName) + "\n";
        o += "  data size " + std::to_string(d.dataSize) + "\n";
        o += "  flags " + Hex(d.mFlags) + "\n";
        o += "  interfaces " +
             (d.interfaces ? "\"" + std::string(d.interfaces) + "\"" : std::string("(none)")) +
             "\n";
        o += std::string("  destructor ") + (d.destructor ? "yes" : "no") + "\n";
        if (d.attributeCount)
            o += "  attributes " + Attributes(d.attributes, d.attributeCount) + "\n";
        Properties(o, "property", d.properties, d.propertyCount);
        Properties(o, "shared property", d.sharedProperties, d.sharedPropertyCount);
        Methods(o, "method", d.methods, d.methodCount);
        Methods(o, "shared method", d.sharedMethods, d.sharedMethodCount);
        Constants(o, d.constants, d.constantCount);
        Enums(o, d.enums, d.enumCount);
    }
    return o;
}

// ------------------------------------------------------------------ calling members

// The function of the method declared exactly `decl` on `cls` or a superclass.
template <class F>
F Method(ClassInfo* cls, const char* decl, bool shared) {
    for (ClassInfo* c = cls; c; c = c->super) {
        if (!c->def) continue;
        const REALmethodDefinition* t = shared ? c->def->sharedMethods : c->def->methods;
        const size_t n = shared ? c->def->sharedMethodCount : c->def->methodCount;
        for (size_t i = 0; i < n; ++i)
            if (t[i].declaration && std::strcmp(t[i].declaration, decl) == 0)
                return reinterpret_cast<F>(t[i].function);
    }
    Fault(cls->name + " has no method \"" + decl + "\"");
    return nullptr;
}

template <class T>
T Property(REALobject self, const char* name) {
    ClassInfo* cls = Header(self)->cls;
    for (ClassInfo* c = cls; c; c = c->super) {
        for (size_t i = 0; c->def && i < c->def->propertyCount; ++i) {
            const REALproperty& p = c->def->properties[i];
            if (!p.name || std::strcmp(p.name, name) != 0) continue;
            if (!p.getter || p.getter == REALstandardGetter) break;
            return reinterpret_cast<T (*)(REALobject, RBInteger)>(p.getter)(self, p.param);
        }
    }
    Fault(cls->name + " has no function getter for " + name);
    return T{};
}

// Host code's view of a call that may raise: the pending exception is
// reported and released, as the host would catch it.
bool Raised(const char* member) {
    if (!g_pending) return false;
    Fault(std::string(member) + " raised " + Header(g_pending)->cls->name + ": " +
          Header(g_pending)->text);
    UnlockObject(g_pending);
    g_pending = nullptr;
    return true;
}

// Holds one lock on an object result and releases it at scope exit.
struct Ref {
    REALobject o;
    explicit Ref(REALobject obj = nullptr) : o(obj) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { UnlockObject(o); }
};

ClassInfo* DocumentClass() {
    ClassInfo* c = FindClass("TorvaneXml.Document");
    if (!c) Fault("TorvaneXml.Document is not registered");
    return c;
}

REALobject FromString(const std::string& xml) {
    auto fromString = Method<REALobject (*)(REALstring)>(
        DocumentClass(), "FromString(data as String) as TorvaneXml.Document", true);
    if (!fromString) return nullptr;
    REALstring text = NewString(xml);
    REALobject doc = fromString(text);
    UnlockString(text);
    if (Raised("FromString")) return nullptr;
    return doc;
}

std::string ToStringRaw(REALobject doc) {
    auto toString = Method<REALstring (*)(REALobject, RBInteger)>(
        Header(doc)->cls, "ToString(formatModifier as Integer) as String", false);
    if (!toString) return "";
    std::string out = Take(toString(doc, kFormatRaw));
    Raised("ToString");
    return out;
}

const char kSample[] =
    "<catalog><book id=\"1\"><title>K\xC3\xB6ln &amp; \xE6\x97\xA5\xE6\x9C\xAC</title></book>"
    "<book id=\"2\"/><note>x</note></catalog>";
// What ToString(FORMAT_RAW) writes for it: the declaration, then the same text.
const std::string kSampleRaw = std::string("<?xml version=\"1.0\"?>") + kSample;

void Report(const char* what, const std::string& got, const std::string& want) {
    std::printf("%s: %s\n", what, got.c_str());
    if (got != want) Fault(std::string(what) + " is \"" + got + "\", expected \"" + want + "\"");
}

void RoundTrip() {
    Ref doc(FromString(kSample));
    if (!doc.o) return Fault("FromString gave no document");
    ClassInfo* nodeClass = FindClass("TorvaneXml.Node");
    auto documentElement = Method<REALobject (*)(REALobject)>(
        Header(doc.o)->cls, "DocumentElement() as TorvaneXml.Node", false);
    auto firstChild =
        Method<REALobject (*)(REALobject)>(nodeClass, "FirstChild() as TorvaneXml.Node", false);
    auto selectNodes = Method<REALobject (*)(REALobject, REALstring, REALobject)>(
        nodeClass,
        "SelectNodes(query as String, variables as TorvaneXml.XPathVariableSet = nil) as "
        "TorvaneXml.XPathNodeSet",
        false);
    auto xpathNodes =
        Method<REALobject (*)(REALobject)>(FindClass("TorvaneXml.XPathNodeSet"),
                                           "XPathNodes() as TorvaneXml.XPathNodeIterator", false);
    if (!documentElement || !firstChild || !selectNodes || !xpathNodes) return;

    Ref root(documentElement(doc.o));
    if (Raised("DocumentElement") || !root.o) return Fault("DocumentElement gave nil");
    Report("root", Take(Property<REALstring>(root.o, "Name")), "catalog");
    Ref child(firstChild(root.o));
    if (Raised("FirstChild") || !child.o) return Fault("FirstChild gave nil");
    Report("first child", Take(Property<REALstring>(child.o, "Name")), "book");

    REALstring query = NewString("//book");
    Ref set(selectNodes(root.o, query, nullptr));
    UnlockString(query);
    if (Raised("SelectNodes") || !set.o) return Fault("SelectNodes gave nil");
    Ref nodes(xpathNodes(set.o));
    if (Raised("XPathNodes") || !nodes.o) return Fault("XPathNodes gave nil");
    Report("//book count", std::to_string(Property<RBInteger>(nodes.o, "Count")), "2");
    Report("raw", ToStringRaw(doc.o), kSampleRaw);
}

// SaveToFile to `path` twice (the second replaces the first), then FromFile;
// the text must come back unchanged.
void FileRoundTrip(const std::string& path) {
    ClassInfo* docClass = DocumentClass();
    if (!docClass) return;
    auto save = Method<void (*)(REALobject, REALobject, RBBoolean, RBInteger)>(
        docClass, "SaveToFile(f as FolderItem, overwrite as Boolean, formatModifier as Integer)",
        false);
    auto fromFile = Method<REALobject (*)(REALobject)>(
        docClass, "FromFile(f as FolderItem) as TorvaneXml.Document", true);
    if (!save || !fromFile) return;
    Ref doc(FromString(kSample));
    if (!doc.o) return Fault("FromString gave no document");
    Ref file(NewObject(Builtin("FolderItem")));
    Header(file.o)->text = path;
    for (int pass = 0; pass < 2; ++pass) {
        save(doc.o, file.o, 1, kFormatRaw);
        if (Raised("SaveToFile")) return;
    }
    Ref back(fromFile(file.o));
    if (Raised("FromFile") || !back.o) return Fault("FromFile gave nil");
    Report("file", ToStringRaw(back.o), kSampleRaw);
}

void CheckLeaks() {
    if (g_liveObjects) Fault(std::to_string(g_liveObjects) + " objects still alive");
    if (g_liveStrings) Fault(std::to_string(g_liveStrings) + " strings still alive");
    if (g_outstandingData) Fault(std::to_string(g_outstandingData) + " string data not disposed");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: torvxml-load list LIBRARY\n"
                 "       torvxml-load roundtrip LIBRARY\n"
                 "       torvxml-load file LIBRARY PATH\n");
    return 2;
}

// The arguments as UTF-8, whatever the platform's command-line encoding.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int n = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> args;
    for (int i = 0; wide && i < n; ++i) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &s[0], size, nullptr, nullptr);
        args.push_back(s);
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = Arguments(argc, argv);
    if (args.size() < 3) return Usage();
    const std::string& command = args[1];
    if (!(command == "list" && args.size() == 3) && !(command == "roundtrip" && args.size() == 3) &&
        !(command == "file" && args.size() == 4))
        return Usage();

    REALPluginMainProc entry = LoadLibraryEntry(args[2]);
    if (!entry) return 1;
    entry(&Resolve);
    if (g_modules.empty()) Fault("the plug-in registered no module");

    if (command == "list") {
        std::fputs(Listing().c_str(), stdout);
    } else if (command == "roundtrip") {
        RoundTrip();
    } else {
        FileRoundTrip(args[3]);
    }
    CheckLeaks();
    std::fflush(stdout);
    return g_faults ? 1 : 0;
}
