// Registration: every record the plug-in hands over is checked the way a
// strict host would, and every fault becomes a violation instead of a crash.
// Superclasses and declaration types are resolved once everything is in,
// since a class may name a superclass or a type registered after it.
#include <cctype>
#include <cstddef>
#include <cstring>

#include "internal.h"

namespace emu {

using namespace detail;

namespace {

constexpr size_t kSaneCount = 100000;
constexpr uint32_t kKnownFlags = 0x7FF;
// Bit 0 is the deprecated property flag; methods and constants have no use for it.
constexpr uint32_t kKnownMemberFlags = 0x7FE;
constexpr uint32_t kTargetBits =
    REALconsoleSafe | REALconsoleOnly | REALwebOnly | REALTargetDesktop | REALTargetIOS;
constexpr uint32_t kGuiTargets = REALwebOnly | REALTargetDesktop | REALTargetIOS;
constexpr uint32_t kScopeBits =
    REALScopeGlobal | REALScopePublic | REALScopeProtected | REALScopePrivate;

bool isIdentifier(const char* s) {
    if (!s || !*s) return false;
    if (!(std::isalpha(static_cast<unsigned char>(*s)) || *s == '_')) return false;
    for (const char* p = s + 1; *p; ++p)
        if (!(std::isalnum(static_cast<unsigned char>(*p)) || *p == '_')) return false;
    return true;
}

const REALproc kStandard = REALstandardGetter;

}  // namespace

bool ClassInfo::implements(const std::string& iface) const {
    for (const ClassInfo* c = this; c; c = c->super)
        for (const std::string& i : c->interfaces)
            if (iequals(i, iface)) return true;
    return false;
}

ClassInfo* Host::Impl::findClass(std::string_view name) const {
    auto it = classByName.find(lower(name));
    return it == classByName.end() ? nullptr : it->second;
}

EnumInfo* Host::Impl::findEnum(std::string_view name) const {
    auto it = enumByName.find(lower(name));
    return it == enumByName.end() ? nullptr : it->second;
}

ModuleInfo* Host::Impl::findModule(std::string_view name) const {
    for (auto& m : modules)
        if (iequals(m->name, name)) return m.get();
    return nullptr;
}

const RegisteredClass* Registry::findClass(std::string_view name) const {
    for (const RegisteredClass& c : classes)
        if (iequals(c.name, name)) return &c;
    return nullptr;
}

const RegisteredModule* Registry::findModule(std::string_view name) const {
    for (const RegisteredModule& m : modules)
        if (iequals(m.name, name)) return &m;
    return nullptr;
}

namespace {

RegisteredMethod registered(const REALmethodDefinition& md) {
    RegisteredMethod r;
    r.declaration = md.declaration ? md.declaration : "";
    r.flags = md.mFlags;
    if (md.attributes && md.attributeCount <= kSaneCount) {
        for (size_t i = 0; i < md.attributeCount; ++i) {
            r.attributes.emplace_back(md.attributes[i].mName ? md.attributes[i].mName : "",
                                      md.attributes[i].mValue ? md.attributes[i].mValue : "");
        }
    }
    return r;
}

RegisteredProperty registered(const REALproperty& p) {
    RegisteredProperty r;
    r.name = p.name ? p.name : "";
    r.type = p.type ? p.type : "";
    r.flags = p.flags;
    r.standardGetter = p.getter == kStandard;
    r.hasGetter = p.getter != nullptr;
    r.hasSetter = p.setter != nullptr;
    r.standardSetter = p.setter == kStandard;
    r.param = p.param;
    return r;
}

struct Checker {
    Host::Impl& I;

    void flags(uint32_t f, const std::string& where) {
        if (f & ~kKnownFlags) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "0x%X", f);
            I.violation(where + ": unknown flag bits in " + buf);
        }
        uint32_t scope = f & kScopeBits;
        if (scope & (scope - 1)) I.violation(where + ": more than one scope flag");
    }

