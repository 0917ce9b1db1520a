// Loading a plug-in and answering its resolver; host lifetime and accounting.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "internal.h"

namespace emu {

using namespace detail;

namespace {

Host* g_current = nullptr;
std::set<const Host*>& liveHosts() {
    static std::set<const Host*> hosts;
    return hosts;
}

extern "C" void* emuResolve(const char* name) {
    Host::Impl* I = Host::Impl::cur();
    if (!I) return nullptr;
    if (!name) {
        I->violation("resolver asked for a null entry name");
        return nullptr;
    }
    ++I->asks[name];
    if (I->config.missingEntries.count(name)) return nullptr;
    for (int e = 0; e < E_Count; ++e)
        if (std::strcmp(kEntryNames[e], name) == 0) return entryAddress(e);
    I->violation(std::string("resolver asked for \"") + name +
                 "\", which the emulated host does not provide");
    return nullptr;
}

}  // namespace

REALResolverProc Host::Impl::resolverProc() {
    return &emuResolve;
}

Host::Impl* Host::Impl::cur() {
    return g_current ? g_current->impl_ : nullptr;
}

bool hostAlive(const Host* h) {
    return h && liveHosts().count(h) != 0;
}

Host::Host(HostConfig config) {
    if (g_current) throw EmulatorError("another emu::Host is still active");
    impl_ = new Impl(std::move(config));
    impl_->self = this;
    g_current = this;
    liveHosts().insert(this);
    impl_->addBuiltins();
}

Host::~Host() {
    if (impl_->pending) {
        REALobject p = impl_->pending;
        impl_->pending = nullptr;
        impl_->unlockObject(p, "host shutdown");
    }
    impl_->freeAll();
    if (impl_->dl) dlclose(impl_->dl);
    if (!impl_->tempPath.empty()) ::unlink(impl_->tempPath.c_str());
    liveHosts().erase(this);
    if (g_current == this) g_current = nullptr;
    delete impl_;
}

void Host::load(const std::string& pluginPath) {
    if (impl_->dl || impl_->startedUp)
        throw EmulatorError("Host::load: a plug-in is already loaded");
    // A fresh copy per host, so that the plug-in's statics start anew.
    std::ifstream in(pluginPath, std::ios::binary);
    if (!in) throw EmulatorError("Host::load: cannot read " + pluginPath);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/torvxml-plugin-XXXXXX.so";
    std::vector<char> path(templ.begin(), templ.end());
    path.push_back(0);
    int fd = ::mkstemps(path.data(), 3);
    if (fd < 0) throw EmulatorError("Host::load: cannot make a temporary copy");
    const std::string& b = bytes.str();
    size_t done = 0;
    while (done < b.size()) {
        ssize_t n = ::write(fd, b.data() + done, b.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    impl_->tempPath = path.data();
    if (done != b.size()) throw EmulatorError("Host::load: cannot write the temporary copy");
    void* dl = dlopen(impl_->tempPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        const char* err = dlerror();
        throw EmulatorError("Host::load: dlopen failed: " + std::string(err ? err : "?"));
    }
    impl_->dl = dl;
    auto main = reinterpret_cast<REALPluginMainProc>(dlsym(dl, "REALPluginMain"));
    if (!main) throw EmulatorError("Host::load: " + pluginPath + " exports no REALPluginMain");
    if (impl_->config.beforeStartUp) impl_->config.beforeStartUp(dl);
    impl_->startUp(main, reinterpret_cast<const void*>(main), impl_->tempPath);
}

void Host::loadLinked(REALPluginMainProc main) {
    if (impl_->dl || impl_->startedUp) throw EmulatorError("Host::loadLinked: already started");
    if (!main) throw EmulatorError("Host::loadLinked: no REALPluginMain");
    impl_->startUp(main, reinterpret_cast<const void*>(main), "/proc/self/exe");
}

const HostConfig& Host::config() const {
    return impl_->config;
}
const Registry& Host::registry() const {
    return impl_->registry;
}
int Host::announcedVersion() const {
    return impl_->announced;
}

size_t Host::resolverAsks(const std::string& entryName) const {
    auto it = impl_->asks.find(entryName);
    return it == impl_->asks.end() ? 0 : it->second;
}

size_t Host::entryCalls(const std::string& entryName) const {
    for (int e = 0; e < E_Count; ++e)
        if (entryName == kEntryNames[e]) return impl_->calls[static_cast<size_t>(e)];
    return 0;
}

REALResolverProc Host::resolver() const {
    return &emuResolve;
}
Host* Host::current() {
    return g_current;
}

void Host::releaseQuarantine() {
    impl_->releaseQuarantine();
}

size_t Host::quarantined() const {
    return impl_->objQuarantine.size() + impl_->strQuarantine.size();
}

void Host::nameClass(const std::string& className) {
    impl_->namedByHost.insert(lower(className));
}

std::vector<std::string> Host::classesAskedWhileLoading() const {
    return impl_->askedAtLoadInOrder;
}

std::vector<std::string> Host::takeViolations() {
    impl_->finishRegistration();
    std::vector<std::string> v;
    v.swap(impl_->violations);
    return v;
}

LeakReport Host::leaks() const {
    impl_->finishRegistration();
    impl_->checkKept();
    LeakReport r;
    for (auto& [p, rec] : impl_->objects) {
        if (rec.dead) {
            impl_->checkDeadPattern(p, rec);
        } else {
            ++r.liveObjects[rec.cls->name];
            impl_->checkCanaries(p, rec);
        }
    }
    for (auto& [p, rec] : impl_->strings) {
        (void)p;
        if (!rec.dead) ++r.liveStrings;
    }
    r.outstandingStringData = static_cast<int64_t>(impl_->stringData.size());
    r.violations = impl_->violations;
    return r;
}

bool LeakReport::clean() const {
    return liveObjects.empty() && liveStrings == 0 && outstandingStringData == 0 &&
           violations.empty();
}

std::string LeakReport::describe() const {
    if (clean()) return "";
    std::ostringstream o;
    for (auto& [cls, n] : liveObjects) o << "live objects of " << cls << ": " << n << "\n";
    if (liveStrings) o << "live strings: " << liveStrings << "\n";
    if (outstandingStringData)
        o << "string data records not disposed: " << outstandingStringData << "\n";
    for (const std::string& v : violations) o << "violation: " << v << "\n";
    return o.str();
}

}  // namespace emu
