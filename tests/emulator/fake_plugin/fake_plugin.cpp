// A small plug-in that exercises the emulated host the way a real one does:
// a module with an enumeration, constants and a class list in which a
// subclass comes before its superclass; a destructor chain; standard-getter
// properties; an iterator; overloads; exceptions; and members that misbehave
// on request so that the host's fault reports can be tested.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "hostabi.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

REALResolverProc gResolver = nullptr;

// Each entry is looked up on first use and cached; a missing entry is asked
// for again next time, as the SDK glue does.
template <class T>
T bind(T& cache, const char* name) {
    if (!cache) cache = reinterpret_cast<T>(gResolver(name));
    return cache;
}
#define HOST(Type, name)                \
    ([]() {                             \
        static Type cache = nullptr;    \
        return bind<Type>(cache, name); \
    }())

double Version() {
    auto f = HOST(REALGetRBVersionProc, "REALGetRBVersion");
    return f ? f() : 0.0;
}

REALstring Build(const std::string& s) {
    return HOST(REALBuildStringWithEncodingProc, "REALBuildStringWithEncoding")(
        s.data(), static_cast<int>(s.size()), kREALTextEncodingUTF8);
}

bool Read(REALstring s, uint32_t enc, std::string& out) {
    REALstringData d;
    if (!HOST(PluginGetStringDataProc, "PluginGetStringData")(s, enc, &d)) return false;
    out.assign(static_cast<const char*>(d.data), d.length);
    HOST(PluginDisposeStringDataProc, "PluginDisposeStringData")(&d);
    return true;
}

std::string Utf8(REALstring s) {
    std::string out;
    if (!Read(s, kREALTextEncodingUTF8, out)) return "?";
    return out;
}

void Lock(REALobject o) {
    HOST(REALLockObjectProc, "REALLockObject")(o);
}
void Unlock(REALobject o) {
    HOST(REALUnlockObjectProc, "REALUnlockObject")(o);
}
void LockStr(REALstring s) {
    HOST(REALLockStringProc, "REALLockString")(s);
}
void UnlockStr(REALstring s) {
    HOST(REALUnlockStringProc, "REALUnlockString")(s);
}

std::string gLog;

template <class T>
T* Data(REALobject o, REALclassDefinition& def) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(o) + def.forSystemUse);
}

template <class F>
REALproc P(F f) {
    return reinterpret_cast<REALproc>(f);
}

extern REALclassDefinition BaseClass, DerivedClass, LeafClass, IterClass, OverClass,
    FakeExceptionClass, FakeSubExceptionClass;

// ------------------------------------------------------------------ Base

struct BaseData {
    RBInteger counter;
    REALstring label;
    RBInteger untouched;
};

void BaseInit(REALobject o) {
    gLog += "init Base;";
    Data<BaseData>(o, BaseClass)->counter = 100;
}
void BaseDtor(REALobject o) {
    gLog += "~Base;";
    BaseData* d = Data<BaseData>(o, BaseClass);
    UnlockStr(d->label);
    d->label = nullptr;
}
REALstring GetLabel(REALobject o, RBInteger) {
    REALstring s = Data<BaseData>(o, BaseClass)->label;
    LockStr(s);
    return s;
}
void SetLabel(REALobject o, RBInteger, REALstring s) {
    BaseData* d = Data<BaseData>(o, BaseClass);
    LockStr(s);
    UnlockStr(d->label);
    d->label = s;
}
RBInteger Bump(REALobject o, RBInteger by) {
    return Data<BaseData>(o, BaseClass)->counter += by;
}
REALstring BaseDescribe(REALobject o) {
    return Build("Base:" + Utf8(Data<BaseData>(o, BaseClass)->label));
}
void BaseConstructor(REALobject) {
    gLog += "Base.Constructor;";
}

REALproperty BaseProperties[] = {
    {"", "Counter", "Integer", 0x4, REALstandardGetter, REALstandardSetter,
     offsetof(BaseData, counter), nullptr, 0, nullptr, 0, nullptr},
    {"", "Label", "String", 0x4, P(GetLabel), P(SetLabel), 0, nullptr, 0, nullptr, 0, nullptr},
    {"", "Untouched", "Integer", 0x4, REALstandardGetter, nullptr, offsetof(BaseData, untouched),
     nullptr, 0, nullptr, 0, nullptr},
};
REALmethodDefinition BaseMethods[] = {
    {P(BaseConstructor), nullptr, "Constructor()", 0x24, 0, nullptr},
    {P(Bump), nullptr, "Bump(by as Integer = 1) as Integer", 0x4, 0, nullptr},
    {P(BaseDescribe), nullptr, "Describe() as String", 0x4, 0, nullptr},
};

