#include "base/hostcalls.h"

REALResolverProc gResolver = nullptr;
double gXojoVersion = 0.0;

namespace {

// Binds `cache` to the entry named `name`. A null answer is stored too, so a
// missing entry is asked for again on the next call.
template <class Proc>
Proc Bind(Proc& cache, const char* name) {
    if (!cache && gResolver) cache = reinterpret_cast<Proc>(gResolver(name));
    return cache;
}

}  // namespace

bool REALGetStringData(REALstring str, uint32_t encoding, REALstringData* out) {
    static PluginGetStringDataProc pGetStringData = nullptr;
    if (!Bind(pGetStringData, "PluginGetStringData")) return false;
    return pGetStringData(str, encoding, out) != 0;
}

void REALDisposeStringData(REALstringData* data) {
    static PluginDisposeStringDataProc pDisposeStringData = nullptr;
    if (Bind(pDisposeStringData, "PluginDisposeStringData")) pDisposeStringData(data);
}

REALstring REALBuildStringWithEncoding(const char* bytes, int byteCount, uint32_t encoding) {
    static REALBuildStringWithEncodingProc pBuildString = nullptr;
    if (!Bind(pBuildString, "REALBuildStringWithEncoding")) return nullptr;
    return pBuildString(bytes, byteCount, encoding);
}

void REALUnlockString(REALstring str) {
    static REALUnlockStringProc pUnlockString = nullptr;
    if (Bind(pUnlockString, "REALUnlockString")) pUnlockString(str);
}

void REALLockObject(REALobject obj) {
    static REALLockObjectProc pLockObject = nullptr;
    if (Bind(pLockObject, "REALLockObject")) pLockObject(obj);
}

void REALUnlockObject(REALobject obj) {
    static REALUnlockObjectProc pUnlockObject = nullptr;
    if (Bind(pUnlockObject, "REALUnlockObject")) pUnlockObject(obj);
}

REALobject REALnewInstanceOfClass(REALclassDefinition* definition) {
    static PluginNewInstanceOfClassProc pNewInstanceOfClass = nullptr;
    if (!Bind(pNewInstanceOfClass, "PluginNewInstanceOfClass")) return nullptr;
    return pNewInstanceOfClass(definition);
}

REALobject REALnewInstanceWithClass(REALclassRef classRef) {
    static CreateInstanceProc pCreateInstance = nullptr;
    if (!classRef) return nullptr;
    if (!Bind(pCreateInstance, "CreateInstance")) return nullptr;
    return pCreateInstance(classRef);
}

REALclassRef REALGetClassRef(const char* className) {
    static pluginObjectTypeProc pObjectType = nullptr;
    if (!Bind(pObjectType, "pluginObjectType")) return nullptr;
    return pObjectType(className);
}

void* REALLoadObjectMethod(REALobject obj, const char* prototype) {
    static REALLoadObjectMethodProc pLoadObjectMethod = nullptr;
    if (!Bind(pLoadObjectMethod, "REALLoadObjectMethod")) return nullptr;
    return pLoadObjectMethod(obj, prototype);
}

void REALRaiseException(REALobject exception) {
    static RuntimeRaiseExceptionProc pRaiseException = nullptr;
    if (Bind(pRaiseException, "RuntimeRaiseException")) pRaiseException(exception);
}

REALobject REALCallFunctionWithExceptionHandler(PluginExceptionCallback callback, void* userData) {
    static PluginCallFunctionWithExceptionHandlerProc pCallWithHandler = nullptr;
    if (!Bind(pCallWithHandler, "PluginCallFunctionWithExceptionHandler")) return nullptr;
    return pCallWithHandler(callback, userData);
}

bool REALGetPropValueString(REALobject obj, const char* name, REALstring* out) {
    static REALGetPropValueStringProc pGetString = nullptr;
    if (!Bind(pGetString, "REALGetPropValueString")) return false;
    return pGetString(obj, name, out) != 0;
}

bool REALGetPropValueBoolean(REALobject obj, const char* name, bool* out) {
    static REALGetPropValueBoolProc pGetBool = nullptr;
    if (!Bind(pGetBool, "REALGetPropValueBool")) return false;
    RBBoolean value = 0;
    const bool found = pGetBool(obj, name, &value) != 0;
    *out = value != 0;
    return found;
}

bool REALGetPropValueInteger(REALobject obj, const char* name, RBInteger* out) {
    static REALGetPropValueIntegerProc pGetInteger = nullptr;
    if (!Bind(pGetInteger, "REALGetPropValueInteger")) return false;
    return pGetInteger(obj, name, out) != 0;
}

bool REALGetPropValueObject(REALobject obj, const char* name, REALobject* out) {
    static REALGetPropValueObjectProc pGetObject = nullptr;
    if (!Bind(pGetObject, "REALGetPropValueObject")) return false;
    return pGetObject(obj, name, out) != 0;
}

double REALGetRBVersion() {
    static REALGetRBVersionProc pGetVersion = nullptr;
    if (!Bind(pGetVersion, "REALGetRBVersion")) return 0.0;
    return pGetVersion();
}

void REALRegisterModule(REALmoduleDefinition* module) {
    static PluginRegisterModuleProc pRegisterModule = nullptr;
    if (Bind(pRegisterModule, "PluginRegisterModule")) pRegisterModule(module);
}

void REALRegisterClass(REALclassDefinition* definition) {
    static PluginRegisterClassProc pRegisterClass = nullptr;
    if (Bind(pRegisterClass, "PluginRegisterClass")) pRegisterClass(definition);
}
