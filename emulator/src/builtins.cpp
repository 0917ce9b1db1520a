// The host's own classes. Each member is a C function of exactly the shape the
// host ABI gives plug-in members, so the emulator calls them (and hands them
// out through REALLoadObjectMethod) the same way as plug-in code.
#include "builtins.h"

#include <sys/stat.h>

#include "internal.h"

namespace emu {

using namespace detail;
using namespace builtin;

namespace builtin {

bool validDateTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                   int64_t second, int64_t nanosecond, std::string& why) {
    if (year < 1 || year > 99999999) {
        why = "year " + std::to_string(year) + " is out of range";
        return false;
    }
    if (month < 1 || month > 12) {
        why = "month " + std::to_string(month) + " is out of range";
        return false;
    }
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int64_t dim = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day < 1 || day > dim) {
        why = "day " + std::to_string(day) + " is out of range";
        return false;
    }
    if (hour < 0 || hour > 23) {
        why = "hour " + std::to_string(hour) + " is out of range";
        return false;
    }
    if (minute < 0 || minute > 59) {
        why = "minute " + std::to_string(minute) + " is out of range";
        return false;
    }
    if (second < 0 || second > 59) {
        why = "second " + std::to_string(second) + " is out of range";
        return false;
    }
    if (nanosecond < 0 || nanosecond > 999999999) {
        why = "nanosecond " + std::to_string(nanosecond) + " is out of range";
        return false;
    }
    return true;
}

}  // namespace builtin