// ------------------------------------------------------------------ Derived

struct DerivedData {
    double ratio;
};

void DerivedInit(REALobject) {
    gLog += "init Derived;";
}
void DerivedDtor(REALobject) {
    gLog += "~Derived;";
}
void DerivedConstructor(REALobject o, REALstring label) {
    SetLabel(o, 0, label);
}
REALstring DerivedDescribe(REALobject o) {
    return Build("Derived:" + Utf8(Data<BaseData>(o, BaseClass)->label));
}
REALobject MakeBase(REALobject) {
    return HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
}
// Declared to return a Derived but hands out a plain Base: a plug-in bug.
REALobject WrongResult(REALobject o) {
    return MakeBase(o);
}

REALproperty DerivedProperties[] = {
    {"", "Ratio", "Double", 0x4, REALstandardGetter, REALstandardSetter,
     offsetof(DerivedData, ratio), nullptr, 0, nullptr, 0, nullptr},
};
REALmethodDefinition DerivedMethods[] = {
    {P(DerivedConstructor), nullptr, "Constructor(label as String)", 0x24, 0, nullptr},
    {P(DerivedDescribe), nullptr, "describe ( ) AS string", 0x4, 0, nullptr},
    {P(MakeBase), nullptr, "MakeBase() as Fake.Base", 0x4, 0, nullptr},
    {P(WrongResult), nullptr, "WrongResult() as Fake.Derived", 0x4, 0, nullptr},
};

// ------------------------------------------------------------------ Leaf

struct LeafData {
    int32_t a, b;
};

REALproperty LeafProperties[] = {
    {"", "LeafA", "Int32", 0x4, REALstandardGetter, nullptr, offsetof(LeafData, a), nullptr, 0,
     nullptr, 0, nullptr},
    {"", "LeafB", "Int32", 0x4, REALstandardGetter, REALstandardSetter, offsetof(LeafData, b),
     nullptr, 0, nullptr, 0, nullptr},
};

// ------------------------------------------------------------------ Iter

struct IterData {
    RBInteger pos, limit;
    RBBoolean started;
};

void IterConstructor(REALobject o, RBInteger limit) {
    Data<IterData>(o, IterClass)->limit = limit;
}
RBBoolean IterMoveNext(REALobject o) {
    IterData* d = Data<IterData>(o, IterClass);
    if (d->started) ++d->pos;
    d->started = 1;
    return d->pos < d->limit;
}
REALobject IterValue(REALobject o) {
    IterData* d = Data<IterData>(o, IterClass);
    if (d->pos >= d->limit) return nullptr;
    REALobject b = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
    Data<BaseData>(b, BaseClass)->counter = d->pos;
    return b;
}
REALobject IterIterator(REALobject o) {
    Lock(o);
    return o;
}

REALmethodDefinition IterMethods[] = {
    {P(IterConstructor), nullptr, "Constructor(limit as Integer)", 0x24, 0, nullptr},
    {P(IterMoveNext), nullptr, "MoveNext() as Boolean", 0x84, 0, nullptr},
    {P(IterValue), nullptr, "Value() as Variant", 0x84, 0, nullptr},
    {P(IterIterator), nullptr, "Iterator() as Iterator", 0x84, 0, nullptr},
};

// ------------------------------------------------------------------ Over

struct OverData {
    RBInteger weight;
};

