// The emulated Xojo host: loads a plug-in shared object the way the IDE does,
// answers its entry look-ups, keeps reference-counted objects and strings with
// leak accounting, raises exceptions, and lets test code call every registered
// member by its declaration, as host code would.
//
// One Host is active at a time (the plug-in's resolver is a plain function
// with no user data). Values must be dropped before their Host.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostabi.h"

namespace emu {

class Host;

// The static type of a host value, as the host compiler sees an argument.
enum class Kind {
    Nil,  // an untyped Nil literal: matches any object, String or Variant parameter
    Boolean,
    Integer,  // the host's Integer (64-bit)
    Int32,
    UInt32,
    Int64,
    UInt64,
    Single,
    Double,
    String,
    Object,
    Enum,  // a value of an enumeration type such as TorvaneXml.NodeType
};

// An owned host value. Strings and objects hold one lock while the handle
// lives: copying locks, destruction unlocks. So "host code drops the
// Document" is `doc = {};` or the end of a scope.
class Value {
public:
    Value() = default;  // Nil
    Value(const Value& other);
    Value(Value&& other) noexcept;
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    ~Value();

    static Value Bool(bool v);
    static Value Integer(int64_t v);
    static Value Int32(int32_t v);
    static Value UInt32(uint32_t v);
    static Value Int64(int64_t v);
    static Value UInt64(uint64_t v);
    static Value Single(float v);
    static Value Double(double v);
    // An enumeration value; `type` is the qualified name ("TorvaneXml.NodeType").
    static Value Enum(std::string type, int64_t v);
    // Adopt a reference the caller already owns (no extra lock is taken).
    static Value AdoptString(Host& host, REALstring s);
    static Value AdoptObject(Host& host, REALobject o);

    Kind kind() const { return kind_; }
    bool isNil() const;  // Nil, a nil object or a nil String
    explicit operator bool() const { return !isNil(); }

    bool asBool() const;
    int64_t asInt() const;    // any integer kind or Enum
    uint64_t asUInt() const;  // any integer kind
    double asDouble() const;  // Single or Double (or an integer kind, widened)
    float asSingle() const;
    std::string asString() const;  // the UTF-8 bytes of a String (a nil String is "")
    const std::string& enumType() const { return enumType_; }

