#include "base/strings.h"

#include <climits>

REALstring BuildString(const char* bytes, size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) return nullptr;
    return REALBuildStringWithEncoding(bytes ? bytes : "", static_cast<int>(length),
                                       kREALTextEncodingUTF8);
}
