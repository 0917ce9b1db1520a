// The plug-in's front door: the exported entry, the version gate and the
// registration of the module and the exception classes.
#include "datetime/iso8601.h"
#include "hostcalls.h"
#include "module.h"
#include "registration.h"

#if defined(WIN32) || defined(_WIN32)
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#elif defined(__GNUC__)
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define PLUGIN_EXPORT extern "C"
#endif

namespace {

constexpr double kFirstSupportedVersion = 2019.1;

// On a 2019.1 host the date members are not offered: they stand last in
// their tables, so shortening the counts hides exactly them.
void HideDateMembers() {
    // PluginEntry is exported: a second call must not shorten the tables twice.
    static bool hidden = false;
    if (hidden) return;
    hidden = true;
    DocumentClass.sharedMethodCount -= 3;
    TextClass.propertyCount -= 1;
    TextClass.methodCount -= 1;
    AttributeClass.propertyCount -= 1;
    AttributeClass.methodCount -= 1;
}

}  // namespace

PLUGIN_EXPORT void PluginEntry() {
    ResetDateTimeClassCaches();
    g_XojoVersion = REALGetRBVersion();
    // Written so that a version that does not compare (NaN) registers nothing.
    if (!(g_XojoVersion >= kFirstSupportedVersion)) return;
    if (g_XojoVersion == kFirstSupportedVersion)
        HideDateMembers();
    else
        AskForDateTimeClasses();
    REALRegisterModule(&TorvaneXmlModule);
    REALRegisterClass(&XmlExceptionClass);
    REALRegisterClass(&XPathExceptionClass);
    REALRegisterClass(&XmlParserExceptionClass);
}

PLUGIN_EXPORT void* HCallResolver(const char* entryName) {
    return gResolver ? gResolver(entryName) : nullptr;
}

PLUGIN_EXPORT void REALPluginMain(REALResolverProc resolver) {
    gResolver = resolver;
    // A host without the entry gets no announcement; registration goes on.
    auto announce = reinterpret_cast<RegisterPluginVersionProc>(
        resolver ? resolver("RegisterPluginVersion") : nullptr);
    if (announce) announce(kCurrentREALControlVersion);
    PluginEntry();
}
