// The plug-in's three exception classes and the helpers through which every
// failure reaches host code. Raising does not unwind: the helper hands the
// exception to the host, which raises it in host code once the member
// returns, so the caller releases what it holds and returns its empty value.
#pragma once

#include <cstdint>
#include <exception>
#include <new>

#include "hostabi.h"

struct XPathExceptionData {
    int64_t Offset;
};

struct XmlParserExceptionData {
    int64_t status;
    int64_t Offset;
};

void ThrowXmlException(const char* message, int64_t errorCode);
void ThrowXPathException(const char* message, int64_t offset, int64_t errorCode);
void ThrowParserException(const char* message, int64_t offset, int64_t status, int64_t errorCode);

// Error code of every failure caused by exhausted memory.
constexpr int64_t kOutOfMemoryError = -8;

// Reports a C++ exception that reached a member's boundary as a host
// exception (TorvaneXmlException; -8 for exhausted memory).
void ReportEscapedException(const std::exception* e, bool outOfMemory) noexcept;

// Runs the body of a member the host called so that no C++ exception can
// cross into the host: anything thrown becomes a host exception and the
// member answers `fallback`.
template <class R, class F>
R Shielded(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc& e) {
        ReportEscapedException(&e, true);
    } catch (const std::exception& e) {
        ReportEscapedException(&e, false);
    } catch (...) {
        ReportEscapedException(nullptr, false);
    }
    return fallback;
}

template <class F>
void Shielded(F&& body) noexcept {
    try {
        body();
    } catch (const std::bad_alloc& e) {
        ReportEscapedException(&e, true);
    } catch (const std::exception& e) {
        ReportEscapedException(&e, false);
    } catch (...) {
        ReportEscapedException(nullptr, false);
    }
}