    // A member the host can place in no target, or in targets that exclude
    // each other (console-only and a GUI target), is never compiled in.
    void memberFlags(uint32_t f, uint32_t known, const std::string& where) {
        flags(f, where);
        if (f & kKnownFlags & ~known)
            I.violation(where + ": flag bits " + encodingName(f & kKnownFlags & ~known) +
                        " are not defined for this kind of member");
        if (!(f & kTargetBits))
            I.violation(where + ": no target bit (console-safe 0x4 or a target)");
        if ((f & REALconsoleOnly) && (f & kGuiTargets))
            I.violation(where + ": console-only together with a GUI target");
    }

    // A string the host keeps a pointer to.
    void text(const char* s, const std::string& what) {
        if (s) I.keep(s, std::strlen(s) + 1, what + " \"" + s + "\"");
    }

    template <class T>
    bool table(const T* t, size_t count, const std::string& where, const char* what) {
        if (count > kSaneCount) {
            I.violation(where + ": " + what + " count " + std::to_string(count) +
                        " is not plausible");
            return false;
        }
        if (count > 0 && !t) {
            I.violation(where + ": " + what + " count is " + std::to_string(count) +
                        " but the table is null");
            return false;
        }
        if (count == 0) return true;
        size_t room = I.extentAt(t) / sizeof(T);
        if (I.extentAt(t) && count > room) {
            I.violation(where + ": " + what + " count " + std::to_string(count) +
                        " runs past the end of its table (room for " + std::to_string(room) + ")");
            return false;
        }
        I.keep(t, count * sizeof(T), where + ": the " + what + " table");
        return true;
    }

    std::vector<std::pair<std::string, std::string>> attributes(const REALattribute* a, size_t n,
                                                                const std::string& where) {
        std::vector<std::pair<std::string, std::string>> out;
        if (!table(a, n, where, "attribute")) return out;
        for (size_t i = 0; i < n; ++i) {
            if (!a[i].mName || !*a[i].mName) {
                I.violation(where + ": attribute " + std::to_string(i) + " has no name");
                continue;
            }
            text(a[i].mName, where + ": attribute name");
            text(a[i].mValue, where + ": attribute value");
            if (!a[i].mValue) {
                I.violation(where + ": attribute '" + std::string(a[i].mName) +
                            "' has a null value");
            }
            out.emplace_back(a[i].mName, a[i].mValue ? a[i].mValue : "");
        }
        return out;
    }

    std::unique_ptr<MethodInfo> method(const REALmethodDefinition& md, ClassInfo* owner,
                                       bool shared, const std::string& scope,
                                       const std::string& where) {
        if (!md.declaration) {
            I.violation(where + ": null declaration");
            return nullptr;
        }
        std::string w = where + " \"" + md.declaration + "\"";
        text(md.declaration, where + ": declaration");
        auto m = std::make_unique<MethodInfo>();
        m->declaration = md.declaration;
        m->fn = md.function;
        m->setter = md.setterFunction;
        m->flags = md.mFlags;
        m->shared = shared;
        m->owner = owner;
        m->scope = scope;
        m->where = w;
        std::string err;
        m->parsed = parseMethodDecl(md.declaration, m->decl, err);
        if (!m->parsed) I.violation(w + ": declaration does not parse: " + err);
        if (!md.function) I.violation(w + ": no function");
        if (md.function == kStandard || md.setterFunction == kStandard)
            I.violation(w + ": the standard accessor marker is not a function");
        memberFlags(md.mFlags, kKnownMemberFlags, w);
        attributes(md.attributes, md.attributeCount, w);
        if (m->parsed) {
            m->key = signatureKey(m->decl);
            m->pkey = paramKey(m->decl);
        }
        return m;
    }

