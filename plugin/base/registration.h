// Helpers for the static registration tables every class unit ends with.
#pragma once

#include <cstddef>

#include "base/hostcalls.h"

// Every implementing function enters the tables as the host's generic REALproc.
#define HOST_FN(f) reinterpret_cast<REALproc>(f)

// Flag words used by this plug-in's tables.
enum : uint32_t {
    kFlagsMember = REALconsoleSafe,                     // 0x04
    kFlagsPublic = REALconsoleSafe | REALScopePublic,   // 0x24
    kFlagsHidden = REALconsoleSafe | REALScopePrivate,  // 0x84
};

template <class T, size_t N>
constexpr size_t CountOf(T (&)[N]) {
    return N;
}

inline REALproperty Property(const char* name, const char* type, REALproc getter,
                             REALproc setter = nullptr, int32_t param = 0) {
    REALproperty p{};
    p.group = "";
    p.name = name;
    p.type = type;
    p.flags = kFlagsMember;
    p.getter = getter;
    p.setter = setter;
    p.param = param;
    return p;
}

inline REALmethodDefinition Method(REALproc function, const char* declaration,
                                   uint32_t flags = kFlagsMember) {
    REALmethodDefinition m{};
    m.function = function;
    m.declaration = declaration;
    m.mFlags = flags;
    return m;
}

struct ClassFields {
    const char* name;
    const char* superName;
    size_t dataSize;
    REALproc destructor;
    REALproperty* properties;
    size_t propertyCount;
    REALmethodDefinition* methods;
    size_t methodCount;
    const char* interfaces;
    REALmethodDefinition* sharedMethods;
    size_t sharedMethodCount;
};

// A class definition record: version 13, console-safe, the rest zero. The
// host writes the data offset into forSystemUse when the class registers.
inline REALclassDefinition ClassRecord(const ClassFields& fields) {
    REALclassDefinition d{};
    d.version = kCurrentREALControlVersion;
    d.name = fields.name;
    d.superName = fields.superName;
    d.dataSize = fields.dataSize;
    d.destructor = fields.destructor;
    d.properties = fields.properties;
    d.propertyCount = fields.propertyCount;
    d.methods = fields.methods;
    d.methodCount = fields.methodCount;
    d.interfaces = fields.interfaces;
    d.mFlags = REALconsoleSafe;
    d.sharedMethods = fields.sharedMethods;
    d.sharedMethodCount = fields.sharedMethodCount;
    return d;
}

// Members whose declaration or type names DateTime need a host that has
// DateTime (after 2019.1). Hides them from `definition`'s tables by moving
// them behind the counts the host reads, keeping the order of the rest;
// running it again changes nothing.
void HideDateTimeMembers(REALclassDefinition& definition);
