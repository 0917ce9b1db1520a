// The plug-in's image: the start-up phase, the check that registered records
// stay where the plug-in put them, and the guard around every call into
// plug-in code.
#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <typeinfo>

#include "internal.h"

namespace emu {

using namespace detail;

namespace {

// The sized data objects of an ELF file's symbol table, relocated by `base`.
// A stripped file has none: the table-extent check then has nothing to say.
std::vector<Host::Impl::Symbol> readDataObjects(const std::string& file) {
    std::vector<Host::Impl::Symbol> out;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::string b(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
    in.seekg(0);
    in.read(&b[0], static_cast<std::streamsize>(b.size()));
    if (b.size() < sizeof(Elf64_Ehdr) || std::memcmp(b.data(), ELFMAG, SELFMAG) != 0 ||
        b[EI_CLASS] != ELFCLASS64)
        return out;
    Elf64_Ehdr eh;
    std::memcpy(&eh, b.data(), sizeof eh);
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        size_t at = eh.e_shoff + i * sizeof(Elf64_Shdr);
        if (at + sizeof(Elf64_Shdr) > b.size()) break;
        Elf64_Shdr sh;
        std::memcpy(&sh, b.data() + at, sizeof sh);
        if (sh.sh_type != SHT_SYMTAB || sh.sh_offset + sh.sh_size > b.size()) continue;
        for (size_t k = 0; k + sizeof(Elf64_Sym) <= sh.sh_size; k += sizeof(Elf64_Sym)) {
            Elf64_Sym sym;
            std::memcpy(&sym, b.data() + sh.sh_offset + k, sizeof sym);
            if (ELF64_ST_TYPE(sym.st_info) == STT_OBJECT && sym.st_size > 0 &&
                sym.st_shndx != SHN_UNDEF)
                out.push_back({sym.st_value, sym.st_size});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& c) { return a.start < c.start; });
    return out;
}

std::vector<Host::Impl::Symbol> dataObjects(const std::string& file, uintptr_t base) {
    std::vector<Host::Impl::Symbol> out;
    if (file == "/proc/self/exe") {
        // The running program does not change: read its (large) table once.
        static const std::vector<Host::Impl::Symbol> self = readDataObjects(file);
        out = self;
    } else {
        out = readDataObjects(file);
    }
    for (auto& sym : out) sym.start += base;
    return out;
}

std::string currentExceptionName() {
    const std::type_info* t = abi::__cxa_current_exception_type();
    if (!t) return "(unknown type)";
    int status = 0;
    char* d = abi::__cxa_demangle(t->name(), nullptr, nullptr, &status);
    std::string name = status == 0 && d ? d : t->name();
    std::free(d);
    return name;
}

}  // namespace

void Host::Impl::startUp(REALPluginMainProc main, const void* imageAddress,
                         const std::string& file) {
    Dl_info info{};
    link_map* lm = nullptr;
    if (dladdr1(imageAddress, &info, reinterpret_cast<void**>(&lm), RTLD_DL_LINKMAP) && lm) {
        imageBase = info.dli_fbase;
        symbols = dataObjects(file, lm->l_addr);
    }
    loading = true;
    callGuarded("REALPluginMain", [&] { main(resolverProc()); });
    loading = false;
    startedUp = true;
    if (pending) {
        violation("an exception was raised during start-up and never handled");
        REALobject p = pending;
        pending = nullptr;
        unlockObject(p, "start-up");
    }
    finishRegistration();
}

bool Host::Impl::inImage(const void* p) const {
    Dl_info info{};
    return imageBase && dladdr(p, &info) && info.dli_fbase == imageBase;
}

size_t Host::Impl::extentAt(const void* p) const {
    auto at = reinterpret_cast<uintptr_t>(p);
    auto it = std::upper_bound(symbols.begin(), symbols.end(), at,
                               [](uintptr_t a, const Symbol& s) { return a < s.start; });
    if (it == symbols.begin()) return 0;
    --it;
    return at < it->start + it->size ? it->start + it->size - at : 0;
}

bool Host::Impl::keep(const void* p, size_t size, const std::string& what, size_t skipFrom,
                      size_t skipSize) {
    if (!p || !size || !imageBase) return true;
    if (!inImage(p)) {
        violation(what +
                  " lies outside the plug-in's image (on the stack or the heap); the "
                  "host keeps the pointer, so it must be static");
        return false;
    }
    // Fields the host itself writes are left out of the comparison.
    auto add = [&](size_t from, size_t n) {
        if (!n) return;
        const char* at = static_cast<const char*>(p) + from;
        kept.push_back({at, std::string(at, n), what, false});
    };
    if (skipSize) {
        add(0, skipFrom);
        add(skipFrom + skipSize, size - skipFrom - skipSize);
    } else {
        add(0, size);
    }
    return true;
}

void Host::Impl::checkKept() {
    for (KeptRecord& k : kept) {
        if (k.reported || std::memcmp(k.at, k.bytes.data(), k.bytes.size()) == 0) continue;
        k.reported = true;
        violation(k.what +
                  " was changed after registration; the host reads the plug-in's "
                  "record, not a copy");
    }
}

bool Host::Impl::callGuarded(const std::string& where, const std::function<void()>& call) {
    try {
        call();
        return true;
    } catch (const EmulatorError&) {
        throw;  // the emulator's own report, raised by an entry the plug-in called
    } catch (const std::exception& e) {
        violation("C++ exception " + currentExceptionName() + " (\"" + e.what() +
                  "\") escaped from " + where + " into the host");
    } catch (...) {
        violation("C++ exception " + currentExceptionName() + " escaped from " + where +
                  " into the host");
    }
    return false;
}

}  // namespace emu