    std::unique_ptr<PropInfo> property(const REALproperty& pr, ClassInfo* owner, bool shared,
                                       const std::string& scope, const std::string& where) {
        if (!isIdentifier(pr.name)) {
            I.violation(where + ": property name '" + std::string(pr.name ? pr.name : "(null)") +
                        "' is not an identifier");
            return nullptr;
        }
        std::string w = where + " property " + pr.name;
        text(pr.name, w + ": name");
        text(pr.type, w + ": type");
        text(pr.group, w + ": group");
        auto p = std::make_unique<PropInfo>();
        p->name = pr.name;
        p->typeText = pr.type ? pr.type : "";
        p->flags = pr.flags;
        p->getter = pr.getter;
        p->setter = pr.setter;
        p->param = pr.param;
        p->shared = shared;
        p->owner = owner;
        p->scope = scope;
        p->where = w;
        if (!pr.type || !*pr.type) I.violation(w + ": no type");
        if (!pr.getter) I.violation(w + ": no getter");
        if (shared && (pr.getter == kStandard || pr.setter == kStandard))
            I.violation(w + ": the standard getter and setter cannot serve a shared property");
        if (pr.enumCount > 0) table(pr.enumEntries, pr.enumCount, w, "editor enumeration");
        memberFlags(pr.flags, kKnownFlags, w);
        attributes(pr.attributes, pr.attributeCount, w);
        return p;
    }

    void constant(const REALconstant& c, const std::string& where,
                  std::vector<RegisteredConstant>& out) {
        if (!c.declaration) {
            I.violation(where + ": null constant declaration");
            return;
        }
        text(c.declaration, where + ": constant");
        ParsedConstant pc;
        std::string err;
        if (!parseConstantDecl(c.declaration, pc, err))
            I.violation(where + " constant \"" + c.declaration + "\": " + err);
        memberFlags(c.mFlags, kKnownMemberFlags, where + " constant " + c.declaration);
        attributes(c.attributes, c.attributeCount, where);
        out.push_back({c.declaration, c.mFlags});
    }

    void enumeration(const REALenum& e, const std::string& qualifier, const std::string& where,
                     std::vector<RegisteredEnum>& out) {
        if (!isIdentifier(e.name)) {
            I.violation(where + ": enumeration name '" + std::string(e.name ? e.name : "(null)") +
                        "' is not an identifier");
            return;
        }
        std::string qname = qualifier.empty() ? e.name : qualifier + "." + e.name;
        std::string w = where + " enumeration " + qname;
        if (I.findEnum(qname) || I.findClass(qname)) {
            I.violation(w + ": registered twice");
            return;
        }
        text(e.name, w + ": name");
        text(e.type, w + ": type");
        auto info = std::make_unique<EnumInfo>();
        info->name = qname;
        info->typeText = e.type ? e.type : "";
        std::string t = lower(trim(info->typeText));
        static const std::pair<const char*, Cat> kBases[] = {
            {"", Cat::Integer},      {"integer", Cat::Integer}, {"int8", Cat::Int8},
            {"int16", Cat::Int16},   {"int32", Cat::Int32},     {"int64", Cat::Int64},
            {"uint8", Cat::UInt8},   {"byte", Cat::UInt8},      {"uint16", Cat::UInt16},
            {"uint32", Cat::UInt32}, {"uint64", Cat::UInt64},   {"uinteger", Cat::UInt64}};
        bool known = false;
        for (auto& [n, c] : kBases) {
            if (t == n) {
                info->base = c;
                known = true;
            }
        }
        if (!known) I.violation(w + ": base type '" + info->typeText + "' is not an integer type");
        flags(e.mFlags, w);
        attributes(e.attributes, e.attributeCount, w);
        RegisteredEnum re{e.name, info->typeText, e.mFlags, {}};
        if (table(e.fields, e.numFields, w, "entry")) {
            int64_t next = 0;
            for (size_t i = 0; i < e.numFields; ++i) {
                if (!e.fields[i]) {
                    I.violation(w + ": entry " + std::to_string(i) + " is null");
                    continue;
                }
                text(e.fields[i], w + ": entry");
                re.entries.push_back(e.fields[i]);
                ParsedEnumEntry pe;
                std::string err;
                if (!parseEnumEntry(e.fields[i], pe, err)) {
                    I.violation(w + " entry \"" + e.fields[i] + "\": " + err);
                    continue;
                }
                int64_t v = pe.hasValue ? pe.value : next;
                next = v + 1;
                for (auto& [n, val] : info->entries) {
                    (void)val;
                    if (iequals(n, pe.name)) I.violation(w + ": entry " + pe.name + " repeated");
                }
                info->entries.emplace_back(pe.name, v);
            }
        }
        out.push_back(std::move(re));
        I.enumByName[lower(qname)] = info.get();
        I.enums.push_back(std::move(info));
    }

