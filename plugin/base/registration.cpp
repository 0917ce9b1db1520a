#include "base/registration.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// True when `text` names the host type DateTime as a whole word.
bool NamesDateTime(const char* text) {
    static const char kType[] = "DateTime";
    const size_t length = sizeof(kType) - 1;
    for (const char* at = text ? std::strstr(text, kType) : nullptr; at;
         at = std::strstr(at + 1, kType)) {
        const bool startsWord =
            at == text || !(std::isalnum(static_cast<unsigned char>(at[-1])) || at[-1] == '_');
        const char after = at[length];
        const bool endsWord = !(std::isalnum(static_cast<unsigned char>(after)) || after == '_');
        if (startsWord && endsWord) return true;
    }
    return false;
}

// Moves the entries `uses` picks behind the others among the first `count`,
// each group in its order (rotations: nothing to allocate); answers how many
// stay in front.
template <class Entry, class Count, class Uses>
Count KeepWithout(Entry* entries, Count count, Uses uses) {
    if (!entries) return count;
    Count kept = 0;
    for (Count i = 0; i < count; ++i) {
        if (uses(entries[i])) continue;
        std::rotate(entries + kept, entries + i, entries + i + 1);
        ++kept;
    }
    return kept;
}

}  // namespace

void HideDateTimeMembers(REALclassDefinition& d) {
    auto method = [](const REALmethodDefinition& m) { return NamesDateTime(m.declaration); };
    auto property = [](const REALproperty& p) { return NamesDateTime(p.type); };
    d.propertyCount = KeepWithout(d.properties, d.propertyCount, property);
    d.methodCount = KeepWithout(d.methods, d.methodCount, method);
    d.sharedPropertyCount = KeepWithout(d.sharedProperties, d.sharedPropertyCount, property);
    d.sharedMethodCount = KeepWithout(d.sharedMethods, d.sharedMethodCount, method);
}