REALstring TakeInt32(REALobject, int32_t v) {
    return Build("Int32:" + std::to_string(v));
}
REALstring TakeInt64(REALobject, RBInt64 v) {
    return Build("Int64:" + std::to_string(v));
}
REALstring TakeDouble(REALobject, double v) {
    return Build("Double:" + std::to_string(v));
}
REALstring TakeSingle(REALobject, float v) {
    return Build("Single:" + std::to_string(v));
}
REALstring TakeString(REALobject, REALstring s) {
    return Build("String:" + Utf8(s));
}
REALstring TakeColor(REALobject, RBInteger c) {
    return Build("Color:" + std::to_string(c));
}
REALstring TakeBool(REALobject, RBBoolean b) {
    return Build(b ? "Boolean:true" : "Boolean:false");
}
REALstring TakeBase(REALobject, REALobject b) {
    return Build(b ? "Base:obj" : "Base:nil");
}
int32_t Narrow(REALobject, int32_t v) {
    return v;
}
RBUInt64 Unsigned(REALobject, uint32_t v) {
    return static_cast<RBUInt64>(v) * 2;
}
double Half(REALobject, float v) {
    return v / 2;
}
REALstring Flags(REALobject, RBInteger a, RBBoolean flag, REALobject b, double scale,
                 RBInteger color) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "a=%lld flag=%d b=%s scale=%.2f color=%lld",
                  static_cast<long long>(a), flag, b ? "obj" : "nil", scale,
                  static_cast<long long>(color));
    return Build(buf);
}
RBInteger OverCompare(REALobject o, REALobject rhs) {
    if (!rhs) return 1;
    RBInteger a = Data<OverData>(o, OverClass)->weight, b = Data<OverData>(rhs, OverClass)->weight;
    return a < b ? -1 : a > b ? 1 : 0;
}
RBInteger OverHidden(REALobject) {
    return 1;
}
RBInteger OverColor(REALobject) {
    return 7;
}
RBInteger GetWeight(REALobject o, RBInteger) {
    return Data<OverData>(o, OverClass)->weight;
}
void SetWeight(REALobject o, RBInteger, RBInteger v) {
    Data<OverData>(o, OverClass)->weight = v;
}
RBInteger ParamEcho(REALobject, RBInteger param) {
    return param;
}
REALobject OverMake(RBInteger weight) {
    REALobject o = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&OverClass);
    Data<OverData>(o, OverClass)->weight = weight;
    return o;
}

RBInteger ThrowingGetter(REALobject, RBInteger);

REALproperty OverProperties[] = {
    {"", "Weight", "Integer", 0x4, P(GetWeight), P(SetWeight), 0, nullptr, 0, nullptr, 0, nullptr},
    {"", "ParamEcho", "Integer", 0x4, P(ParamEcho), nullptr, 42, nullptr, 0, nullptr, 0, nullptr},
    {"", "Throwing", "Integer", 0x4, P(ThrowingGetter), nullptr, 0, nullptr, 0, nullptr, 0,
     nullptr},
};
REALmethodDefinition OverMethods[] = {
    {P(TakeInt32), nullptr, "Take(v as Int32) as String", 0x4, 0, nullptr},
    {P(TakeInt64), nullptr, "Take(v as Int64) as String", 0x4, 0, nullptr},
    {P(TakeDouble), nullptr, "Take(v as Double) as String", 0x4, 0, nullptr},
    {P(TakeSingle), nullptr, "Take(v as Single) as String", 0x4, 0, nullptr},
    {P(TakeString), nullptr, "Take(v as String) as String", 0x4, 0, nullptr},
    {P(TakeColor), nullptr, "Take(v as Fake.Color) as String", 0x4, 0, nullptr},
    {P(TakeBool), nullptr, "Take(v as Boolean) as String", 0x4, 0, nullptr},
    {P(TakeBase), nullptr, "Take(v as Fake.Base) as String", 0x4, 0, nullptr},
    {P(Narrow), nullptr, "Narrow(v as Int32) as Int32", 0x4, 0, nullptr},
    {P(Unsigned), nullptr, "Unsigned(v as UInt32) as UInt64", 0x4, 0, nullptr},
    {P(Half), nullptr, "Half(v as Single) as Double", 0x4, 0, nullptr},
    {P(Flags), nullptr,
     "Flags(a as Integer, flag as Boolean = true, b as Fake.Base = nil, scale as Double = 2.5, "
     "c as Fake.Color = Fake.Color.GREEN) as String",
     0x4, 0, nullptr},
    {P(OverCompare), nullptr, "Operator_Compare(rhs As Fake.Over) As Integer", 0x4, 0, nullptr},
    {P(OverHidden), nullptr, "Hidden() as Integer", 0x84, 0, nullptr},
    {P(OverColor), nullptr, "Color() as Fake.Color", 0x4, 0, nullptr},
};
REALmethodDefinition OverShared[] = {
    {P(OverMake), nullptr, "Make(weight as Integer) as Fake.Over", 0x4, 0, nullptr},
};

// ------------------------------------------------------------------ exceptions