    // ---- whole tables: the count is checked against the table first

    void properties(const REALproperty* t, size_t n, ClassInfo* owner, bool shared,
                    const std::string& scope, const std::string& where, const char* what,
                    std::vector<std::unique_ptr<PropInfo>>& into,
                    std::vector<RegisteredProperty>& reg) {
        if (!table(t, n, where, what)) return;
        size_t first = into.size();
        for (size_t i = 0; i < n; ++i) {
            auto p = property(t[i], owner, shared, scope, where);
            reg.push_back(registered(t[i]));
            if (!p) continue;
            for (size_t k = first; k < into.size(); ++k)
                if (iequals(into[k]->name, p->name))
                    I.violation(p->where + ": the same name is registered twice in one table");
            into.push_back(std::move(p));
        }
    }

    // One table of methods; two entries with the same parameters cannot both
    // be called, so a repeat is a fault.
    void methods(const REALmethodDefinition* t, size_t n, ClassInfo* owner, bool shared,
                 const std::string& scope, const std::string& where, const char* what,
                 std::vector<std::unique_ptr<MethodInfo>>& into,
                 std::vector<RegisteredMethod>& reg) {
        if (!table(t, n, where, what)) return;
        for (size_t i = 0; i < n; ++i) {
            auto m =
                method(t[i], owner, shared, scope, where + " " + what + " " + std::to_string(i));
            reg.push_back(registered(t[i]));
            if (!m) continue;
            for (auto& other : into) {
                if (!m->parsed || !other->parsed) continue;
                if (other->key == m->key)
                    I.violation(m->where + ": the same declaration is registered twice");
                else if (iequals(other->decl.name, m->decl.name) && other->pkey == m->pkey)
                    I.violation(m->where + ": same parameters as \"" + other->declaration + "\"");
            }
            into.push_back(std::move(m));
        }
    }

    void constants(const REALconstant* t, size_t n, const std::string& where,
                   std::vector<RegisteredConstant>& out) {
        if (!table(t, n, where, "constant")) return;
        size_t first = out.size();
        for (size_t i = 0; i < n; ++i) constant(t[i], where, out);
        std::vector<std::string> names;
        for (size_t k = first; k < out.size(); ++k) {
            ParsedConstant pc;
            std::string err;
            if (!parseConstantDecl(out[k].declaration, pc, err)) continue;
            for (const std::string& n2 : names)
                if (iequals(n2, pc.name))
                    I.violation(where + ": constant " + pc.name + " is registered twice");
            names.push_back(pc.name);
        }
    }

    void enumerations(const REALenum* t, size_t n, const std::string& qualifier,
                      const std::string& where, std::vector<RegisteredEnum>& out) {
        if (!table(t, n, where, "enumeration")) return;
        for (size_t i = 0; i < n; ++i) enumeration(t[i], qualifier, where, out);
    }

    // Events and delegates: the host only needs their declarations to parse.
    template <class T>
    void declarations(const T* t, size_t n, const std::string& where, const char* what) {
        if (!table(t, n, where, what)) return;
        for (size_t i = 0; i < n; ++i) {
            ParsedDecl d;
            std::string err = "null declaration";
            if (!t[i].declaration || !parseMethodDecl(t[i].declaration, d, err))
                I.violation(where + ": " + what + " " + std::to_string(i) +
                            " does not parse: " + err);
        }
    }

    // Sections the emulated host does not model: reported when present.
    template <class T>
    void unsupported(const T* t, size_t n, const std::string& where, const char* what) {
        if (table(t, n, where, what) && n > 0)
            I.violation(where + ": " + what + "s are not supported by the emulated host");
    }
};

}  // namespace

