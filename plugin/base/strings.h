// Strings across the host boundary: always UTF-8, in both directions.
#pragma once

#include <cstddef>
#include <cstring>

#include "base/hostcalls.h"

// The UTF-8 bytes of a host String argument, released when this goes out of
// scope. A nil String reads as the empty text; ok() is false only when the
// host cannot supply the bytes.
class Utf8Arg {
public:
    explicit Utf8Arg(REALstring str) : ok_(REALGetStringData(str, kREALTextEncodingUTF8, &data_)) {}
    ~Utf8Arg() {
        if (ok_) REALDisposeStringData(&data_);
    }
    Utf8Arg(const Utf8Arg&) = delete;
    Utf8Arg& operator=(const Utf8Arg&) = delete;

    bool ok() const { return ok_; }
    // Zero-terminated (the host terminates the bytes it hands out).
    const char* c_str() const { return data_.data ? static_cast<const char*>(data_.data) : ""; }
    size_t size() const { return data_.data ? data_.length : 0; }

private:
    REALstringData data_{};
    bool ok_;
};

// A new host String holding `length` bytes of UTF-8; the caller owns it. The
// host takes a 32-bit length, so longer text cannot cross and yields nil.
REALstring BuildString(const char* bytes, size_t length);

// A new host String from zero-terminated text (nil pointer: the empty String).
inline REALstring BuildString(const char* text) {
    return BuildString(text ? text : "", text ? std::strlen(text) : 0);
}

// The exception class of the member whose result is being built.
enum class RaiseAs { Xml, XPath };

// A member's String result from `length` bytes of UTF-8. Text longer than
// the host can take raises "Could not build the result string" (-8) and
// yields nil, the empty String, so a failure never passes for an empty result.
REALstring ResultString(const char* bytes, size_t length, RaiseAs raiseAs = RaiseAs::Xml);

inline REALstring ResultString(const char* text, RaiseAs raiseAs = RaiseAs::Xml) {
    return ResultString(text ? text : "", text ? std::strlen(text) : 0, raiseAs);
}

// A host reference (a String or an object) released when this goes out of
// scope.
template <class Ref, void (*Unlock)(Ref)>
class HostRef {
public:
    HostRef() = default;
    explicit HostRef(Ref ref) : ref_(ref) {}
    ~HostRef() {
        if (ref_) Unlock(ref_);
    }
    HostRef(const HostRef&) = delete;
    HostRef& operator=(const HostRef&) = delete;
    Ref* out() { return &ref_; }
    Ref get() const { return ref_; }
    // Hands the reference to the caller (a member's result).
    Ref release() {
        Ref ref = ref_;
        ref_ = nullptr;
        return ref;
    }

private:
    Ref ref_ = nullptr;
};

using StringRef = HostRef<REALstring, REALUnlockString>;
using ObjectRef = HostRef<REALobject, REALUnlockObject>;
