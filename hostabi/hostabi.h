// The Xojo host's binary interface as this project declares it: scalar types,
// registration records and the types of the host entries a plug-in asks for.
// Both the plug-in and the emulated host include this header, so the two can
// never disagree about a layout. Every size and offset is checked below.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

#if defined(__LP64__) || defined(_WIN64)
#define HOSTABI_64BIT 1
typedef int64_t RBInteger;
typedef uint64_t RBUInteger;
#else
#define HOSTABI_64BIT 0
typedef int32_t RBInteger;
typedef uint32_t RBUInteger;
#endif

typedef int8_t RBBoolean;  // signed, one byte: 0 false, anything else true
typedef int64_t RBInt64;
typedef uint64_t RBUInt64;
typedef uint32_t RBColor;
typedef int64_t REALcurrency;

typedef void (*REALproc)(void);

struct REALobjectStruct;
struct REALstringStruct;
struct REALclassRefStruct;
struct REALtextStruct;
struct REALarrayStruct;
typedef REALobjectStruct* REALobject;
typedef REALstringStruct* REALstring;
typedef REALclassRefStruct* REALclassRef;
typedef const REALtextStruct* REALtext;
typedef REALarrayStruct* REALarray;

// Marker values of a property's getter/setter slot: the host reads or writes
// the field itself, at byte offset `param` of the class's data block.
#define REALnoImplementation ((REALproc) nullptr)
#define REALstandardGetter ((REALproc)(intptr_t)-1)
#define REALstandardSetter ((REALproc)(intptr_t)-1)

enum : uint32_t { kCurrentREALControlVersion = 13 };

// Text encodings understood by the host's string entries.
enum : uint32_t {
    kREALTextEncodingUTF8 = 0x08000100,
    kREALTextEncodingASCII = 0x0600,
    kREALTextEncodingUnknown = 0xFFFF,
    kREALTextEncodingUTF16 = 0x0100,
    kREALTextEncodingUTF16LE = 0x14000100,
    kREALTextEncodingUTF16BE = 0x10000100,
    kREALTextEncodingUTF32 = 0x0C000100,
};

// Flag bits of methods, properties, constants, enumerations and classes.
enum : uint32_t {
    REALpropInvalidate = 0x1,
    REALpropRuntimeOnly = 0x2,
    REALconsoleSafe = 0x4,
    REALconsoleOnly = 0x8,
    REALScopeGlobal = 0x10,
    REALScopePublic = 0x20,
    REALScopeProtected = 0x40,
    REALScopePrivate = 0x80,
    REALwebOnly = 0x100,
    REALTargetDesktop = 0x200,
    REALTargetIOS = 0x400,
};

struct REALattribute {
    const char* mName;
    const char* mValue;
};

