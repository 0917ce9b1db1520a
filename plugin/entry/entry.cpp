// The plug-in's front door: the exported entry, the version gate and the
// registration of the module and the exception classes.
#include "base/exceptions.h"
#include "base/hostcalls.h"
#include "base/registration.h"
#include "datetime/iso8601.h"
#include "entry/module.h"

#if defined(WIN32) || defined(_WIN32)
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#elif defined(__GNUC__)
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define PLUGIN_EXPORT extern "C"
#endif

namespace {

constexpr double kFirstSupportedVersion = 2019.1;

// A 2019.1 host has no DateTime: the members naming it are not offered.
void HideDateTimeMembers(REALmoduleDefinition& module) {
    for (size_t i = 0; i < module.classesCount; ++i) HideDateTimeMembers(*module.classes[i]);
}

}  // namespace

PLUGIN_EXPORT void PluginEntry() {
    ResetDateTimeClassCaches();
    gXojoVersion = REALGetRBVersion();
    // Written so that a version that does not compare (NaN) registers nothing.
    if (!(gXojoVersion >= kFirstSupportedVersion)) return;
    if (gXojoVersion == kFirstSupportedVersion)
        HideDateTimeMembers(TorvaneXmlModule);
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