namespace {

template <class T>
T* data(REALobject o, ClassInfo* cls) {
    return static_cast<T*>(Host::Impl::cur()->classData(o, cls));
}

// Every native member checks its object first: plug-in code may hand in
// anything, and a released object must be reported, not read.
bool usable(REALobject o, ClassInfo* cls, const char* what) {
    Host::Impl* I = Host::Impl::cur();
    if (!I) return false;
    ObjRec* r = I->liveObject(o, what);
    if (!r) return false;
    if (!r->cls->isa(cls)) {
        I->violation(std::string(what) + ": object of class " + r->cls->name + " is not a " +
                     cls->name);
        return false;
    }
    return true;
}

Host::Impl* H() {
    return Host::Impl::cur();
}

extern "C" {

// RuntimeException
static REALstring RT_GetMessage(REALobject o, RBInteger) {
    if (!usable(o, H()->runtimeException, "RuntimeException.Message")) return nullptr;
    REALstring s = data<RuntimeExceptionData>(o, H()->runtimeException)->message;
    H()->lockString(s, "RuntimeException.Message");
    return s;
}
static void RT_SetMessage(REALobject o, RBInteger, REALstring s) {
    if (!usable(o, H()->runtimeException, "RuntimeException.Message")) return;
    auto* d = data<RuntimeExceptionData>(o, H()->runtimeException);
    H()->lockString(s, "RuntimeException.Message");
    H()->unlockString(d->message, "RuntimeException.Message");
    d->message = s;
}
static RBInteger RT_GetErrorNumber(REALobject o, RBInteger) {
    if (!usable(o, H()->runtimeException, "RuntimeException.ErrorNumber")) return 0;
    return data<RuntimeExceptionData>(o, H()->runtimeException)->errorNumber;
}
static void RT_SetErrorNumber(REALobject o, RBInteger, RBInteger v) {
    if (!usable(o, H()->runtimeException, "RuntimeException.ErrorNumber")) return;
    data<RuntimeExceptionData>(o, H()->runtimeException)->errorNumber = v;
}
static void RT_Constructor(REALobject o, REALstring message, RBInteger errorCode) {
    if (!usable(o, H()->runtimeException, "RuntimeException.Constructor")) return;
    RT_SetMessage(o, 0, message);
    RT_SetErrorNumber(o, 0, errorCode);
}
static void RT_Destructor(REALobject o) {
    auto* d = data<RuntimeExceptionData>(o, H()->runtimeException);
    H()->unlockString(d->message, "RuntimeException destructor");
    d->message = nullptr;
}

// FolderItem: the file system is asked at every read, as the host does.
static bool FI_Stat(REALobject o, struct stat& st, const char* what) {
    if (!usable(o, H()->folderItem, what)) return false;
    auto* d = data<FolderItemData>(o, H()->folderItem);
    std::string path;
    if (!d->nativePath) return false;
    auto it = H()->strings.find(d->nativePath);
    if (it == H()->strings.end()) return false;
    path = it->second.bytes;
    return ::stat(path.c_str(), &st) == 0;
}
static RBBoolean FI_Exists(REALobject o, RBInteger) {
    struct stat st;
    return FI_Stat(o, st, "FolderItem.Exists") ? 1 : 0;
}
static RBBoolean FI_IsFolder(REALobject o, RBInteger) {
    struct stat st;
    return FI_Stat(o, st, "FolderItem.IsFolder") && S_ISDIR(st.st_mode) ? 1 : 0;
}
static REALstring FI_NativePath(REALobject o, RBInteger) {
    if (!usable(o, H()->folderItem, "FolderItem.NativePath")) return nullptr;
    REALstring s = data<FolderItemData>(o, H()->folderItem)->nativePath;
    H()->lockString(s, "FolderItem.NativePath");
    return s;
}
static void FI_Destructor(REALobject o) {
    auto* d = data<FolderItemData>(o, H()->folderItem);
    H()->unlockString(d->nativePath, "FolderItem destructor");
    d->nativePath = nullptr;
}

// TimeZone
static RBInteger TZ_Seconds(REALobject o, RBInteger) {
    if (!usable(o, H()->timeZone, "TimeZone.SecondsFromGMT")) return 0;
    return data<TimeZoneData>(o, H()->timeZone)->secondsFromGMT;
}
static void TZ_Constructor(REALobject o, RBInteger seconds) {
    if (!usable(o, H()->timeZone, "TimeZone.Constructor")) return;
    data<TimeZoneData>(o, H()->timeZone)->secondsFromGMT = seconds;
}

// DateTime
#define DT_FIELD(fn, field)                                          \
    static RBInteger fn(REALobject o, RBInteger) {                   \
        if (!usable(o, H()->dateTime, "DateTime." #field)) return 0; \
        return data<DateTimeData>(o, H()->dateTime)->field;          \
    }
DT_FIELD(DT_Year, year)
DT_FIELD(DT_Month, month)
DT_FIELD(DT_Day, day)
DT_FIELD(DT_Hour, hour)
DT_FIELD(DT_Minute, minute)
DT_FIELD(DT_Second, second)
DT_FIELD(DT_Nanosecond, nanosecond)
#undef DT_FIELD

static REALobject DT_TimeZone(REALobject o, RBInteger) {
    if (!usable(o, H()->dateTime, "DateTime.Timezone")) return nullptr;
    REALobject z = data<DateTimeData>(o, H()->dateTime)->timeZone;
    H()->lockObject(z, "DateTime.Timezone");
    return z;
}
static RBInteger DT_SecondsFromGMT(REALobject o, RBInteger) {
    if (!usable(o, H()->dateTime, "DateTime.SecondsFromGMT")) return 0;
    REALobject z = data<DateTimeData>(o, H()->dateTime)->timeZone;
    return z ? data<TimeZoneData>(z, H()->timeZone)->secondsFromGMT : 0;
}
static void DT_Constructor(REALobject o, RBInteger year, RBInteger month, RBInteger day,
                           RBInteger hour, RBInteger minute, RBInteger second, RBInteger nanosecond,
                           REALobject zone) {
    Host::Impl* I = H();
    if (!usable(o, I->dateTime, "DateTime.Constructor")) return;
    if (zone && !usable(zone, I->timeZone, "DateTime.Constructor timeZone")) return;
    std::string why;
    if (!validDateTime(year, month, day, hour, minute, second, nanosecond, why)) {
        I->raiseNew(I->invalidArgument, "DateTime: " + why, 0);
        return;
    }
    auto* d = data<DateTimeData>(o, I->dateTime);
    d->year = year;
    d->month = month;
    d->day = day;
    d->hour = hour;
    d->minute = minute;
    d->second = second;
    d->nanosecond = nanosecond;
    REALobject z = zone;
    if (z) {
        I->lockObject(z, "DateTime.Constructor");
    } else {
        z = I->allocate(I->timeZone);
        data<TimeZoneData>(z, I->timeZone)->secondsFromGMT = I->config.defaultZoneSecondsFromGMT;
    }
    I->unlockObject(d->timeZone, "DateTime.Constructor");
    d->timeZone = z;
}
static void DT_Destructor(REALobject o) {
    auto* d = data<DateTimeData>(o, H()->dateTime);
    REALobject z = d->timeZone;
    d->timeZone = nullptr;
    H()->unlockObject(z, "DateTime destructor");
}

}  // extern "C"

template <class F>
REALproc P(F f) {
    return reinterpret_cast<REALproc>(f);
}

}  // namespace

namespace {

// Declares built-in classes and their members the way registration would.
struct BuiltinBuilder {
    Host::Impl& I;

    ClassInfo* cls(const char* name, ClassInfo* super, size_t dataSize, REALproc dtor) {
        auto c = std::make_unique<ClassInfo>();
        c->name = name;
        c->builtin = true;
        c->super = super;
        c->superName = super ? super->name : "";
        c->dataSize = dataSize;
        c->offset = blockOffset(super ? super->instanceSize : 0);
        c->instanceSize = c->offset + dataSize;
        c->laidOut = true;
        c->checked = true;
        c->destructor = dtor;
        ClassInfo* raw = c.get();
        I.classes.push_back(std::move(c));
        I.classByName[lower(name)] = raw;
        return raw;
    }
    void method(ClassInfo* c, const char* decl, REALproc fn) {
        auto m = std::make_unique<MethodInfo>();
        m->declaration = decl;
        std::string err;
        m->parsed = parseMethodDecl(decl, m->decl, err);
        m->fn = fn;
        m->flags = REALconsoleSafe | REALScopePublic;
        m->owner = c;
        m->where = c->name + " method";
        m->key = signatureKey(m->decl);
        m->pkey = paramKey(m->decl);
        c->methods.push_back(std::move(m));
    }
    void prop(ClassInfo* c, const char* name, const char* type, REALproc get,
              REALproc set = nullptr) {
        auto p = std::make_unique<PropInfo>();
        p->name = name;
        p->typeText = type;
        p->flags = REALconsoleSafe | REALScopePublic;
        p->getter = get;
        p->setter = set;
        p->owner = c;
        p->where = c->name + "." + name;
        c->props.push_back(std::move(p));
    }

    void exceptions() {
        I.runtimeException =
            cls("RuntimeException", nullptr, sizeof(RuntimeExceptionData), P(RT_Destructor));
        prop(I.runtimeException, "Message", "String", P(RT_GetMessage), P(RT_SetMessage));
        prop(I.runtimeException, "ErrorNumber", "Integer", P(RT_GetErrorNumber),
             P(RT_SetErrorNumber));
        method(I.runtimeException, "Constructor(message as String, errorCode as Integer)",
               P(RT_Constructor));
        I.invalidArgument = cls("InvalidArgumentException", I.runtimeException, 0, nullptr);
        I.nilObjectException = cls("NilObjectException", I.runtimeException, 0, nullptr);
    }

    void folderItem() {
        ClassInfo* c = I.folderItem =
            cls("FolderItem", nullptr, sizeof(FolderItemData), P(FI_Destructor));
        prop(c, "Exists", "Boolean", P(FI_Exists));
        // Hosts from 2020.0 on call the folder test IsFolder; older ones Directory.
        prop(c, I.config.version >= 2020.0 ? "IsFolder" : "Directory", "Boolean", P(FI_IsFolder));
        prop(c, "NativePath", "String", P(FI_NativePath));
    }

    void timeZone() {
        ClassInfo* c = I.timeZone = cls("TimeZone", nullptr, sizeof(TimeZoneData), nullptr);
        prop(c, "SecondsFromGMT", "Integer", P(TZ_Seconds));
        method(c, "Constructor(gmtOffsetInSeconds As Integer)", P(TZ_Constructor));
    }

    void dateTime() {
        ClassInfo* c = I.dateTime =
            cls("DateTime", nullptr, sizeof(DateTimeData), P(DT_Destructor));
        static const std::pair<const char*, RBInteger (*)(REALobject, RBInteger)> kFields[] = {
            {"Year", DT_Year},
            {"Month", DT_Month},
            {"Day", DT_Day},
            {"Hour", DT_Hour},
            {"Minute", DT_Minute},
            {"Second", DT_Second},
            {"Nanosecond", DT_Nanosecond}};
        for (const auto& [name, getter] : kFields) prop(c, name, "Integer", P(getter));
        prop(c, "Timezone", "TimeZone", P(DT_TimeZone));
        prop(c, "SecondsFromGMT", "Integer", P(DT_SecondsFromGMT));
        method(c,
               "Constructor(Year as Integer, Month as Integer, Day as Integer, hour as Integer, "
               "minute as Integer, second as Integer, nanosecond as Integer, timeZone as "
               "TimeZone)",
               P(DT_Constructor));
    }
};

}  // namespace

void Host::Impl::addBuiltins() {
    BuiltinBuilder b{*this};
    b.exceptions();
    b.folderItem();
    b.timeZone();
    b.dateTime();
}

// Test-side factories of the built-in classes.

Value Host::folderItem(const std::string& nativePath) {
    nameClass("FolderItem");
    REALobject o = impl_->allocate(impl_->folderItem);
    Value v = Value::AdoptObject(*this, o);
    data<FolderItemData>(o, impl_->folderItem)->nativePath =
        impl_->newString(nativePath, kREALTextEncodingUTF8, false);
    return v;
}

Value Host::folderItemUnconvertible(const std::string& nativePath) {
    nameClass("FolderItem");
    REALobject o = impl_->allocate(impl_->folderItem);
    Value v = Value::AdoptObject(*this, o);
    data<FolderItemData>(o, impl_->folderItem)->nativePath =
        impl_->newString(nativePath, kREALTextEncodingUnknown, true);
    return v;
}

Value Host::timeZone(int64_t secondsFromGMT) {
    nameClass("TimeZone");
    REALobject o = impl_->allocate(impl_->timeZone);
    data<TimeZoneData>(o, impl_->timeZone)->secondsFromGMT = secondsFromGMT;
    return Value::AdoptObject(*this, o);
}

Value Host::dateTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                     int64_t second, int64_t nanosecond, std::optional<int64_t> zone) {
    std::string why;
    if (!validDateTime(year, month, day, hour, minute, second, nanosecond, why))
        throw EmulatorError("Host::dateTime: " + why);
    nameClass("DateTime");
    REALobject o = impl_->allocate(impl_->dateTime);
    Value v = Value::AdoptObject(*this, o);
    auto* d = data<DateTimeData>(o, impl_->dateTime);
    d->year = year;
    d->month = month;
    d->day = day;
    d->hour = hour;
    d->minute = minute;
    d->second = second;
    d->nanosecond = nanosecond;
    if (zone) {
        Value z = timeZone(*zone);
        impl_->lockObject(z.object(), "Host::dateTime");
        d->timeZone = z.object();
    }
    return v;
}

}  // namespace emu
