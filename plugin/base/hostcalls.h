// The host call layer: one wrapper per host entry the plug-in uses. Each
// wrapper asks the resolver for its entry on first use and caches the answer;
// while the answer is null it asks again on the next call and returns the
// result listed for a missing entry.
#pragma once

#include "base/compiler.h"
#include "hostabi.h"

extern REALResolverProc gResolver;
extern double gXojoVersion;

namespace hostcall {

// The resolver's answer for `name`; null without a resolver.
TORVXML_COLD void* Resolve(const char* name);

// Binds `cache` to the entry named `name`. A null answer is stored too, so a
// missing entry is asked for again on the next call.
template <class Proc>
inline Proc Bind(Proc& cache, const char* name) {
    if (!cache) cache = reinterpret_cast<Proc>(Resolve(name));
    return cache;
}

// The entries every wrapper made or dropped and every String handed back
// calls: their wrappers are inline, so a bound entry is one indirect call.
extern REALBuildStringWithEncodingProc gBuildString;
extern REALUnlockStringProc gUnlockString;
extern REALLockObjectProc gLockObject;
extern REALUnlockObjectProc gUnlockObject;
extern PluginNewInstanceOfClassProc gNewInstanceOfClass;

}  // namespace hostcall

bool REALGetStringData(REALstring str, uint32_t encoding, REALstringData* out);
void REALDisposeStringData(REALstringData* data);

inline REALstring REALBuildStringWithEncoding(const char* bytes, int byteCount, uint32_t encoding) {
    auto build = hostcall::Bind(hostcall::gBuildString, "REALBuildStringWithEncoding");
    return build ? build(bytes, byteCount, encoding) : nullptr;
}
inline void REALUnlockString(REALstring str) {
    if (auto unlock = hostcall::Bind(hostcall::gUnlockString, "REALUnlockString")) unlock(str);
}
inline void REALLockObject(REALobject obj) {
    if (auto lock = hostcall::Bind(hostcall::gLockObject, "REALLockObject")) lock(obj);
}
inline void REALUnlockObject(REALobject obj) {
    if (auto unlock = hostcall::Bind(hostcall::gUnlockObject, "REALUnlockObject")) unlock(obj);
}
inline REALobject REALnewInstanceOfClass(REALclassDefinition* definition) {
    auto make = hostcall::Bind(hostcall::gNewInstanceOfClass, "PluginNewInstanceOfClass");
    return make ? make(definition) : nullptr;
}
REALobject REALnewInstanceWithClass(REALclassRef classRef);
REALclassRef REALGetClassRef(const char* className);
void* REALLoadObjectMethod(REALobject obj, const char* prototype);
void REALRaiseException(REALobject exception);
REALobject REALCallFunctionWithExceptionHandler(PluginExceptionCallback callback, void* userData);
bool REALGetPropValueString(REALobject obj, const char* name, REALstring* out);
bool REALGetPropValueBoolean(REALobject obj, const char* name, bool* out);
bool REALGetPropValueInteger(REALobject obj, const char* name, RBInteger* out);
bool REALGetPropValueObject(REALobject obj, const char* name, REALobject* out);
double REALGetRBVersion();
void REALRegisterModule(REALmoduleDefinition* module);
void REALRegisterClass(REALclassDefinition* definition);

// The instance data of `definition`'s class inside `obj`: pure pointer
// arithmetic on the offset the host wrote into the record at registration.
inline void* REALGetClassData(REALobject obj, REALclassDefinition* definition) {
    return reinterpret_cast<char*>(obj) + definition->forSystemUse;
}

// Typed access to a class's instance record.
template <class Record>
inline Record* ClassData(REALobject obj, REALclassDefinition& definition) {
    return static_cast<Record*>(REALGetClassData(obj, &definition));
}