namespace {

// A record's header: non-null, the current version, an identifier as name.
// Answers the qualified name, or "" after reporting why it is refused.
template <class Def>
std::string admitted(Host::Impl& I, const Def* def, const std::string& outer, const char* kind,
                     const char* entry) {
    if (!def) {
        I.violation(std::string(entry) + ": null " + kind + " definition");
        return "";
    }
    std::string where = std::string(kind) + " " + (def->name ? def->name : "(null)");
    if (def->version != kCurrentREALControlVersion) {
        I.violation(where + ": record version " + std::to_string(def->version) + ", expected " +
                    std::to_string(kCurrentREALControlVersion) + "; not registered");
        return "";
    }
    if (!isIdentifier(def->name)) {
        I.violation(where + ": the " + kind + " name is not an identifier; not registered");
        return "";
    }
    return outer.empty() ? std::string(def->name) : outer + "." + def->name;
}

// The class record's own fields, before any of its tables.
std::unique_ptr<ClassInfo> classHeader(Host::Impl& I, REALclassDefinition* def,
                                       const std::string& qname, const std::string& moduleName,
                                       const std::string& where) {
    auto cls = std::make_unique<ClassInfo>();
    cls->name = qname;
    cls->moduleName = moduleName;
    cls->def = def;
    cls->dataSize = def->dataSize;
    cls->initializer = def->constructor;
    cls->destructor = def->destructor;
    if (def->superName) {
        cls->superName = def->superName;
        if (cls->superName.empty()) I.violation(where + ": empty superclass name (use null)");
    }
    if (def->dataSize > (size_t(1) << 20))
        I.violation(where + ": data size " + std::to_string(def->dataSize) + " is not plausible");
    if (def->constructor == kStandard || def->destructor == kStandard)
        I.violation(where + ": the standard accessor marker is not a function");
    if (def->forSystemUse != 0)
        I.violation(where + ": the host-reserved field is not 0 at registration");
    Checker ck{I};
    ck.flags(def->mFlags, where);
    if (def->mFlags == 0) I.violation(where + ": class flags 0: the class is in no target");
    ck.text(def->name, where + ": name");
    ck.text(def->superName, where + ": superclass name");
    ck.text(def->interfaces, where + ": interface list");
    return cls;
}

// "Iterator,Iterable": the only interfaces the emulated host knows.
void classInterfaces(Host::Impl& I, ClassInfo& cls, const char* list, const std::string& where) {
    if (!list || !*list) return;  // "" declares no interface, like null
    std::string_view rest = list;
    for (;;) {
        size_t e = rest.find(',');
        std::string name = trim(rest.substr(0, e));
        if (name.empty()) {
            I.violation(where + ": empty name in the interface list \"" + std::string(list) + "\"");
        } else if (!iequals(name, "Iterator") && !iequals(name, "Iterable")) {
            I.violation(where + ": unknown interface '" + name + "'");
        } else {
            cls.interfaces.push_back(name);
        }
        if (e == std::string_view::npos) break;
        rest = rest.substr(e + 1);
    }
}

// The host's For Each needs the protocol members of the interfaces a class claims.
void protocolMembers(Host::Impl& I, const ClassInfo& cls, const std::string& where) {
    static const std::pair<const char*, const char*> kNeeds[] = {
        {"Iterator", "MoveNext() as Boolean"},
        {"Iterator", "Value() as Variant"},
        {"Iterable", "Iterator() as Iterator"}};
    for (const auto& [iface, decl] : kNeeds) {
        if (!cls.implements(iface)) continue;
        ParsedDecl want;
        std::string err;
        parseMethodDecl(decl, want, err);
        std::string key = signatureKey(want);
        bool found = false;
        for (auto& m : cls.methods) found = found || (m->parsed && m->key == key);
        if (!found) I.violation(where + ": implements " + iface + " but has no \"" + decl + "\"");
    }
}

}  // namespace

