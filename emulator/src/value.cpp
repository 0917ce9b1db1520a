// Value: an owned host value. Strings and objects keep one lock while held.
#include "internal.h"

namespace emu {

using namespace detail;

Value::Value(const Value& o) : kind_(o.kind_), host_(o.host_), u_(o.u_), enumType_(o.enumType_) {
    if (host_ && hostAlive(host_)) {
        if (kind_ == Kind::String) host_->impl_->lockString(str_, "emu::Value copy");
        if (kind_ == Kind::Object) host_->impl_->lockObject(obj_, "emu::Value copy");
    }
}

Value::Value(Value&& o) noexcept
    : kind_(o.kind_), host_(o.host_), u_(o.u_), enumType_(std::move(o.enumType_)) {
    o.kind_ = Kind::Nil;
    o.host_ = nullptr;
    o.u_ = 0;
}

Value& Value::operator=(const Value& o) {
    if (this != &o) {
        Value copy(o);
        *this = std::move(copy);
    }
    return *this;
}

Value& Value::operator=(Value&& o) noexcept {
    if (this != &o) {
        release();
        kind_ = o.kind_;
        host_ = o.host_;
        u_ = o.u_;
        enumType_ = std::move(o.enumType_);
        o.kind_ = Kind::Nil;
        o.host_ = nullptr;
        o.u_ = 0;
    }
    return *this;
}

Value::~Value() {
    release();
}

void Value::release() noexcept {
    if (host_ && hostAlive(host_)) {
        Host::Impl* I = host_->impl_;
        try {
            if (kind_ == Kind::String) I->unlockString(str_, "emu::Value release");
            if (kind_ == Kind::Object) {
                REALobject before = I->pending;
                I->unlockObject(obj_, "emu::Value release");
                // A destructor must not raise: nobody could catch it.
                if (I->pending != before) {
                    REALobject p = I->pending;
                    I->pending = before;
                    I->violation("an exception was raised inside a destructor");
                    I->unlockObject(p, "exception raised in a destructor");
                }
            }
        } catch (...) {
            I->violation("emu::Value release failed");
        }
    }
    kind_ = Kind::Nil;
    host_ = nullptr;
    u_ = 0;
}

Value Value::Bool(bool v) {
    Value r;
    r.kind_ = Kind::Boolean;
    r.u_ = 0;
    r.b_ = v;
    return r;
}

#define EMU_INT_FACTORY(Name, K, T, field) \
    Value Value::Name(T v) {               \
        Value r;                           \
        r.kind_ = Kind::K;                 \
        r.field = v;                       \
        return r;                          \
    }
EMU_INT_FACTORY(Integer, Integer, int64_t, i_)
EMU_INT_FACTORY(Int64, Int64, int64_t, i_)
EMU_INT_FACTORY(UInt64, UInt64, uint64_t, u_)
#undef EMU_INT_FACTORY

Value Value::Int32(int32_t v) {
    Value r;
    r.kind_ = Kind::Int32;
    r.i_ = v;
    return r;
}

Value Value::UInt32(uint32_t v) {
    Value r;
    r.kind_ = Kind::UInt32;
    r.u_ = v;
    return r;
}

Value Value::Single(float v) {
    Value r;
    r.kind_ = Kind::Single;
    r.u_ = 0;
    r.f_ = v;
    return r;
}

Value Value::Double(double v) {
    Value r;
    r.kind_ = Kind::Double;
    r.d_ = v;
    return r;
}

Value Value::Enum(std::string type, int64_t v) {
    Value r;
    r.kind_ = Kind::Enum;
    r.i_ = v;
    r.enumType_ = std::move(type);
    return r;
}

Value Value::AdoptString(Host& host, REALstring s) {
    Value r;
    r.kind_ = Kind::String;
    r.host_ = &host;
    r.u_ = 0;
    r.str_ = s;
    return r;
}

Value Value::AdoptObject(Host& host, REALobject o) {
    Value r;
    r.kind_ = Kind::Object;
    r.host_ = &host;
    r.u_ = 0;
    r.obj_ = o;
    return r;
}

bool Value::isNil() const {
    return kind_ == Kind::Nil || (kind_ == Kind::Object && !obj_) ||
           (kind_ == Kind::String && !str_);
}

// The name of a kind as error messages show it.
const char* kindName(Kind k) {
    switch (k) {
        case Kind::Nil:
            return "Nil";
        case Kind::Boolean:
            return "Boolean";
        case Kind::Integer:
            return "Integer";
        case Kind::Int32:
            return "Int32";
        case Kind::UInt32:
            return "UInt32";
        case Kind::Int64:
            return "Int64";
        case Kind::UInt64:
            return "UInt64";
        case Kind::Single:
            return "Single";
        case Kind::Double:
            return "Double";
        case Kind::String:
            return "String";
        case Kind::Object:
            return "Object";
        case Kind::Enum:
            return "Enum";
    }
    return "?";
}

namespace {

[[noreturn]] void wrongKind(const char* want, Kind have) {
    throw EmulatorError(std::string("emu::Value: asked for ") + want + " of a " + kindName(have) +
                        " value");
}
}  // namespace

bool Value::asBool() const {
    if (kind_ != Kind::Boolean) wrongKind("a Boolean", kind_);
    return b_;
}

int64_t Value::asInt() const {
    switch (kind_) {
        case Kind::Integer:
        case Kind::Int32:
        case Kind::Int64:
        case Kind::Enum:
            return i_;
        case Kind::UInt32:
        case Kind::UInt64:
            return static_cast<int64_t>(u_);
        default:
            wrongKind("an integer", kind_);
    }
}

uint64_t Value::asUInt() const {
    switch (kind_) {
        case Kind::Integer:
        case Kind::Int32:
        case Kind::Int64:
        case Kind::Enum:
            return static_cast<uint64_t>(i_);
        case Kind::UInt32:
        case Kind::UInt64:
            return u_;
        default:
            wrongKind("an integer", kind_);
    }
}

double Value::asDouble() const {
    switch (kind_) {
        case Kind::Single:
            return f_;
        case Kind::Double:
            return d_;
        case Kind::Integer:
        case Kind::Int32:
        case Kind::Int64:
            return static_cast<double>(i_);
        case Kind::UInt32:
        case Kind::UInt64:
            return static_cast<double>(u_);
        default:
            wrongKind("a number", kind_);
    }
}

float Value::asSingle() const {
    if (kind_ == Kind::Single) return f_;
    return static_cast<float>(asDouble());
}

std::string Value::asString() const {
    if (kind_ != Kind::String) wrongKind("a String", kind_);
    if (!str_) return "";
    if (!host_ || !hostAlive(host_)) throw EmulatorError("emu::Value: its Host is gone");
    Host::Impl* I = host_->impl_;
    StrRec* r = I->liveString(str_, "emu::Value::asString");
    if (!r) return "";
    std::string out;
    if (I->stringBytes(str_, kREALTextEncodingUTF8, out)) return out;
    // Only a string made unconvertible on purpose yields its raw bytes.
    if (!r->unconvertible)
        I->violation("emu::Value::asString: a string in encoding " + encodingName(r->encoding) +
                     " does not convert to UTF-8");
    return r->bytes;
}

std::string Value::className() const {
    if (kind_ != Kind::Object || !obj_ || !host_ || !hostAlive(host_)) return "";
    ObjRec* r = host_->impl_->findObject(obj_);
    return r ? r->cls->name : "";
}

HostException::HostException(Value exception_, Value returned_, std::string className_,
                             std::string message_, int64_t errorNumber_)
    : std::runtime_error(className_ + ": " + message_ + " (" + std::to_string(errorNumber_) + ")"),
      exception(std::move(exception_)),
      returned(std::move(returned_)),
      className(std::move(className_)),
      message(std::move(message_)),
      errorNumber(errorNumber_) {}

}  // namespace emu
