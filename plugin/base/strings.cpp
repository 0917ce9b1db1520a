#include "base/strings.h"

#include <climits>

#include "exceptions.h"

namespace {

// The host builds a String from a 32-bit length. The tests' copy of the
// plug-in lowers the limit so results over it need no gigabytes of text.
#ifdef TORVXML_TEST_STRING_LIMIT
constexpr size_t kResultLimit = TORVXML_TEST_STRING_LIMIT;
#else
constexpr size_t kResultLimit = static_cast<size_t>(INT_MAX);
#endif

}  // namespace

REALstring BuildString(const char* bytes, size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) return nullptr;
    return REALBuildStringWithEncoding(bytes ? bytes : "", static_cast<int>(length),
                                       kREALTextEncodingUTF8);
}

REALstring ResultString(const char* bytes, size_t length, RaiseAs raiseAs) {
    if (length <= kResultLimit) return BuildString(bytes, length);
    const char message[] = "Could not build the result string";
    if (raiseAs == RaiseAs::XPath)
        ThrowXPathException(message, 0, ErrorCode::OutOfMemory);
    else
        ThrowXmlException(message, ErrorCode::OutOfMemory);
    return nullptr;
}