void Host::Impl::registerClass(REALclassDefinition* def, const std::string& moduleName) {
    std::string qname = admitted(*this, def, moduleName, "class", "PluginRegisterClass");
    if (qname.empty()) return;
    std::string where = "class " + qname;
    if (classByDef.count(def)) {
        violation(where + ": the same definition record registered twice");
        return;
    }
    if (findClass(qname) || findEnum(qname)) {
        violation(where + ": a class of that name is already registered");
        return;
    }
    // The host writes the class's data offset into forSystemUse itself.
    if (!keep(def, sizeof *def, where + ": the class record",
              offsetof(REALclassDefinition, forSystemUse), sizeof def->forSystemUse)) {
        violation(where + ": not registered");
        return;
    }
    std::unique_ptr<ClassInfo> c = classHeader(*this, def, qname, moduleName, where);
    ClassInfo* cls = c.get();
    Checker ck{*this};
    RegisteredClass rc;
    rc.name = qname;
    rc.superName = cls->superName;
    rc.dataSize = def->dataSize;
    rc.flags = def->mFlags;
    rc.interfacesNull = def->interfaces == nullptr;
    rc.interfaces = def->interfaces ? def->interfaces : "";
    rc.hasDestructor = def->destructor != nullptr;
    rc.definition = def;
    rc.attributes = ck.attributes(def->attributes, def->attributeCount, where);
    classInterfaces(*this, *cls, def->interfaces, where);

    ck.properties(def->properties, def->propertyCount, cls, false, moduleName, where, "property",
                  cls->props, rc.properties);
    ck.properties(def->sharedProperties, def->sharedPropertyCount, cls, true, moduleName, where,
                  "shared property", cls->sharedProps, rc.sharedProperties);
    ck.methods(def->methods, def->methodCount, cls, false, moduleName, where, "method",
               cls->methods, rc.methods);
    ck.methods(def->sharedMethods, def->sharedMethodCount, cls, true, moduleName, where,
               "shared method", cls->sharedMethods, rc.sharedMethods);
    ck.declarations(def->events, def->eventCount, where, "event");
    if (ck.table(def->eventInstances, def->eventInstanceCount, where, "event instance")) {
        for (size_t i = 0; i < def->eventInstanceCount; ++i) {
            if (!def->eventInstances[i].name || !def->eventInstances[i].implementation)
                violation(where + ": event instance " + std::to_string(i) + " is incomplete");
        }
    }
    ck.constants(def->constants, def->constantCount, where, rc.constants);
    ck.declarations(def->delegates, def->delegateCount, where, "delegate");
    ck.enumerations(def->enums, def->enumCount, qname, where, rc.enums);
    protocolMembers(*this, *cls, where);

    cls->registryIndex = static_cast<int>(registry.classes.size());
    registry.classes.push_back(std::move(rc));
    classByName[lower(qname)] = cls;
    classByDef[def] = cls;
    classes.push_back(std::move(c));
    layoutPending();
}

void Host::Impl::registerModule(REALmoduleDefinition* def, const std::string& outer) {
    std::string qname = admitted(*this, def, outer, "module", "PluginRegisterModule");
    if (qname.empty()) return;
    std::string where = "module " + qname;
    for (const REALmoduleDefinition* d : moduleDefs) {
        if (d == def) {
            violation(where + ": the same module record registered twice");
            return;
        }
    }
    if (findModule(qname)) {
        violation(where + ": a module of that name is already registered");
        return;
    }
    if (!keep(def, sizeof *def, where + ": the module record")) {
        violation(where + ": not registered");
        return;
    }
    moduleDefs.push_back(def);
    Checker ck{*this};
    ck.text(def->name, where + ": name");
    auto mod = std::make_unique<ModuleInfo>();
    mod->name = qname;
    RegisteredModule rm;
    rm.name = qname;
    rm.attributes = ck.attributes(def->attributes, def->attributeCount, where);
    ck.methods(def->methods, def->methodCount, nullptr, true, qname, where, "method", mod->methods,
               rm.methods);
    ck.constants(def->constants, def->constantCount, where, rm.constants);
    ck.properties(def->properties, def->propertyCount, nullptr, true, qname, where, "property",
                  mod->props, rm.properties);
    ck.unsupported(def->structures, def->structureCount, where, "structure");
    ck.enumerations(def->enums, def->enumCount, qname, where, rm.enums);
    ck.declarations(def->delegates, def->delegateCount, where, "delegate");
    ck.unsupported(def->interfaces, def->interfaceCount, where, "module interface");
    ck.unsupported(def->controls, def->controlCount, where, "control");
    size_t modIndex = registry.modules.size();
    registry.modules.push_back(std::move(rm));
    modules.push_back(std::move(mod));
    registerModuleClasses(def, qname, modIndex);
    if (ck.table(def->modules, def->moduleCount, where, "module")) {
        for (size_t i = 0; i < def->moduleCount; ++i) registerModule(def->modules[i], qname);
    }
}