struct FakeExceptionData {
    RBInt64 detail;
};
void ExceptionConstructor(REALobject) {}

REALproperty FakeExceptionProperties[] = {
    {"", "Detail", "Int64", 0x4, REALstandardGetter, nullptr, 0, nullptr, 0, nullptr, 0, nullptr},
};
REALmethodDefinition FakeExceptionMethods[] = {
    {P(ExceptionConstructor), nullptr, "Constructor()", 0x84, 0, nullptr},
};

// Raises FakeException the way the real plug-in's helpers do.
void Throw(REALclassDefinition& cls, const std::string& message, RBInteger code, RBInt64 detail) {
    REALobject e = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&cls);
    auto ctor = reinterpret_cast<void (*)(REALobject, REALstring, RBInteger)>(
        HOST(REALLoadObjectMethodProc, "REALLoadObjectMethod")(
            e, "Constructor(message as String, errorCode as Integer)"));
    REALstring m = Build(message);
    ctor(e, m, code);
    Data<FakeExceptionData>(e, FakeExceptionClass)->detail = detail;
    UnlockStr(m);
    HOST(RuntimeRaiseExceptionProc, "RuntimeRaiseException")(e);
    Unlock(e);
}

// ------------------------------------------------------------------ module methods

REALstring TakeLog() {
    REALstring s = Build(gLog);
    gLog.clear();
    return s;
}
REALstring Echo(REALstring s) {
    std::string t;
    if (!Read(s, kREALTextEncodingUTF8, t)) return nullptr;
    return Build(t);
}
REALstring BytesHex(REALstring s, RBInteger enc) {
    std::string t;
    if (!Read(s, static_cast<uint32_t>(enc), t)) return Build("unreadable");
    std::string hex;
    char buf[4];
    for (unsigned char c : t) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        hex += buf;
    }
    return Build(hex);
}
RBBoolean NilReadsEmpty(REALstring s) {
    REALstringData d;
    if (!HOST(PluginGetStringDataProc, "PluginGetStringData")(s, kREALTextEncodingUTF8, &d))
        return 0;
    bool ok = d.data != nullptr && d.length == 0 && static_cast<const char*>(d.data)[0] == 0 &&
              d.encoding == kREALTextEncodingUTF8;
    HOST(PluginDisposeStringDataProc, "PluginDisposeStringData")(&d);
    return ok ? 1 : 0;
}
void LeakString() {
    Build("leaked");
}
void LeakStringData(REALstring s) {
    REALstringData d;
    HOST(PluginGetStringDataProc, "PluginGetStringData")(s, kREALTextEncodingUTF8, &d);
}
void DoubleDispose(REALstring s) {
    REALstringData d;
    HOST(PluginGetStringDataProc, "PluginGetStringData")(s, kREALTextEncodingUTF8, &d);
    REALstringData copy = d;
    HOST(PluginDisposeStringDataProc, "PluginDisposeStringData")(&d);
    HOST(PluginDisposeStringDataProc, "PluginDisposeStringData")(&copy);
}
void DoubleUnlock() {
    REALobject o = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
    Unlock(o);
    Unlock(o);
}
void DoubleUnlockString() {
    REALstring s = Build("x");
    UnlockStr(s);
    UnlockStr(s);
}
RBInteger RaiseFake(REALstring message, RBInteger code, RBInteger detail) {
    Throw(FakeExceptionClass, Utf8(message), code, detail);
    return 7;
}
void RaiseTwice() {
    Throw(FakeExceptionClass, "first", 1, 0);
    Throw(FakeSubExceptionClass, "second", 2, 0);
}
void RaiseNonException() {
    REALobject o = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
    HOST(RuntimeRaiseExceptionProc, "RuntimeRaiseException")(o);
    Unlock(o);
}

struct DateArgs {
    REALobject dt;
    RBInteger y, m, d;
};
void DateCallback(void* p) {
    auto* a = static_cast<DateArgs*>(p);
    auto ctor = reinterpret_cast<void (*)(REALobject, RBInteger, RBInteger, RBInteger, RBInteger,
                                          RBInteger, RBInteger, RBInteger, REALobject)>(
        HOST(REALLoadObjectMethodProc, "REALLoadObjectMethod")(
            a->dt,
            "Constructor(Year as Integer, Month as Integer, Day as Integer, hour as Integer, "
            "minute as Integer, second as Integer, nanosecond as Integer, timeZone as "
            "TimeZone)"));
    ctor(a->dt, a->y, a->m, a->d, 0, 0, 0, 0, nullptr);
}
// Asked for in PluginEntry, as the host wants, so a compiled application keeps it.
REALclassRef gDateTimeRef = nullptr;