    REALobject object() const { return kind_ == Kind::Object ? obj_ : nullptr; }
    REALstring string() const { return kind_ == Kind::String ? str_ : nullptr; }
    // Name of the object's class as registered ("TorvaneXml.Node",
    // "TorvaneXmlException", "DateTime"); "" for Nil and non-objects.
    std::string className() const;

private:
    friend class Host;
    void release() noexcept;
    Kind kind_ = Kind::Nil;
    Host* host_ = nullptr;
    union {
        int64_t i_ = 0;
        uint64_t u_;
        double d_;
        float f_;
        bool b_;
        REALobject obj_;
        REALstring str_;
    };
    std::string enumType_;
};

// Raised to test code when a plug-in member returned with an exception
// pending, as the host raises it in host code after the call.
class HostException : public std::runtime_error {
public:
    HostException(Value exception, Value returned, std::string className, std::string message,
                  int64_t errorNumber);
    Value exception;  // the exception object (readable with Host::get)
    Value returned;   // what the member returned alongside the raise
    std::string className;
    std::string message;
    int64_t errorNumber;
};

// A fault of the plug-in or of a test's use of the emulator that is not a
// host exception: unknown member, ambiguous overload, bad argument types.
class EmulatorError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// What was registered, as the host sees it.
struct RegisteredProperty {
    std::string name, type;
    uint32_t flags = 0;
    bool standardGetter = false, hasGetter = false, hasSetter = false;
    int32_t param = 0;
    bool standardSetter = false;
};
struct RegisteredMethod {
    std::string declaration;
    uint32_t flags = 0;
    std::vector<std::pair<std::string, std::string>> attributes;  // name, value
};
struct RegisteredEnum {
    std::string name, type;
    uint32_t flags = 0;
    std::vector<std::string> entries;
};
struct RegisteredConstant {
    std::string declaration;
    uint32_t flags = 0;
};
struct RegisteredClass {
    std::string name;       // qualified for module classes ("TorvaneXml.Node")
    std::string superName;  // as registered ("TorvaneXml.Node", "RuntimeException", "")
    size_t dataSize = 0;
    uint32_t flags = 0;
    std::string interfaces;  // "" when none
    bool interfacesNull = true;
    bool hasDestructor = false;
    std::vector<RegisteredProperty> properties;
    std::vector<RegisteredMethod> methods, sharedMethods;
    const REALclassDefinition* definition = nullptr;
    std::vector<RegisteredProperty> sharedProperties;
    std::vector<RegisteredConstant> constants;
    std::vector<RegisteredEnum> enums;
    std::vector<std::pair<std::string, std::string>> attributes;  // name, value
};
struct RegisteredModule {
    std::string name;
    std::vector<RegisteredMethod> methods;
    std::vector<RegisteredConstant> constants;
    std::vector<RegisteredEnum> enums;
    std::vector<std::string> classes;  // qualified names, in registration order
    std::vector<RegisteredProperty> properties;
    std::vector<std::pair<std::string, std::string>> attributes;  // name, value
};
struct Registry {
    std::vector<RegisteredModule> modules;
    std::vector<RegisteredClass> classes;  // every plug-in class, in registration order
    const RegisteredClass* findClass(std::string_view name) const;
    const RegisteredModule* findModule(std::string_view name) const;
};

struct HostConfig {
    // The version "REALGetRBVersion" reports: 2019.1, 2020.0, ...
    double version = 2020.0;
    // Entry names the resolver answers with null.
    std::set<std::string> missingEntries;
    // The real host may pass "" as a nil REALstring; the plug-in must not care.
    bool emptyStringAsNil = false;
    // The zone a DateTime takes when constructed with a nil TimeZone.
    int64_t defaultZoneSecondsFromGMT = 7200;
    // Models a compiled application, which keeps only the host classes that
    // the plug-in asked for while loading or that host code names: any other
    // built-in class asked for later answers nil. Without it, such a late ask
    // is reported as a violation.
    bool compiledApplication = false;
    // Runs after the plug-in file is opened and before its REALPluginMain,
    // with the dlopen handle (tests use it to make a fake plug-in misbehave).
    std::function<void(void* handle)> beforeStartUp;
};

struct LeakReport {
    std::map<std::string, int64_t> liveObjects;  // by class name; only non-zero entries
    int64_t liveStrings = 0;              // strings built by the plug-in or the test still locked
    int64_t outstandingStringData = 0;    // REALGetStringData records not disposed
    std::vector<std::string> violations;  // double releases, use after free, bad records...
    bool clean() const;
    std::string describe() const;  // "" when clean
};

class Host {
public:
    explicit Host(HostConfig config = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Copies the shared object to a unique temporary path, dlopens it, and runs
    // REALPluginMain(resolver). Throws EmulatorError if it cannot be loaded.
    void load(const std::string& pluginPath);
    // Starts a plug-in linked into the calling program: its image is the one
    // that holds `main`, and every record it registers must lie there.
    void loadLinked(REALPluginMainProc main);

    const HostConfig& config() const;
    const Registry& registry() const;
    int announcedVersion() const;  // what RegisterPluginVersion received; 0 if never called
    size_t resolverAsks(const std::string& entryName) const;
    size_t entryCalls(const std::string& entryName) const;

    // Strings. str("") is the nil string when config().emptyStringAsNil is set.
    Value str(std::string_view utf8);
    Value strInEncoding(std::string_view bytes, uint32_t encoding);  // e.g. Latin-1 0x0201
    Value strUnconvertible(std::string_view bytes);                  // GetStringData answers false
    Value nilString();

    // Built-in host classes.
    Value folderItem(const std::string& nativePath);
    Value folderItemUnconvertible(const std::string& nativePath);  // NativePath not UTF-8
    Value timeZone(int64_t secondsFromGMT);
    // zone: nullopt gives a DateTime whose Timezone property is nil.
    Value dateTime(int64_t year, int64_t month, int64_t day, int64_t hour = 0, int64_t minute = 0,
                   int64_t second = 0, int64_t nanosecond = 0,
                   std::optional<int64_t> zoneSecondsFromGMT = std::nullopt);

    // Host code. Class names are qualified for module classes
    // ("TorvaneXml.Document") and plain for the exception and built-in classes.
    Value New(const std::string& className, std::vector<Value> args = {});
    Value newInstance(const std::string& className);  // no constructor run
    Value call(const Value& self, const std::string& method, std::vector<Value> args = {});
    Value callShared(const std::string& className, const std::string& method,
                     std::vector<Value> args = {});
    Value callModule(const std::string& moduleName, const std::string& method,
                     std::vector<Value> args = {});
    Value get(const Value& self, const std::string& property);
    void set(const Value& self, const std::string& property, const Value& value);
    int64_t compare(const Value& lhs, const Value& rhs);  // Operator_Compare
    // The For Each protocol: Iterator(), then MoveNext()/Value() until False.
    void forEach(const Value& iterable, const std::function<void(const Value&)>& body);
    std::vector<Value> collect(const Value& iterable);
    bool isa(const Value& object, const std::string& className) const;

    // Leak accounting of everything alive now; also checks the registered
    // records, the canaries of live objects and the released ones.
    LeakReport leaks() const;
    // Frees what the quarantine holds, after verifying it was not written
    // since its release. For a caller that has just run the end-of-test
    // checks: late use within one test stays detected, and long runs (fuzzing)
    // keep their speed and memory.
    void releaseQuarantine();
    size_t quarantined() const;  // released objects and strings still held
    // Host code names a class (New, a declaration...): a compiled application
    // keeps it, so the plug-in may ask for it at any time.
    void nameClass(const std::string& className);
    // The class names the plug-in gave pluginObjectType during start-up.
    std::vector<std::string> classesAskedWhileLoading() const;
    // Hands over the violations recorded so far and forgets them, for tests
    // that provoke a fault on purpose and check that it was reported.
    std::vector<std::string> takeViolations();

    // Low level, for tests of the emulator and the host binding.
    REALResolverProc resolver() const;
    static Host* current();

    // The emulator's internal state; opaque outside emulator/src.
    struct Impl;

private:
    Impl* impl_;
    friend class Value;
};

}  // namespace emu