// Classes in a module's namespace, in the module's order.
void Host::Impl::registerModuleClasses(REALmoduleDefinition* def, const std::string& qname,
                                       size_t modIndex) {
    std::string where = "module " + qname;
    if (!Checker{*this}.table(def->classes, def->classesCount, where, "class")) return;
    for (size_t i = 0; i < def->classesCount; ++i) {
        REALclassDefinition* cd = def->classes[i];
        if (!cd) {
            violation(where + ": class pointer " + std::to_string(i) + " is null");
            continue;
        }
        size_t before = registry.classes.size();
        registerClass(cd, qname);
        if (registry.classes.size() > before)
            registry.modules[modIndex].classes.push_back(registry.classes.back().name);
    }
}

void Host::Impl::layoutPending() {
    bool progress = true;
    while (progress) {
        progress = false;
        for (auto& c : classes) {
            if (c->laidOut) continue;
            ClassInfo* sup = nullptr;
            if (!c->superName.empty()) {
                sup = findClass(c->superName);
                if (!sup && !c->moduleName.empty())
                    sup = findClass(c->moduleName + "." + c->superName);
                if (!sup || !sup->laidOut) continue;
            }
            c->super = sup;
            c->offset = blockOffset(sup ? sup->instanceSize : 0);
            c->instanceSize = c->offset + c->dataSize;
            c->laidOut = true;
            // Where REALGetClassData finds this class's block in every instance.
            if (c->def) c->def->forSystemUse = static_cast<RBInteger>(c->offset);
            progress = true;
        }
    }
}

bool Host::Impl::resolveType(const std::string& text, bool array, const std::string& scope,
                             TypeRef& out) {
    out = TypeRef{};
    out.name = text;
    out.array = array;
    if (array) return false;
    static const std::pair<const char*, Cat> kPrim[] = {
        {"boolean", Cat::Boolean},    {"integer", Cat::Integer},   {"int8", Cat::Int8},
        {"int16", Cat::Int16},        {"int32", Cat::Int32},       {"int64", Cat::Int64},
        {"uint8", Cat::UInt8},        {"byte", Cat::UInt8},        {"uint16", Cat::UInt16},
        {"uint32", Cat::UInt32},      {"uint64", Cat::UInt64},     {"uinteger", Cat::UInt64},
        {"single", Cat::Single},      {"double", Cat::Double},     {"currency", Cat::Currency},
        {"color", Cat::Color},        {"ptr", Cat::Ptr},           {"string", Cat::String},
        {"text", Cat::Text},          {"variant", Cat::Variant},   {"object", Cat::Object},
        {"iterator", Cat::Interface}, {"iterable", Cat::Interface}};
    std::string l = lower(text);
    for (auto& [n, c] : kPrim) {
        if (l == n) {
            out.cat = c;
            return true;
        }
    }
    ClassInfo* cls = findClass(text);
    if (!cls && !scope.empty()) cls = findClass(scope + "." + text);
    if (cls) {
        out.cat = Cat::Class;
        out.cls = cls;
        out.name = cls->name;
        return true;
    }
    EnumInfo* en = findEnum(text);
    if (!en && !scope.empty()) en = findEnum(scope + "." + text);
    if (en) {
        out.cat = Cat::Enum;
        out.en = en;
        out.name = en->name;
        return true;
    }
    return false;
}