struct REALmethodDefinition {
    REALproc function;
    REALproc setterFunction;
    const char* declaration;
    uint32_t mFlags;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALproperty {
    const char* group;
    const char* name;
    const char* type;
    uint32_t flags;
    REALproc getter;
    REALproc setter;
    int32_t param;
    REALproc editor;
    size_t enumCount;
    const char** enumEntries;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALevent {
    const char* declaration;
    RBInteger forSystemUse;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALeventInstance {
    const char* name;
    REALproc implementation;
};

struct REALconstant {
    const char* declaration;
    void* reserved1;
    uint32_t mFlags;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALenum {
    const char* name;
    const char* type;
    uint32_t mFlags;
    const char** fields;
    size_t numFields;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALstructure {
    const char* name;
    uint32_t mFlags;
    const char** fields;
    size_t numFields;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALdelegate {
    const char* declaration;
    uint32_t mFlags;
    size_t attributeCount;
    REALattribute* attributes;
};

struct REALclassDefinition {
    uint32_t version;
    const char* name;
    const char* superName;
    size_t dataSize;
    RBInteger forSystemUse;  // written by the host: offset of this class's data
    REALproc constructor;
    REALproc destructor;
    REALproperty* properties;
    size_t propertyCount;
    REALmethodDefinition* methods;
    size_t methodCount;
    REALevent* events;
    size_t eventCount;
    REALeventInstance* eventInstances;
    size_t eventInstanceCount;
    const char* interfaces;
    REALattribute* attributes;  // pointer first, then count
    size_t attributeCount;
    REALconstant* constants;
    size_t constantCount;
    uint32_t mFlags;
    REALproperty* sharedProperties;
    size_t sharedPropertyCount;
    REALmethodDefinition* sharedMethods;
    size_t sharedMethodCount;
    REALdelegate* delegates;
    size_t delegateCount;
    REALenum* enums;
    size_t enumCount;
};

struct REALinterfaceDefinition {
    uint32_t version;
    const char* name;
    REALmethodDefinition* methods;
    size_t methodCount;
    REALattribute* attributes;
    size_t attributeCount;
};

struct REALcontrol;

// Version 13 layout: the record ends after controlCount.
struct REALmoduleDefinition {
    uint32_t version;
    const char* name;
    REALmethodDefinition* methods;
    size_t methodCount;
    REALconstant* constants;
    size_t constantCount;
    REALproperty* properties;
    size_t propertyCount;
    REALstructure* structures;
    size_t structureCount;
    REALenum* enums;
    size_t enumCount;
    REALattribute* attributes;
    size_t attributeCount;
    REALdelegate* delegates;
    size_t delegateCount;
    REALclassDefinition** classes;
    size_t classesCount;
    REALinterfaceDefinition* interfaces;
    size_t interfaceCount;
    REALmoduleDefinition** modules;
    size_t moduleCount;
    REALcontrol** controls;
    size_t controlCount;
};

struct REALstringData {
    const void* data;
    size_t length;
    uint32_t encoding;
    const void* private1;
    uint32_t private2;
};

// The resolver the host hands to REALPluginMain.
typedef void* (*REALResolverProc)(const char* entryName);

// Types of the host entries, by the name the plug-in asks the resolver for.
typedef RBBoolean (*PluginGetStringDataProc)(REALstring, uint32_t encoding, REALstringData* out);
typedef void (*PluginDisposeStringDataProc)(REALstringData*);
typedef REALstring (*REALBuildStringWithEncodingProc)(const char* bytes, int byteCount,
                                                      uint32_t encoding);
typedef void (*REALLockStringProc)(REALstring);
typedef void (*REALUnlockStringProc)(REALstring);
typedef void (*REALLockObjectProc)(REALobject);
typedef void (*REALUnlockObjectProc)(REALobject);
typedef REALobject (*PluginNewInstanceOfClassProc)(REALclassDefinition*);
typedef REALobject (*CreateInstanceProc)(REALclassRef);
typedef REALclassRef (*pluginObjectTypeProc)(const char* className);
typedef void* (*REALLoadObjectMethodProc)(REALobject, const char* prototype);
typedef void (*RuntimeRaiseExceptionProc)(REALobject);
typedef void (*PluginExceptionCallback)(void* userData);
typedef REALobject (*PluginCallFunctionWithExceptionHandlerProc)(PluginExceptionCallback,
                                                                 void* userData);
typedef long (*REALGetPropValueStringProc)(REALobject, const char* name, REALstring* out);
typedef RBBoolean (*REALGetPropValueBoolProc)(REALobject, const char* name, RBBoolean* out);
typedef RBBoolean (*REALGetPropValueIntegerProc)(REALobject, const char* name, RBInteger* out);
typedef long (*REALGetPropValueObjectProc)(REALobject, const char* name, REALobject* out);
typedef double (*REALGetRBVersionProc)(void);
typedef void (*PluginRegisterModuleProc)(REALmoduleDefinition*);
typedef void (*PluginRegisterClassProc)(REALclassDefinition*);
typedef RBBoolean (*RuntimeObjectIsaProc)(REALobject, REALclassRef);
typedef void (*RegisterPluginVersionProc)(int version);

// The plug-in's exported entry.
typedef void (*REALPluginMainProc)(REALResolverProc resolver);

}  // extern "C"

#if HOSTABI_64BIT
#define HOSTABI_LAYOUT(T, size) static_assert(sizeof(T) == (size), #T " size")
#define HOSTABI_AT(T, f, off) static_assert(offsetof(T, f) == (off), #T "." #f " offset")

static_assert(sizeof(RBInteger) == 8 && sizeof(RBBoolean) == 1, "scalar widths");
static_assert(sizeof(REALproc) == 8 && sizeof(REALobject) == 8, "handle widths");

HOSTABI_LAYOUT(REALattribute, 16);
HOSTABI_AT(REALattribute, mName, 0);
HOSTABI_AT(REALattribute, mValue, 8);

HOSTABI_LAYOUT(REALmethodDefinition, 48);
HOSTABI_AT(REALmethodDefinition, function, 0);
HOSTABI_AT(REALmethodDefinition, setterFunction, 8);
HOSTABI_AT(REALmethodDefinition, declaration, 16);
HOSTABI_AT(REALmethodDefinition, mFlags, 24);
HOSTABI_AT(REALmethodDefinition, attributeCount, 32);
HOSTABI_AT(REALmethodDefinition, attributes, 40);

HOSTABI_LAYOUT(REALproperty, 96);
HOSTABI_AT(REALproperty, group, 0);
HOSTABI_AT(REALproperty, name, 8);
HOSTABI_AT(REALproperty, type, 16);
HOSTABI_AT(REALproperty, flags, 24);
HOSTABI_AT(REALproperty, getter, 32);
HOSTABI_AT(REALproperty, setter, 40);
HOSTABI_AT(REALproperty, param, 48);
HOSTABI_AT(REALproperty, editor, 56);
HOSTABI_AT(REALproperty, enumCount, 64);
HOSTABI_AT(REALproperty, enumEntries, 72);
HOSTABI_AT(REALproperty, attributeCount, 80);
HOSTABI_AT(REALproperty, attributes, 88);

HOSTABI_LAYOUT(REALevent, 32);
HOSTABI_AT(REALevent, declaration, 0);
HOSTABI_AT(REALevent, forSystemUse, 8);
HOSTABI_AT(REALevent, attributeCount, 16);
HOSTABI_AT(REALevent, attributes, 24);

HOSTABI_LAYOUT(REALeventInstance, 16);
HOSTABI_AT(REALeventInstance, name, 0);
HOSTABI_AT(REALeventInstance, implementation, 8);

HOSTABI_LAYOUT(REALconstant, 40);
HOSTABI_AT(REALconstant, declaration, 0);
HOSTABI_AT(REALconstant, reserved1, 8);
HOSTABI_AT(REALconstant, mFlags, 16);
HOSTABI_AT(REALconstant, attributeCount, 24);
HOSTABI_AT(REALconstant, attributes, 32);

HOSTABI_LAYOUT(REALenum, 56);
HOSTABI_AT(REALenum, name, 0);
HOSTABI_AT(REALenum, type, 8);
HOSTABI_AT(REALenum, mFlags, 16);
HOSTABI_AT(REALenum, fields, 24);
HOSTABI_AT(REALenum, numFields, 32);
HOSTABI_AT(REALenum, attributeCount, 40);
HOSTABI_AT(REALenum, attributes, 48);

HOSTABI_LAYOUT(REALstructure, 48);
HOSTABI_AT(REALstructure, name, 0);
HOSTABI_AT(REALstructure, mFlags, 8);
HOSTABI_AT(REALstructure, fields, 16);
HOSTABI_AT(REALstructure, numFields, 24);
HOSTABI_AT(REALstructure, attributeCount, 32);
HOSTABI_AT(REALstructure, attributes, 40);

HOSTABI_LAYOUT(REALdelegate, 32);
HOSTABI_AT(REALdelegate, declaration, 0);
HOSTABI_AT(REALdelegate, mFlags, 8);
HOSTABI_AT(REALdelegate, attributeCount, 16);
HOSTABI_AT(REALdelegate, attributes, 24);

HOSTABI_LAYOUT(REALclassDefinition, 232);
HOSTABI_AT(REALclassDefinition, version, 0);
HOSTABI_AT(REALclassDefinition, name, 8);
HOSTABI_AT(REALclassDefinition, superName, 16);
HOSTABI_AT(REALclassDefinition, dataSize, 24);
HOSTABI_AT(REALclassDefinition, forSystemUse, 32);
HOSTABI_AT(REALclassDefinition, constructor, 40);
HOSTABI_AT(REALclassDefinition, destructor, 48);
HOSTABI_AT(REALclassDefinition, properties, 56);
HOSTABI_AT(REALclassDefinition, propertyCount, 64);
HOSTABI_AT(REALclassDefinition, methods, 72);
HOSTABI_AT(REALclassDefinition, methodCount, 80);
HOSTABI_AT(REALclassDefinition, events, 88);
HOSTABI_AT(REALclassDefinition, eventCount, 96);
HOSTABI_AT(REALclassDefinition, eventInstances, 104);
HOSTABI_AT(REALclassDefinition, eventInstanceCount, 112);
HOSTABI_AT(REALclassDefinition, interfaces, 120);
HOSTABI_AT(REALclassDefinition, attributes, 128);
HOSTABI_AT(REALclassDefinition, attributeCount, 136);
HOSTABI_AT(REALclassDefinition, constants, 144);
HOSTABI_AT(REALclassDefinition, constantCount, 152);
HOSTABI_AT(REALclassDefinition, mFlags, 160);
HOSTABI_AT(REALclassDefinition, sharedProperties, 168);
HOSTABI_AT(REALclassDefinition, sharedPropertyCount, 176);
HOSTABI_AT(REALclassDefinition, sharedMethods, 184);
HOSTABI_AT(REALclassDefinition, sharedMethodCount, 192);
HOSTABI_AT(REALclassDefinition, delegates, 200);
HOSTABI_AT(REALclassDefinition, delegateCount, 208);
HOSTABI_AT(REALclassDefinition, enums, 216);
HOSTABI_AT(REALclassDefinition, enumCount, 224);

HOSTABI_LAYOUT(REALinterfaceDefinition, 48);
HOSTABI_AT(REALinterfaceDefinition, version, 0);
HOSTABI_AT(REALinterfaceDefinition, name, 8);
HOSTABI_AT(REALinterfaceDefinition, methods, 16);
HOSTABI_AT(REALinterfaceDefinition, methodCount, 24);
HOSTABI_AT(REALinterfaceDefinition, attributes, 32);
HOSTABI_AT(REALinterfaceDefinition, attributeCount, 40);

HOSTABI_LAYOUT(REALmoduleDefinition, 192);
HOSTABI_AT(REALmoduleDefinition, version, 0);
HOSTABI_AT(REALmoduleDefinition, name, 8);
HOSTABI_AT(REALmoduleDefinition, methods, 16);
HOSTABI_AT(REALmoduleDefinition, methodCount, 24);
HOSTABI_AT(REALmoduleDefinition, constants, 32);
HOSTABI_AT(REALmoduleDefinition, constantCount, 40);
HOSTABI_AT(REALmoduleDefinition, properties, 48);
HOSTABI_AT(REALmoduleDefinition, propertyCount, 56);
HOSTABI_AT(REALmoduleDefinition, structures, 64);
HOSTABI_AT(REALmoduleDefinition, structureCount, 72);
HOSTABI_AT(REALmoduleDefinition, enums, 80);
HOSTABI_AT(REALmoduleDefinition, enumCount, 88);
HOSTABI_AT(REALmoduleDefinition, attributes, 96);
HOSTABI_AT(REALmoduleDefinition, attributeCount, 104);
HOSTABI_AT(REALmoduleDefinition, delegates, 112);
HOSTABI_AT(REALmoduleDefinition, delegateCount, 120);
HOSTABI_AT(REALmoduleDefinition, classes, 128);
HOSTABI_AT(REALmoduleDefinition, classesCount, 136);
HOSTABI_AT(REALmoduleDefinition, interfaces, 144);
HOSTABI_AT(REALmoduleDefinition, interfaceCount, 152);
HOSTABI_AT(REALmoduleDefinition, modules, 160);
HOSTABI_AT(REALmoduleDefinition, moduleCount, 168);
HOSTABI_AT(REALmoduleDefinition, controls, 176);
HOSTABI_AT(REALmoduleDefinition, controlCount, 184);

HOSTABI_LAYOUT(REALstringData, 40);
HOSTABI_AT(REALstringData, data, 0);
HOSTABI_AT(REALstringData, length, 8);
HOSTABI_AT(REALstringData, encoding, 16);
HOSTABI_AT(REALstringData, private1, 24);
HOSTABI_AT(REALstringData, private2, 32);

#undef HOSTABI_LAYOUT
#undef HOSTABI_AT
#endif
