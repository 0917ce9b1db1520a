// The plug-in's three exception classes and the one path every failure takes
// to host code. Raising does not unwind: the helper hands the exception to the
// host, which raises it in host code once the member returns, so the caller
// releases what it holds and returns its empty value.
#pragma once

#include <cstdint>

#include "base/errors.h"
#include "hostabi.h"

struct XPathExceptionData {
    int64_t Offset;
};

struct XmlParserExceptionData {
    int64_t status;
    int64_t Offset;
};

// The class records, registered beside the module by the entry unit.
extern REALclassDefinition XmlExceptionClass;
extern REALclassDefinition XPathExceptionClass;
extern REALclassDefinition XmlParserExceptionClass;

void ThrowXmlException(const char* message, ErrorCode code);
void ThrowXPathException(const char* message, int64_t offset, ErrorCode code);
void ThrowParserException(const char* message, int64_t offset, int64_t status, ErrorCode code);

// Which class a failure the library reports in its own terms becomes.
enum class FailureClass {
    Xml,    // TorvaneXmlException
    XPath,  // TorvaneXPathException: exhausted memory while compiling or evaluating
};

// The one translation of C++ exceptions into host exceptions; call it only
// from a catch block. pugixml's XPath errors carry their description and
// offset (-1); exhausted memory is -8 in `failureClass`; anything else is a
// TorvaneXmlException with -1.
void ReportCurrentException(FailureClass failureClass) noexcept;

// Runs the body of a member the host called so that no C++ exception can
// cross into the host: anything thrown becomes a host exception and the
// member answers `fallback`.
template <class R, class F>
R Shielded(R fallback, F&& body, FailureClass failureClass = FailureClass::Xml) noexcept {
    try {
        return body();
    } catch (...) {
        ReportCurrentException(failureClass);
    }
    return fallback;
}

template <class F>
void Shielded(F&& body, FailureClass failureClass = FailureClass::Xml) noexcept {
    try {
        body();
    } catch (...) {
        ReportCurrentException(failureClass);
    }
}

// Runs `body`, a step whose every failure counts as a refusal (false), for
// members that report a refusal in their own words.
template <class F>
bool Attempted(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return false;
    }
}