REALobject NewDateTime() {
    return HOST(CreateInstanceProc, "CreateInstance")(gDateTimeRef);
}
REALstring CatchDate(RBInteger y, RBInteger m, RBInteger d) {
    DateArgs a{NewDateTime(), y, m, d};
    REALobject exc = HOST(PluginCallFunctionWithExceptionHandlerProc,
                          "PluginCallFunctionWithExceptionHandler")(DateCallback, &a);
    Unlock(a.dt);
    if (!exc) return Build("ok");
    REALstring msg = nullptr;
    HOST(REALGetPropValueStringProc, "REALGetPropValueString")(exc, "Message", &msg);
    std::string text = "caught:" + Utf8(msg);
    UnlockStr(msg);
    Unlock(exc);
    return Build(text);
}
REALobject MakeDate(RBInteger y, RBInteger m, RBInteger d) {
    DateArgs a{NewDateTime(), y, m, d};
    DateCallback(&a);  // outside any handler: the host raises after the return
    return a.dt;
}
RBInteger ZoneOffset(REALobject dt) {
    REALobject zone = nullptr;
    if (!HOST(REALGetPropValueObjectProc, "REALGetPropValueObject")(dt, "Timezone", &zone))
        return -2;
    if (!zone) return -1;
    RBInteger secs = 0;
    HOST(REALGetPropValueIntegerProc, "REALGetPropValueInteger")(zone, "SecondsFromGMT", &secs);
    Unlock(zone);
    return secs;
}
REALstring FolderInfo(REALobject f) {
    RBBoolean exists = 0, folder = 0;
    HOST(REALGetPropValueBoolProc, "REALGetPropValueBool")(f, "Exists", &exists);
    HOST(REALGetPropValueBoolProc, "REALGetPropValueBool")
    (f, Version() >= 2020.0 ? "IsFolder" : "Directory", &folder);
    REALstring path = nullptr;
    HOST(REALGetPropValueStringProc, "REALGetPropValueString")(f, "NativePath", &path);
    std::string p;
    if (!Read(path, kREALTextEncodingUTF8, p)) p = "(unreadable)";
    UnlockStr(path);
    return Build("exists=" + std::to_string(exists) + " folder=" + std::to_string(folder) +
                 " path=" + p);
}
RBBoolean AskBool(REALobject o, REALstring name) {
    RBBoolean v = 0;
    return HOST(REALGetPropValueBoolProc, "REALGetPropValueBool")(o, Utf8(name).c_str(), &v);
}
REALobject Instantiate(REALstring name) {
    REALclassRef ref = HOST(pluginObjectTypeProc, "pluginObjectType")(Utf8(name).c_str());
    if (!ref) return nullptr;
    return HOST(CreateInstanceProc, "CreateInstance")(ref);
}
RBBoolean Isa(REALobject o, REALstring name) {
    REALclassRef ref = HOST(pluginObjectTypeProc, "pluginObjectType")(Utf8(name).c_str());
    return HOST(RuntimeObjectIsaProc, "RuntimeObjectIsa")(o, ref);
}
RBBoolean AskEntry(REALstring name) {
    return gResolver(Utf8(name).c_str()) != nullptr;
}
RBInteger Secret() {
    return 42;
}

// ------------------------------------------------------------------ faults on request

// Which fault PluginEntry commits; set by the test before start-up.
std::string gFault;

REALmethodDefinition LateMethods[] = {
    {P(BaseConstructor), nullptr, "Constructor()", 0x24, 0, nullptr},
};
REALclassDefinition LateClass = {
    13,  "Late",  nullptr, 0,       0, nullptr, nullptr, nullptr, 0,       LateMethods,
    1,   nullptr, 0,       nullptr, 0, nullptr, nullptr, 0,       nullptr, 0,
    0x4, nullptr, 0,       nullptr, 0, nullptr, 0,       nullptr, 0};
