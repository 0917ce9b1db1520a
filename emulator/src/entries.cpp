// The host entries a plug-in asks the resolver for. Each is a C function of
// exactly the type hostabi.h declares; each checks what it is handed and
// reports misuse as a violation rather than crashing.
#include <cstring>

#include "internal.h"

namespace emu {

using namespace detail;

namespace {

Host::Impl* enter(Entry e) {
    Host::Impl* I = Host::Impl::cur();
    if (I) ++I->calls[e];
    return I;
}

ClassInfo* classOfRef(Host::Impl* I, REALclassRef ref, const char* what) {
    for (auto& c : I->classes)
        if (reinterpret_cast<REALclassRef>(c.get()) == ref) return c.get();
    I->violation(std::string(what) + ": not a class reference of this host");
    return nullptr;
}

// Reads a property for the GetPropValue entries: the value with one lock for
// the plug-in, or false after reporting why.
bool readProperty(Host::Impl* I, REALobject o, const char* name, const char* what,
                  bool (*typeOk)(Cat), Value& out) {
    if (!o) {
        I->violation(std::string(what) + ": nil object");
        return false;
    }
    if (!name) {
        I->violation(std::string(what) + ": null property name");
        return false;
    }
    ObjRec* r = I->liveObject(o, what);
    if (!r) return false;
    PropInfo* p = I->findProperty(r->cls, name);
    if (!p) {
        I->violation(std::string(what) + ": class " + r->cls->name + " has no property '" + name +
                     "'");
        return false;
    }
    if (!I->resolveProp(*p, true)) return false;
    if (!typeOk(p->type.cat)) {
        I->violation(std::string(what) + ": property " + r->cls->name + "." + p->name +
                     " is of type " + p->typeText);
        return false;
    }
    out = I->getProperty(*p, o, /*raiseToHost=*/false);
    return true;
}

extern "C" {

static RBBoolean Entry_PluginGetStringData(REALstring s, uint32_t encoding, REALstringData* out) {
    Host::Impl* I = enter(E_GetStringData);
    if (!I) return 0;
    if (!out) {
        I->violation("PluginGetStringData: null record");
        return 0;
    }
    std::memset(out, 0, sizeof *out);
    if (!I->knownEncoding(encoding, "PluginGetStringData")) return 0;
    if (s && !I->liveString(s, "PluginGetStringData")) return 0;
    std::string bytes;
    if (!I->stringBytes(s, encoding, bytes)) return 0;
    DataRec rec;
    rec.source = s;
    rec.bytes.reset(new std::string(std::move(bytes)));
    const char* data = rec.bytes->c_str();
    out->data = data;
    out->length = rec.bytes->size();
    out->encoding = encoding;
    out->private1 = data;
    out->private2 = 0x5354;
    I->stringData.emplace(data, std::move(rec));
    return 1;
}

static void Entry_PluginDisposeStringData(REALstringData* d) {
    Host::Impl* I = enter(E_DisposeStringData);
    if (!I) return;
    if (!d) {
        I->violation("PluginDisposeStringData: null record");
        return;
    }
    auto it = I->stringData.find(d->private1);
    if (it == I->stringData.end()) {
        I->violation(
            "PluginDisposeStringData: record disposed twice or never filled by "
            "PluginGetStringData");
        return;
    }
    // Overwrite before freeing so that reads after the dispose show garbage.
    std::string& bytes = *it->second.bytes;
    unpoisonBytes(&bytes[0], bytes.size() + 1);
    std::memset(&bytes[0], 0xDD, bytes.size());
    I->stringData.erase(it);
}

static REALstring Entry_REALBuildStringWithEncoding(const char* bytes, int count, uint32_t enc) {
    Host::Impl* I = enter(E_BuildString);
    if (!I) return nullptr;
    if (count < 0) {
        I->violation("REALBuildStringWithEncoding: negative length " + std::to_string(count));
        return nullptr;
    }
    if (!bytes && count > 0) {
        I->violation("REALBuildStringWithEncoding: null bytes with length " +
                     std::to_string(count));
        return nullptr;
    }
    if (!I->knownEncoding(enc, "REALBuildStringWithEncoding")) return nullptr;
    std::string text(bytes ? bytes : "", static_cast<size_t>(count));
    if (!I->validIn(text, enc))
        I->violation("REALBuildStringWithEncoding: the bytes are not valid in the encoding " +
                     encodingName(enc) + " they are labelled with");
    return I->newString(std::move(text), enc, false);
}

static void Entry_REALLockString(REALstring s) {
    if (Host::Impl* I = enter(E_LockString)) I->lockString(s, "REALLockString");
}

static void Entry_REALUnlockString(REALstring s) {
    if (Host::Impl* I = enter(E_UnlockString)) I->unlockString(s, "REALUnlockString");
}

static void Entry_REALLockObject(REALobject o) {
    if (Host::Impl* I = enter(E_LockObject)) I->lockObject(o, "REALLockObject");
}

static void Entry_REALUnlockObject(REALobject o) {
    if (Host::Impl* I = enter(E_UnlockObject)) I->unlockObject(o, "REALUnlockObject");
}

static REALobject Entry_PluginNewInstanceOfClass(REALclassDefinition* def) {
    Host::Impl* I = enter(E_NewInstanceOfClass);
    if (!I) return nullptr;
    auto it = I->classByDef.find(def);
    if (it == I->classByDef.end()) {
        I->violation("PluginNewInstanceOfClass: definition record was never registered");
        return nullptr;
    }
    if (!I->mayCreate("PluginNewInstanceOfClass")) return nullptr;
    return I->allocate(it->second);
}

static REALobject Entry_CreateInstance(REALclassRef ref) {
    Host::Impl* I = enter(E_CreateInstance);
    if (!I) return nullptr;
    if (!ref) {
        I->violation("CreateInstance: nil class reference");
        return nullptr;
    }
    ClassInfo* c = classOfRef(I, ref, "CreateInstance");
    if (!c || !I->mayCreate("CreateInstance")) return nullptr;
    return I->createInstance(c);
}

static REALclassRef Entry_pluginObjectType(const char* name) {
    Host::Impl* I = enter(E_ObjectType);
    if (!I) return nullptr;
    if (!name) {
        I->violation("pluginObjectType: null class name");
        return nullptr;
    }
    return reinterpret_cast<REALclassRef>(I->classRef(name));
}

static void* Entry_REALLoadObjectMethod(REALobject o, const char* prototype) {
    Host::Impl* I = enter(E_LoadObjectMethod);
    if (!I) return nullptr;
    if (!prototype) {
        I->violation("REALLoadObjectMethod: null prototype");
        return nullptr;
    }
    if (!o) {
        I->violation("REALLoadObjectMethod: nil object for \"" + std::string(prototype) + "\"");
        return nullptr;
    }
    ObjRec* r = I->liveObject(o, "REALLoadObjectMethod");
    if (!r) return nullptr;
    MethodInfo* m = I->findMethodByDecl(r->cls, prototype);
    if (!m) {
        I->violation("REALLoadObjectMethod: class " + r->cls->name + " has no method \"" +
                     prototype + "\"");
        return nullptr;
    }
    return reinterpret_cast<void*>(m->fn);
}

static void Entry_RuntimeRaiseException(REALobject e) {
    Host::Impl* I = enter(E_RaiseException);
    if (!I) return;
    if (I->loading) {
        I->violation("RuntimeRaiseException during start-up: no host code runs yet to catch it");
        return;
    }
    I->raise(e);
}

static REALobject Entry_PluginCallFunctionWithExceptionHandler(PluginExceptionCallback fn,
                                                               void* data) {
    Host::Impl* I = enter(E_CallWithHandler);
    if (!I) return nullptr;
    if (!fn) {
        I->violation("PluginCallFunctionWithExceptionHandler: null function");
        return nullptr;
    }
    REALobject outer = I->pending;
    I->pending = nullptr;
    I->callGuarded("the callback given to PluginCallFunctionWithExceptionHandler",
                   [&] { fn(data); });
    REALobject caught = I->pending;  // its lock passes to the caller
    I->pending = outer;
    return caught;
}

static long Entry_REALGetPropValueString(REALobject o, const char* name, REALstring* out) {
    Host::Impl* I = enter(E_GetPropString);
    if (!I) return 0;
    if (!out) {
        I->violation("REALGetPropValueString: null result pointer");
        return 0;
    }
    *out = nullptr;
    Value v;
    if (!readProperty(
            I, o, name, "REALGetPropValueString", [](Cat c) { return c == Cat::String; }, v))
        return 0;
    *out = v.string();
    I->lockString(*out, "REALGetPropValueString");
    return 1;
}

static RBBoolean Entry_REALGetPropValueBool(REALobject o, const char* name, RBBoolean* out) {
    Host::Impl* I = enter(E_GetPropBool);
    if (!I) return 0;
    if (!out) {
        I->violation("REALGetPropValueBool: null result pointer");
        return 0;
    }
    *out = 0;
    Value v;
    if (!readProperty(
            I, o, name, "REALGetPropValueBool", [](Cat c) { return c == Cat::Boolean; }, v))
        return 0;
    *out = v.asBool() ? 1 : 0;
    return 1;
}

static RBBoolean Entry_REALGetPropValueInteger(REALobject o, const char* name, RBInteger* out) {
    Host::Impl* I = enter(E_GetPropInteger);
    if (!I) return 0;
    if (!out) {
        I->violation("REALGetPropValueInteger: null result pointer");
        return 0;
    }
    *out = 0;
    Value v;
    if (!readProperty(
            I, o, name, "REALGetPropValueInteger",
            [](Cat c) { return c == Cat::Integer || c == Cat::Int64; }, v))
        return 0;
    *out = v.asInt();
    return 1;
}

static long Entry_REALGetPropValueObject(REALobject o, const char* name, REALobject* out) {
    Host::Impl* I = enter(E_GetPropObject);
    if (!I) return 0;
    if (!out) {
        I->violation("REALGetPropValueObject: null result pointer");
        return 0;
    }
    *out = nullptr;
    Value v;
    if (!readProperty(
            I, o, name, "REALGetPropValueObject",
            [](Cat c) {
                return c == Cat::Class || c == Cat::Object || c == Cat::Interface ||
                       c == Cat::Variant;
            },
            v))
        return 0;
    *out = v.object();
    I->lockObject(*out, "REALGetPropValueObject");
    return 1;
}

static double Entry_REALGetRBVersion() {
    Host::Impl* I = enter(E_GetRBVersion);
    return I ? I->config.version : 0.0;
}

// Registration belongs to start-up: the host reads no records afterwards.
static bool registering(Host::Impl* I, const char* entry) {
    if (I->loading) return true;
    I->violation(std::string(entry) +
                 " called after start-up, outside REALPluginMain/PluginEntry; not registered");
    return false;
}

static void Entry_PluginRegisterModule(REALmoduleDefinition* def) {
    Host::Impl* I = enter(E_RegisterModule);
    if (!I || !registering(I, "PluginRegisterModule")) return;
    I->registerModule(def, "");
    I->layoutPending();
}

static void Entry_PluginRegisterClass(REALclassDefinition* def) {
    Host::Impl* I = enter(E_RegisterClass);
    if (I && registering(I, "PluginRegisterClass")) I->registerClass(def, "");
}

static RBBoolean Entry_RuntimeObjectIsa(REALobject o, REALclassRef ref) {
    Host::Impl* I = enter(E_ObjectIsa);
    if (!I || !o) return 0;
    ObjRec* r = I->liveObject(o, "RuntimeObjectIsa");
    if (!r) return 0;
    ClassInfo* c = classOfRef(I, ref, "RuntimeObjectIsa");
    return c && r->cls->isa(c) ? 1 : 0;
}

static void Entry_RegisterPluginVersion(int version) {
    Host::Impl* I = enter(E_RegisterPluginVersion);
    if (!I) return;
    if (++I->announceCalls > 1) I->violation("RegisterPluginVersion called more than once");
    I->announced = version;
    if (version != static_cast<int>(kCurrentREALControlVersion)) {
        I->violation("RegisterPluginVersion: record version " + std::to_string(version) +
                     ", expected " + std::to_string(kCurrentREALControlVersion));
    }
}

}  // extern "C"

// Checked against the declared entry types: a mismatch fails the build.
template <class Want, class Have>
void* typed(Have f) {
    static_assert(std::is_same<Want, Have>::value, "entry does not have the declared type");
    return reinterpret_cast<void*>(f);
}

}  // namespace

namespace detail {

const char* const kEntryNames[E_Count] = {"PluginGetStringData",
                                          "PluginDisposeStringData",
                                          "REALBuildStringWithEncoding",
                                          "REALLockString",
                                          "REALUnlockString",
                                          "REALLockObject",
                                          "REALUnlockObject",
                                          "PluginNewInstanceOfClass",
                                          "CreateInstance",
                                          "pluginObjectType",
                                          "REALLoadObjectMethod",
                                          "RuntimeRaiseException",
                                          "PluginCallFunctionWithExceptionHandler",
                                          "REALGetPropValueString",
                                          "REALGetPropValueBool",
                                          "REALGetPropValueInteger",
                                          "REALGetPropValueObject",
                                          "REALGetRBVersion",
                                          "PluginRegisterModule",
                                          "PluginRegisterClass",
                                          "RuntimeObjectIsa",
                                          "RegisterPluginVersion"};

void* entryAddress(int e) {
    switch (e) {
        case E_GetStringData:
            return typed<PluginGetStringDataProc>(&Entry_PluginGetStringData);
        case E_DisposeStringData:
            return typed<PluginDisposeStringDataProc>(&Entry_PluginDisposeStringData);
        case E_BuildString:
            return typed<REALBuildStringWithEncodingProc>(&Entry_REALBuildStringWithEncoding);
        case E_LockString:
            return typed<REALLockStringProc>(&Entry_REALLockString);
        case E_UnlockString:
            return typed<REALUnlockStringProc>(&Entry_REALUnlockString);
        case E_LockObject:
            return typed<REALLockObjectProc>(&Entry_REALLockObject);
        case E_UnlockObject:
            return typed<REALUnlockObjectProc>(&Entry_REALUnlockObject);
        case E_NewInstanceOfClass:
            return typed<PluginNewInstanceOfClassProc>(&Entry_PluginNewInstanceOfClass);
        case E_CreateInstance:
            return typed<CreateInstanceProc>(&Entry_CreateInstance);
        case E_ObjectType:
            return typed<pluginObjectTypeProc>(&Entry_pluginObjectType);
        case E_LoadObjectMethod:
            return typed<REALLoadObjectMethodProc>(&Entry_REALLoadObjectMethod);
        case E_RaiseException:
            return typed<RuntimeRaiseExceptionProc>(&Entry_RuntimeRaiseException);
        case E_CallWithHandler:
            return typed<PluginCallFunctionWithExceptionHandlerProc>(
                &Entry_PluginCallFunctionWithExceptionHandler);
        case E_GetPropString:
            return typed<REALGetPropValueStringProc>(&Entry_REALGetPropValueString);
        case E_GetPropBool:
            return typed<REALGetPropValueBoolProc>(&Entry_REALGetPropValueBool);
        case E_GetPropInteger:
            return typed<REALGetPropValueIntegerProc>(&Entry_REALGetPropValueInteger);
        case E_GetPropObject:
            return typed<REALGetPropValueObjectProc>(&Entry_REALGetPropValueObject);
        case E_GetRBVersion:
            return typed<REALGetRBVersionProc>(&Entry_REALGetRBVersion);
        case E_RegisterModule:
            return typed<PluginRegisterModuleProc>(&Entry_PluginRegisterModule);
        case E_RegisterClass:
            return typed<PluginRegisterClassProc>(&Entry_PluginRegisterClass);
        case E_ObjectIsa:
            return typed<RuntimeObjectIsaProc>(&Entry_RuntimeObjectIsa);
        case E_RegisterPluginVersion:
            return typed<RegisterPluginVersionProc>(&Entry_RegisterPluginVersion);
        default:
            return nullptr;
    }
}

}  // namespace detail
}  // namespace emu