namespace {

bool defaultFits(const TypeRef& t, const std::string& text) {
    int64_t i;
    double d;
    if (isIntegral(t.cat) || t.cat == Cat::Color) return parseIntegerLiteral(text, i);
    switch (t.cat) {
        case Cat::Boolean:
            return iequals(text, "true") || iequals(text, "false");
        case Cat::Single:
        case Cat::Double:
        case Cat::Currency:
            return parseRealLiteral(text, d);
        case Cat::String:
        case Cat::Text:
            return text.size() >= 2 && text.front() == '"' && text.back() == '"';
        case Cat::Enum: {
            std::string name = text;
            size_t dot = name.rfind('.');
            if (dot != std::string::npos) {
                if (!iequals(name.substr(0, dot), t.en->name)) return false;
                name = name.substr(dot + 1);
            }
            for (auto& [n, v] : t.en->entries) {
                (void)v;
                if (iequals(n, name)) return true;
            }
            return false;
        }
        case Cat::Variant:
            return true;
        case Cat::Object:
        case Cat::Class:
        case Cat::Interface:
        case Cat::Ptr:
            return iequals(text, "nil");
        default:
            return false;
    }
}

}  // namespace

bool Host::Impl::resolveMethod(MethodInfo& m, bool report) {
    if (m.resolved) return m.typesOk;
    m.resolved = true;
    m.typesOk = false;
    if (!m.parsed) return false;
    bool ok = true;
    m.params.clear();
    for (const ParsedParam& p : m.decl.params) {
        TypeRef t;
        if (!resolveType(p.type, p.array, m.scope, t)) {
            if (report)
                violation(m.where + ": unknown type '" + p.type + (p.array ? "()" : "") +
                          "' of parameter " + p.name);
            ok = false;
        } else if (p.hasDefault && !defaultFits(t, p.defaultText)) {
            if (report)
                violation(m.where + ": default value '" + p.defaultText + "' does not fit " +
                          p.type);
            ok = false;
        }
        m.params.push_back(t);
    }
    if (!m.decl.returnType.empty()) {
        if (!resolveType(m.decl.returnType, m.decl.returnArray, m.scope, m.ret)) {
            if (report) violation(m.where + ": unknown result type '" + m.decl.returnType + "'");
            ok = false;
        }
    } else {
        m.ret = TypeRef{};
    }
    m.typesOk = ok;
    return ok;
}

bool Host::Impl::resolveProp(PropInfo& p, bool report) {
    if (p.resolved) return p.typesOk;
    p.resolved = true;
    p.typesOk = false;
    if (p.typeText.empty()) return false;
    if (!resolveType(p.typeText, false, p.scope, p.type)) {
        if (report) violation(p.where + ": unknown type '" + p.typeText + "'");
        return false;
    }
    bool ok = true;
    auto checkField = [&](const char* which) {
        size_t w = widthOf(p.type.cat, p.type.en);
        if (!p.owner) return;
        if (p.param < 0 || static_cast<size_t>(p.param) + w > p.owner->dataSize) {
            if (report)
                violation(p.where + ": standard " + which + " at offset " +
                          std::to_string(p.param) + " (" + std::to_string(w) +
                          " bytes) lies outside the class data (" +
                          std::to_string(p.owner->dataSize) + " bytes)");
            ok = false;
        } else if (p.param % static_cast<int32_t>(w) != 0) {
            if (report)
                violation(p.where + ": standard " + which + " at misaligned offset " +
                          std::to_string(p.param));
            ok = false;
        }
    };
    if (!p.shared && p.getter == kStandard) checkField("getter");
    if (!p.shared && p.setter == kStandard) checkField("setter");
    p.typesOk = ok;
    return ok;
}

void Host::Impl::finishRegistration() {
    layoutPending();
    for (auto& c : classes) {
        if (!c->laidOut && !c->superReported) {
            c->superReported = true;
            violation("class " + c->name + ": superclass '" + c->superName + "' is not known");
        }
        if (c->checked) continue;
        c->checked = true;
        for (auto& m : c->methods) resolveMethod(*m, true);
        for (auto& m : c->sharedMethods) resolveMethod(*m, true);
        for (auto& p : c->props) resolveProp(*p, true);
        for (auto& p : c->sharedProps) resolveProp(*p, true);
    }
    for (auto& mod : modules) {
        if (mod->checked) continue;
        mod->checked = true;
        for (auto& m : mod->methods) resolveMethod(*m, true);
        for (auto& p : mod->props) resolveProp(*p, true);
    }
}

}  // namespace emu