void RegisterLate() {
    HOST(PluginRegisterClassProc, "PluginRegisterClass")(&LateClass);
}
// Writes into a registered record after the host took it.
void SpoilRecord() {
    LateMethods[0].mFlags = 0x84;
    BaseMethods[1].declaration = "Bump(by as Integer = 2) as Integer";
}
void ThrowCpp() {
    throw std::runtime_error("escaped");
}
RBInteger ThrowingGetter(REALobject, RBInteger) {
    throw 42;
}
// A Base released, then written: the host's object is already gone.
void WriteAfterFree() {
    REALobject o = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
    BaseData* d = Data<BaseData>(o, BaseClass);
    Unlock(o);
    d->counter = 5;
}
// Writes one field past Base's block, into what follows it.
void Overrun() {
    REALobject o = HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass);
    BaseData* d = Data<BaseData>(o, BaseClass);
    reinterpret_cast<RBInteger*>(d + 1)[0] = 1;
    Unlock(o);
}
// Keeps a string's data record open past the string's last unlock.
void DataAfterUnlock() {
    REALstring s = Build("short-lived");
    REALstringData d;
    HOST(PluginGetStringDataProc, "PluginGetStringData")(s, kREALTextEncodingUTF8, &d);
    UnlockStr(s);
    HOST(PluginDisposeStringDataProc, "PluginDisposeStringData")(&d);
}
// The argument's UTF-8 bytes, labelled with `encoding`.
REALstring Relabel(REALstring s, RBInteger encoding) {
    std::string t;
    if (!Read(s, kREALTextEncodingUTF8, t)) return nullptr;
    return HOST(REALBuildStringWithEncodingProc, "REALBuildStringWithEncoding")(
        t.data(), static_cast<int>(t.size()), static_cast<uint32_t>(encoding));
}
RBBoolean Modern() {
    return 1;
}

REALattribute HiddenAttribute[] = {{"Hidden", ""}};

REALmethodDefinition ModuleMethods[] = {
    {P(TakeLog), nullptr, "TakeLog() as String", 0x24, 0, nullptr},
    {P(Echo), nullptr, "Echo(s as String) as String", 0x24, 0, nullptr},
    {P(BytesHex), nullptr, "BytesHex(s as String, encoding as Integer) as String", 0x24, 0,
     nullptr},
    {P(NilReadsEmpty), nullptr, "NilReadsEmpty(s as String) as Boolean", 0x24, 0, nullptr},
    {P(LeakString), nullptr, "LeakString()", 0x24, 0, nullptr},
    {P(LeakStringData), nullptr, "LeakStringData(s as String)", 0x24, 0, nullptr},
    {P(DoubleDispose), nullptr, "DoubleDispose(s as String)", 0x24, 0, nullptr},
    {P(DoubleUnlock), nullptr, "DoubleUnlock()", 0x24, 0, nullptr},
    {P(DoubleUnlockString), nullptr, "DoubleUnlockString()", 0x24, 0, nullptr},
    {P(RaiseFake), nullptr,
     "RaiseFake(message as String, code as Integer, detail as Integer) as Integer", 0x24, 0,
     nullptr},
    {P(RaiseTwice), nullptr, "RaiseTwice()", 0x24, 0, nullptr},
    {P(RaiseNonException), nullptr, "RaiseNonException()", 0x24, 0, nullptr},
    {P(CatchDate), nullptr, "CatchDate(y as Integer, m as Integer, d as Integer) as String", 0x24,
     0, nullptr},
    {P(MakeDate), nullptr, "MakeDate(y as Integer, m as Integer, d as Integer) as DateTime", 0x24,
     0, nullptr},
    {P(ZoneOffset), nullptr, "ZoneOffset(d as DateTime) as Integer", 0x24, 0, nullptr},
    {P(FolderInfo), nullptr, "FolderInfo(f as FolderItem) as String", 0x24, 0, nullptr},
    {P(AskBool), nullptr, "AskBool(o as Object, name as String) as Boolean", 0x24, 0, nullptr},
    {P(Instantiate), nullptr, "Instantiate(name as String) as Object", 0x24, 0, nullptr},
    {P(Isa), nullptr, "Isa(o as Object, className as String) as Boolean", 0x24, 0, nullptr},
    {P(AskEntry), nullptr, "AskEntry(name as String) as Boolean", 0x24, 0, nullptr},
    {P(Secret), nullptr, "Secret() as Integer", 0x24, 1, HiddenAttribute},
    {P(RegisterLate), nullptr, "RegisterLate()", 0x24, 0, nullptr},
    {P(SpoilRecord), nullptr, "SpoilRecord()", 0x24, 0, nullptr},
    {P(ThrowCpp), nullptr, "ThrowCpp()", 0x24, 0, nullptr},
    {P(WriteAfterFree), nullptr, "WriteAfterFree()", 0x24, 0, nullptr},
    {P(Overrun), nullptr, "Overrun()", 0x24, 0, nullptr},
    {P(DataAfterUnlock), nullptr, "DataAfterUnlock()", 0x24, 0, nullptr},
    {P(Relabel), nullptr, "Relabel(s as String, encoding as Integer) as String", 0x24, 0, nullptr},
    // Only registered on 2020.0 and later hosts (kept last).
    {P(Modern), nullptr, "Modern() as Boolean", 0x24, 0, nullptr},
};

