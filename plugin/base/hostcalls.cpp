#include "base/hostcalls.h"

REALResolverProc gResolver = nullptr;
double gXojoVersion = 0.0;

namespace hostcall {

void* Resolve(const char* name) {
    return gResolver ? gResolver(name) : nullptr;
}

REALBuildStringWithEncodingProc gBuildString = nullptr;
REALUnlockStringProc gUnlockString = nullptr;
REALLockObjectProc gLockObject = nullptr;
REALUnlockObjectProc gUnlockObject = nullptr;
PluginNewInstanceOfClassProc gNewInstanceOfClass = nullptr;

}  // namespace hostcall

using hostcall::Bind;

bool REALGetStringData(REALstring str, uint32_t encoding, REALstringData* out) {
    static PluginGetStringDataProc pGetStringData = nullptr;
    if (!Bind(pGetStringData, "PluginGetStringData")) return false;
    return pGetStringData(str, encoding, out) != 0;
}

void REALDisposeStringData(REALstringData* data) {
    static PluginDisposeStringDataProc pDisposeStringData = nullptr;
    if (Bind(pDisposeStringData, "PluginDisposeStringData")) pDisposeStringData(data);
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

namespace {

// Reads property `name` of `obj` through the entry `entry`, bound in `cache`;
// false when the entry or the property is missing.
template <class Proc, class Value>
bool GetPropValue(Proc& cache, const char* entry, REALobject obj, const char* name, Value* out) {
    if (!Bind(cache, entry)) return false;
    return cache(obj, name, out) != 0;
}

}  // namespace

bool REALGetPropValueString(REALobject obj, const char* name, REALstring* out) {
    static REALGetPropValueStringProc pGetString = nullptr;
    return GetPropValue(pGetString, "REALGetPropValueString", obj, name, out);
}

// The host answers a Boolean in its own width.
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
    return GetPropValue(pGetInteger, "REALGetPropValueInteger", obj, name, out);
}

bool REALGetPropValueObject(REALobject obj, const char* name, REALobject* out) {
    static REALGetPropValueObjectProc pGetObject = nullptr;
    return GetPropValue(pGetObject, "REALGetPropValueObject", obj, name, out);
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
