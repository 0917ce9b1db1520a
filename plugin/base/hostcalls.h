// The host call layer: one wrapper per host entry the plug-in uses. Each
// wrapper asks the resolver for its entry on first use and caches the answer;
// while the answer is null it asks again on the next call and returns the
// result listed for a missing entry.
#pragma once

#include "hostabi.h"

extern REALResolverProc gResolver;
extern double gXojoVersion;

bool REALGetStringData(REALstring str, uint32_t encoding, REALstringData* out);
void REALDisposeStringData(REALstringData* data);
REALstring REALBuildStringWithEncoding(const char* bytes, int byteCount, uint32_t encoding);
void REALUnlockString(REALstring str);
void REALLockObject(REALobject obj);
void REALUnlockObject(REALobject obj);
REALobject REALnewInstanceOfClass(REALclassDefinition* definition);
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