const char* ColorEntries[] = {"RED = 1", "GREEN", "BLUE = 7"};
REALenum ModuleEnums[] = {{"Color", "", 0x20, ColorEntries, 3, 0, nullptr}};
REALconstant ModuleConstants[] = {
    {"Answer = 42", nullptr, 0x24, 0, nullptr},
    {"Greeting As String = \"hi\"", nullptr, 0x24, 0, nullptr},
};

REALclassDefinition BaseClass = {13,      "Base",      nullptr,     sizeof(BaseData),
                                 0,       P(BaseInit), P(BaseDtor), BaseProperties,
                                 3,       BaseMethods, 3,           nullptr,
                                 0,       nullptr,     0,           nullptr,
                                 nullptr, 0,           nullptr,     0,
                                 0x4,     nullptr,     0,           nullptr,
                                 0,       nullptr,     0,           nullptr,
                                 0};
REALclassDefinition DerivedClass = {13,
                                    "Derived",
                                    "Fake.Base",
                                    sizeof(DerivedData),
                                    0,
                                    P(DerivedInit),
                                    P(DerivedDtor),
                                    DerivedProperties,
                                    1,
                                    DerivedMethods,
                                    4,
                                    nullptr,
                                    0,
                                    nullptr,
                                    0,
                                    nullptr,
                                    nullptr,
                                    0,
                                    nullptr,
                                    0,
                                    0x4,
                                    nullptr,
                                    0,
                                    nullptr,
                                    0,
                                    nullptr,
                                    0,
                                    nullptr,
                                    0};
REALclassDefinition LeafClass = {13,
                                 "Leaf",
                                 "Fake.Derived",
                                 sizeof(LeafData),
                                 0,
                                 nullptr,
                                 nullptr,
                                 LeafProperties,
                                 2,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0,
                                 nullptr,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0,
                                 0x4,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0,
                                 nullptr,
                                 0};
REALclassDefinition IterClass = {13,      "Iter",      nullptr, sizeof(IterData),
                                 0,       nullptr,     nullptr, nullptr,
                                 0,       IterMethods, 4,       nullptr,
                                 0,       nullptr,     0,       "Iterator,Iterable",
                                 nullptr, 0,           nullptr, 0,
                                 0x4,     nullptr,     0,       nullptr,
                                 0,       nullptr,     0,       nullptr,
                                 0};
REALclassDefinition OverClass = {13,      "Over",      nullptr, sizeof(OverData),
                                 0,       nullptr,     nullptr, OverProperties,
                                 3,       OverMethods, 15,      nullptr,
                                 0,       nullptr,     0,       nullptr,
                                 nullptr, 0,           nullptr, 0,
                                 0x4,     nullptr,     0,       OverShared,
                                 1,       nullptr,     0,       nullptr,
                                 0};
REALclassDefinition FakeExceptionClass = {13,
                                          "FakeException",
                                          "RuntimeException",
                                          sizeof(FakeExceptionData),
                                          0,
                                          nullptr,
                                          nullptr,
                                          FakeExceptionProperties,
                                          1,
                                          FakeExceptionMethods,
                                          1,
                                          nullptr,
                                          0,
                                          nullptr,
                                          0,
                                          "",
                                          nullptr,
                                          0,
                                          nullptr,
                                          0,
                                          0x4,
                                          nullptr,
                                          0,
                                          nullptr,
                                          0,
                                          nullptr,
                                          0,
                                          nullptr,
                                          0};
REALclassDefinition FakeSubExceptionClass = {13,
                                             "FakeSubException",
                                             "FakeException",
                                             0,
                                             0,
                                             nullptr,
                                             nullptr,
                                             nullptr,
                                             0,
                                             FakeExceptionMethods,
                                             1,
                                             nullptr,
                                             0,
                                             nullptr,
                                             0,
                                             nullptr,
                                             nullptr,
                                             0,
                                             nullptr,
                                             0,
                                             0x4,
                                             nullptr,
                                             0,
                                             nullptr,
                                             0,
                                             nullptr,
                                             0,
                                             nullptr,
                                             0};

// Derived stands before its superclass Base.
REALclassDefinition* ModuleClasses[] = {&DerivedClass, &BaseClass, &LeafClass, &IterClass,
                                        &OverClass};

REALmoduleDefinition FakeModule = {13,
                                   "Fake",
                                   ModuleMethods,
                                   sizeof ModuleMethods / sizeof ModuleMethods[0],
                                   ModuleConstants,
                                   2,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   ModuleEnums,
                                   1,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   ModuleClasses,
                                   5,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0};

// Records a careless plug-in hands over: on the stack, with counts past
// their tables, with flags the host cannot place.
REALmethodDefinition SloppyMethods[] = {
    {P(BaseConstructor), nullptr, "Constructor()", 0x4, 0, nullptr},
    {P(Bump), nullptr, "NoTarget() as Integer", 0x20, 0, nullptr},
    {P(Bump), nullptr, "Invalidating() as Integer", 0x5, 0, nullptr},
    {P(Bump), nullptr, "Split() as Integer", 0x8 | 0x200, 0, nullptr},
    {P(Bump), nullptr, "Twice(a as Integer) as Integer", 0x4, 0, nullptr},
    {P(Bump), nullptr, "twice(b as integer) as integer", 0x4, 0, nullptr},
};
REALconstant SloppyConstants[] = {
    {"Limit = 1", nullptr, 0x4, 0, nullptr},
    {"LIMIT = 2", nullptr, 0x4, 0, nullptr},
};
REALclassDefinition SloppyClass = {13,
                                   "Sloppy",
                                   nullptr,
                                   0,
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   0,
                                   SloppyMethods,
                                   6,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   nullptr,
                                   nullptr,
                                   0,
                                   SloppyConstants,
                                   3,  // one more than the table holds
                                   0,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0};

void CommitLoadFault() {
    if (gFault == "stack-record") {
        REALclassDefinition onStack = FakeExceptionClass;
        onStack.name = "OnStack";
        HOST(PluginRegisterClassProc, "PluginRegisterClass")(&onStack);
    } else if (gFault == "heap-record") {
        auto* onHeap = new REALclassDefinition(FakeExceptionClass);
        onHeap->name = "OnHeap";
        HOST(PluginRegisterClassProc, "PluginRegisterClass")(onHeap);
        delete onHeap;
    } else if (gFault == "sloppy-tables") {
        HOST(PluginRegisterClassProc, "PluginRegisterClass")(&SloppyClass);
    } else if (gFault == "create-at-load") {
        Unlock(HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&BaseClass));
    } else if (gFault == "raise-at-load") {
        REALobject e =
            HOST(PluginNewInstanceOfClassProc, "PluginNewInstanceOfClass")(&FakeExceptionClass);
        HOST(RuntimeRaiseExceptionProc, "RuntimeRaiseException")(e);
        Unlock(e);
    } else if (gFault == "throw-at-load") {
        ThrowCpp();
    }
}

}  // namespace

extern "C" void PluginEntry() {
    if (Version() < 2020.0) --FakeModule.methodCount;  // drop Modern()
    gDateTimeRef = HOST(pluginObjectTypeProc, "pluginObjectType")("DateTime");
    HOST(PluginRegisterModuleProc, "PluginRegisterModule")(&FakeModule);
    // The subclass first: the host must resolve it once its superclass comes.
    HOST(PluginRegisterClassProc, "PluginRegisterClass")(&FakeSubExceptionClass);
    HOST(PluginRegisterClassProc, "PluginRegisterClass")(&FakeExceptionClass);
    CommitLoadFault();
}

FAKE_EXPORT void FakeSetFault(const char* fault) {
    gFault = fault ? fault : "";
}

FAKE_EXPORT void REALPluginMain(REALResolverProc resolver) {
    gResolver = resolver;
    auto announce = reinterpret_cast<RegisterPluginVersionProc>(resolver("RegisterPluginVersion"));
    if (announce) announce(kCurrentREALControlVersion);
    PluginEntry();
}
