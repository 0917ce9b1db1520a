// Host code calling plug-in members: overload choice as the host compiler
// makes it, default values, and the call itself through libffi with the C
// types each declaration implies.
#include <cmath>
#include <cstring>
#include <limits>

#include "internal.h"

namespace emu {

using namespace detail;

namespace detail {

Cat enumBase(const EnumInfo* en) {
    return en ? en->base : Cat::Integer;
}

size_t widthOf(Cat c, const EnumInfo* en) {
    switch (c) {
        case Cat::Boolean:
        case Cat::Int8:
        case Cat::UInt8:
            return 1;
        case Cat::Int16:
        case Cat::UInt16:
            return 2;
        case Cat::Int32:
        case Cat::UInt32:
        case Cat::Single:
        case Cat::Color:
            return 4;
        case Cat::Enum:
            return widthOf(enumBase(en), nullptr);
        case Cat::Void:
            return 0;
        default:
            return 8;
    }
}

ffi_type* ffiTypeOf(const TypeRef& t) {
    switch (t.cat) {
        case Cat::Void:
            return &ffi_type_void;
        case Cat::Boolean:
        case Cat::Int8:
            return &ffi_type_sint8;
        case Cat::UInt8:
            return &ffi_type_uint8;
        case Cat::Int16:
            return &ffi_type_sint16;
        case Cat::UInt16:
            return &ffi_type_uint16;
        case Cat::Int32:
            return &ffi_type_sint32;
        case Cat::UInt32:
        case Cat::Color:
            return &ffi_type_uint32;
        case Cat::Integer:
        case Cat::Int64:
        case Cat::Currency:
            return &ffi_type_sint64;
        case Cat::UInt64:
            return &ffi_type_uint64;
        case Cat::Single:
            return &ffi_type_float;
        case Cat::Double:
            return &ffi_type_double;
        case Cat::Enum: {
            TypeRef b;
            b.cat = enumBase(t.en);
            return ffiTypeOf(b);
        }
        default:
            return &ffi_type_pointer;
    }
}

}  // namespace detail

namespace {

union RetBuf {
    ffi_arg a;
    ffi_sarg s;
    double d;
    float f;
    void* p;
    uint64_t u;
    int64_t i;
    char pad[16];
};

union Slot {
    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    int64_t i64;
    uint64_t u64;
    float f;
    double d;
    void* p;
};

// A value read back from a call or from instance data, before it becomes a Value.
struct Raw {
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0;
    void* p = nullptr;
};

Cat effective(const TypeRef& t) {
    return t.cat == Cat::Enum ? enumBase(t.en) : t.cat;
}

Raw fromFfi(const TypeRef& t, const RetBuf& rb) {
    Raw r;
    switch (effective(t)) {
        case Cat::Boolean:
        case Cat::Int8:
            r.i = static_cast<int8_t>(rb.s);
            break;
        case Cat::UInt8:
            r.i = static_cast<uint8_t>(rb.a);
            break;
        case Cat::Int16:
            r.i = static_cast<int16_t>(rb.s);
            break;
        case Cat::UInt16:
            r.i = static_cast<uint16_t>(rb.a);
            break;
        case Cat::Int32:
            r.i = static_cast<int32_t>(rb.s);
            break;
        case Cat::UInt32:
        case Cat::Color:
            r.i = static_cast<uint32_t>(rb.a);
            break;
        case Cat::Integer:
        case Cat::Int64:
        case Cat::Currency:
            r.i = rb.i;
            break;
        case Cat::UInt64:
            r.i = static_cast<int64_t>(rb.u);
            break;
        case Cat::Single:
            r.d = rb.f;
            break;
        case Cat::Double:
            r.d = rb.d;
            break;
        case Cat::Void:
            break;
        default:
            r.p = rb.p;
            break;
    }
    r.u = static_cast<uint64_t>(r.i);
    return r;
}

Raw fromMemory(const TypeRef& t, const char* at) {
    Raw r;
    switch (effective(t)) {
        case Cat::Boolean:
        case Cat::Int8: {
            int8_t v;
            std::memcpy(&v, at, 1);
            r.i = v;
            break;
        }
        case Cat::UInt8: {
            uint8_t v;
            std::memcpy(&v, at, 1);
            r.i = v;
            break;
        }
        case Cat::Int16: {
            int16_t v;
            std::memcpy(&v, at, 2);
            r.i = v;
            break;
        }
        case Cat::UInt16: {
            uint16_t v;
            std::memcpy(&v, at, 2);
            r.i = v;
            break;
        }
        case Cat::Int32: {
            int32_t v;
            std::memcpy(&v, at, 4);
            r.i = v;
            break;
        }
        case Cat::UInt32:
        case Cat::Color: {
            uint32_t v;
            std::memcpy(&v, at, 4);
            r.i = v;
            break;
        }
        case Cat::Single: {
            float v;
            std::memcpy(&v, at, 4);
            r.d = v;
            break;
        }
        case Cat::Double:
            std::memcpy(&r.d, at, 8);
            break;
        case Cat::Integer:
        case Cat::Int64:
        case Cat::UInt64:
        case Cat::Currency:
            std::memcpy(&r.i, at, 8);
            break;
        default:
            std::memcpy(&r.p, at, sizeof(void*));
            break;
    }
    r.u = static_cast<uint64_t>(r.i);
    return r;
}

std::string describeArgs(const std::vector<Value>& args) {
    std::string s = "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) s += ", ";
        s += kindName(args[i].kind());
        if (args[i].kind() == Kind::Enum) s += " " + args[i].enumType();
        if (args[i].kind() == Kind::Object && args[i].object()) s += " " + args[i].className();
    }
    return s + ")";
}

// How well an argument fits a parameter: 0 exact, higher is a worse
// conversion, -1 no implicit conversion exists.
int score(Host::Impl& I, const TypeRef& t, const Value& v) {
    switch (v.kind()) {
        case Kind::Enum:
            return t.cat == Cat::Enum && iequals(t.en->name, v.enumType()) ? 0 : -1;
        case Kind::Object: {
            if (!v.object()) return conversionCost(Kind::Object, t.cat);
            ObjRec* r = I.findObject(v.object());
            if (!r || r->dead) throw EmulatorError("an argument is a released object");
            int depth = 0;
            const ClassInfo* k = r->cls;
            for (; k && k != t.cls; k = k->super) ++depth;
            return objectCost(t.cat, k ? depth : -1,
                              t.cat == Cat::Interface && r->cls->implements(t.name));
        }
        default:
            return conversionCost(v.kind(), t.cat);
    }
}

std::string unquote(const std::string& s) {
    std::string out;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        out += s[i];
        if (s[i] == '"' && i + 2 < s.size() && s[i + 1] == '"') ++i;
    }
    return out;
}

Value defaultValue(Host& host, const TypeRef& t, const std::string& text) {
    int64_t i = 0;
    double d = 0;
    if (iequals(text, "nil")) return Value();
    switch (t.cat) {
        case Cat::Boolean:
            return Value::Bool(iequals(text, "true"));
        case Cat::Int32:
            parseIntegerLiteral(text, i);
            return Value::Int32(static_cast<int32_t>(i));
        case Cat::UInt32:
        case Cat::Color:
            parseIntegerLiteral(text, i);
            return Value::UInt32(static_cast<uint32_t>(i));
        case Cat::UInt64:
            parseIntegerLiteral(text, i);
            return Value::UInt64(static_cast<uint64_t>(i));
        case Cat::Int64:
            parseIntegerLiteral(text, i);
            return Value::Int64(i);
        case Cat::Single:
            parseRealLiteral(text, d);
            return Value::Single(static_cast<float>(d));
        case Cat::Double:
        case Cat::Currency:
            parseRealLiteral(text, d);
            return Value::Double(d);
        case Cat::String:
        case Cat::Text:
            return host.str(unquote(text));
        case Cat::Enum: {
            std::string name =
                text.substr(text.rfind('.') == std::string::npos ? 0 : text.rfind('.') + 1);
            for (auto& [n, v] : t.en->entries)
                if (iequals(n, name)) return Value::Enum(t.en->name, v);
            return Value();
        }
        default:
            if (isIntegral(t.cat)) {
                parseIntegerLiteral(text, i);
                return Value::Integer(i);
            }
            if (parseIntegerLiteral(text, i)) return Value::Integer(i);
            if (parseRealLiteral(text, d)) return Value::Double(d);
            return Value();
    }
}

void fill(const TypeRef& t, const Value& v, Slot& s) {
    s.u64 = 0;
    Cat c = effective(t);
    switch (c) {
        case Cat::Boolean:
            s.i8 = v.asBool() ? 1 : 0;
            break;
        case Cat::Int8:
            s.i8 = static_cast<int8_t>(v.asInt());
            break;
        case Cat::UInt8:
            s.u8 = static_cast<uint8_t>(v.asUInt());
            break;
        case Cat::Int16:
            s.i16 = static_cast<int16_t>(v.asInt());
            break;
        case Cat::UInt16:
            s.u16 = static_cast<uint16_t>(v.asUInt());
            break;
        case Cat::Int32:
            s.i32 = static_cast<int32_t>(v.asInt());
            break;
        case Cat::UInt32:
        case Cat::Color:
            s.u32 = static_cast<uint32_t>(v.asUInt());
            break;
        case Cat::Integer:
        case Cat::Int64:
            s.i64 = v.asInt();
            break;
        case Cat::UInt64:
            s.u64 = v.asUInt();
            break;
        case Cat::Currency:
            s.i64 = v.kind() == Kind::Double || v.kind() == Kind::Single
                        ? static_cast<int64_t>(std::llround(v.asDouble() * 10000.0))
                        : v.asInt() * 10000;
            break;
        case Cat::Single:
            s.f = v.asSingle();
            break;
        case Cat::Double:
            s.d = v.asDouble();
            break;
        case Cat::String:
        case Cat::Text:
            s.p = v.string();
            break;
        default:
            s.p = v.object();
            break;
    }
}

bool prep(FfiSig& sig, ffi_type* ret) {
    sig.ok = ffi_prep_cif(&sig.cif, FFI_DEFAULT_ABI, static_cast<unsigned>(sig.args.size()), ret,
                          sig.args.data()) == FFI_OK;
    return sig.ok;
}

bool accessible(const MethodInfo& m) {
    if (!(m.flags & (REALScopePrivate | REALScopeProtected))) return true;
    // Members of an interface the class implements stay reachable through it.
    if (m.owner) {
        const std::string& n = m.decl.name;
        if (m.owner->implements("Iterator") && (iequals(n, "MoveNext") || iequals(n, "Value")))
            return true;
        if (m.owner->implements("Iterable") && iequals(n, "Iterator")) return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------- lookup

PropInfo* Host::Impl::findProperty(ClassInfo* cls, std::string_view name) {
    for (ClassInfo* c = cls; c; c = c->super)
        for (auto& p : c->props)
            if (iequals(p->name, name)) return p.get();
    return nullptr;
}

MethodInfo* Host::Impl::findMethodByDecl(ClassInfo* cls, std::string_view prototype) {
    ParsedDecl d;
    std::string err;
    if (!parseMethodDecl(prototype, d, err)) {
        violation("REALLoadObjectMethod: prototype \"" + std::string(prototype) +
                  "\" does not parse: " + err);
        return nullptr;
    }
    std::string key = signatureKey(d);
    for (ClassInfo* c = cls; c; c = c->super)
        for (auto& m : c->methods)
            if (m->parsed && m->key == key) return m.get();
    return nullptr;
}

namespace {

MethodInfo* choose(Host::Impl& I, const std::vector<MethodInfo*>& cands,
                   const std::vector<Value>& args, const std::string& what, bool hostCode) {
    MethodInfo* best = nullptr;
    int bestScore = 0;
    size_t bestDefaults = 0;
    std::vector<MethodInfo*> tied;
    bool privateMatch = false;
    for (MethodInfo* m : cands) {
        if (!I.resolveMethod(*m, true)) continue;
        const auto& params = m->decl.params;
        if (args.size() > params.size()) continue;
        bool ok = true;
        for (size_t i = args.size(); i < params.size(); ++i)
            if (!params[i].hasDefault && !params[i].optional) ok = false;
        if (!ok) continue;
        int total = 0;
        for (size_t i = 0; i < args.size() && ok; ++i) {
            int s = score(I, m->params[i], args[i]);
            if (s < 0) ok = false;
            total += s;
        }
        if (!ok) continue;
        if (hostCode && !accessible(*m)) {
            privateMatch = true;
            continue;
        }
        size_t defaults = params.size() - args.size();
        if (!best || total < bestScore || (total == bestScore && defaults < bestDefaults)) {
            best = m;
            bestScore = total;
            bestDefaults = defaults;
            tied.clear();
        } else if (total == bestScore && defaults == bestDefaults) {
            tied.push_back(m);
        }
    }
    if (!best) {
        std::string list;
        for (MethodInfo* m : cands) list += "\n  " + m->declaration;
        if (privateMatch)
            throw EmulatorError(what + describeArgs(args) +
                                ": the matching member is private or protected; host code "
                                "cannot call it." +
                                list);
        throw EmulatorError(what + describeArgs(args) +
                            ": no overload accepts these arguments:" + list);
    }
    if (!tied.empty()) {
        std::string list = "\n  " + best->declaration;
        for (MethodInfo* m : tied) list += "\n  " + m->declaration;
        throw EmulatorError(what + describeArgs(args) + " is ambiguous between:" + list);
    }
    return best;
}

}  // namespace

// ---------------------------------------------------------------- results

Value Host::Impl::adoptResult(const TypeRef& t, const void* rawp) {
    const Raw& r = *static_cast<const Raw*>(rawp);
    switch (t.cat) {
        case Cat::Void:
            return Value();
        case Cat::Boolean:
            return Value::Bool(r.i != 0);
        case Cat::Integer:
        case Cat::Int8:
        case Cat::Int16:
        case Cat::UInt8:
        case Cat::UInt16:
            return Value::Integer(r.i);
        case Cat::Int64:
            return Value::Int64(r.i);
        case Cat::Int32:
            return Value::Int32(static_cast<int32_t>(r.i));
        case Cat::UInt32:
        case Cat::Color:
            return Value::UInt32(static_cast<uint32_t>(r.u));
        case Cat::UInt64:
            return Value::UInt64(r.u);
        case Cat::Currency:
            return Value::Double(static_cast<double>(r.i) / 10000.0);
        case Cat::Single:
            return Value::Single(static_cast<float>(r.d));
        case Cat::Double:
            return Value::Double(r.d);
        case Cat::Enum:
            return Value::Enum(t.en->name, r.i);
        case Cat::Ptr:
            return Value::UInt64(reinterpret_cast<uintptr_t>(r.p));
        case Cat::String:
        case Cat::Text:
            return Value::AdoptString(*self, static_cast<REALstring>(r.p));
        default:
            if (t.cat == Cat::Variant && !r.p) return Value();
            return Value::AdoptObject(*self, static_cast<REALobject>(r.p));
    }
}

namespace {

// Checks what plug-in code handed back before the host takes it over.
bool resultUsable(Host::Impl& I, const TypeRef& t, const Raw& r, const std::string& where) {
    if (!r.p) return true;
    if (t.cat == Cat::String || t.cat == Cat::Text) {
        return I.liveString(r.p, ("result of " + where).c_str()) != nullptr;
    }
    if (isReference(t.cat)) {
        ObjRec* rec = I.liveObject(r.p, ("result of " + where).c_str());
        if (!rec) return false;
        if (t.cat == Cat::Class && !rec->cls->isa(t.cls))
            I.violation(where + " returned an object of class " + rec->cls->name +
                        ", which is not a " + t.cls->name);
        if (t.cat == Cat::Interface && !rec->cls->implements(t.name))
            I.violation(where + " returned an object of class " + rec->cls->name +
                        ", which does not implement " + t.name);
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- calls

Value Host::Impl::callMethod(MethodInfo& m, REALobject self_, std::vector<Value>& args,
                             bool raiseToHost) {
    if (!resolveMethod(m, true))
        throw EmulatorError(m.where + ": its declaration uses types the host does not know");
    if (!m.fn) throw EmulatorError(m.where + ": registered without a function");
    for (const ParsedParam& p : m.decl.params) {
        if (p.byRef || p.paramArray)
            throw EmulatorError(m.where + ": ByRef and ParamArray are not supported");
    }
    if (!m.sig) {
        auto sig = std::make_unique<FfiSig>();
        if (!m.shared) sig->args.push_back(&ffi_type_pointer);
        for (const TypeRef& t : m.params) sig->args.push_back(ffiTypeOf(t));
        if (!prep(*sig, ffiTypeOf(m.ret))) throw EmulatorError(m.where + ": ffi_prep_cif failed");
        m.sig = std::move(sig);
    }
    std::vector<Value> defaults;
    defaults.reserve(m.params.size());
    for (size_t i = args.size(); i < m.params.size(); ++i) {
        const ParsedParam& p = m.decl.params[i];
        defaults.push_back(p.hasDefault ? defaultValue(*self, m.params[i], p.defaultText)
                                        : Value());
    }
    size_t n = m.params.size() + (m.shared ? 0 : 1);
    std::vector<Slot> slots(n);
    std::vector<void*> argv(n);
    size_t k = 0;
    if (!m.shared) {
        slots[0].p = self_;
        argv[0] = &slots[0];
        k = 1;
    }
    for (size_t i = 0; i < m.params.size(); ++i, ++k) {
        const Value& v = i < args.size() ? args[i] : defaults[i - args.size()];
        fill(m.params[i], v, slots[k]);
        argv[k] = &slots[k];
    }
    RetBuf rb;
    std::memset(&rb, 0, sizeof rb);
    if (!callGuarded(m.where, [&] { ffi_call(&m.sig->cif, FFI_FN(m.fn), &rb, argv.data()); }))
        return Value();
    Raw raw = fromFfi(m.ret, rb);
    Value result = resultUsable(*this, m.ret, raw, m.where) ? adoptResult(m.ret, &raw) : Value();
    if (raiseToHost && pending) throwIfPending(std::move(result));
    return result;
}

Value Host::Impl::getProperty(PropInfo& p, REALobject self_, bool raiseToHost) {
    if (!resolveProp(p, true))
        throw EmulatorError(p.where + ": registered with a type or offset the host rejects");
    if (p.getter == REALstandardGetter) {
        const char* at = static_cast<const char*>(classData(self_, p.owner)) + p.param;
        Raw raw = fromMemory(p.type, at);
        if (!resultUsable(*this, p.type, raw, p.where)) return Value();
        // The field keeps its own reference; the caller gets one more.
        if (p.type.cat == Cat::String || p.type.cat == Cat::Text)
            lockString(static_cast<REALstring>(raw.p), p.where.c_str());
        else if (isReference(p.type.cat))
            lockObject(static_cast<REALobject>(raw.p), p.where.c_str());
        return adoptResult(p.type, &raw);
    }
    if (!p.getter) throw EmulatorError(p.where + ": no getter");
    if (!p.getSig) {
        auto sig = std::make_unique<FfiSig>();
        sig->args = {&ffi_type_pointer, &ffi_type_sint64};
        if (!prep(*sig, ffiTypeOf(p.type))) throw EmulatorError(p.where + ": ffi failed");
        p.getSig = std::move(sig);
    }
    Slot a0, a1;
    a0.p = self_;
    a1.i64 = p.param;  // the record's 32-bit param, widened as the host does
    void* argv[2] = {&a0, &a1};
    RetBuf rb;
    std::memset(&rb, 0, sizeof rb);
    if (!callGuarded(p.where + " getter",
                     [&] { ffi_call(&p.getSig->cif, FFI_FN(p.getter), &rb, argv); }))
        return Value();
    Raw raw = fromFfi(p.type, rb);
    Value result = resultUsable(*this, p.type, raw, p.where) ? adoptResult(p.type, &raw) : Value();
    if (raiseToHost && pending) throwIfPending(std::move(result));
    return result;
}

void Host::Impl::setProperty(PropInfo& p, REALobject self_, const Value& v) {
    if (!resolveProp(p, true))
        throw EmulatorError(p.where + ": registered with a type or offset the host rejects");
    if (!p.setter) throw EmulatorError(p.where + " is read-only");
    if (score(*this, p.type, v) < 0)
        throw EmulatorError(p.where + ": cannot assign a " + kindName(v.kind()) + " to " +
                            p.typeText);
    if (p.setter == REALstandardSetter) {
        char* at = static_cast<char*>(classData(self_, p.owner)) + p.param;
        if (p.type.cat == Cat::String || p.type.cat == Cat::Text) {
            REALstring old;
            std::memcpy(&old, at, sizeof old);
            REALstring s = v.string();
            lockString(s, p.where.c_str());
            std::memcpy(at, &s, sizeof s);
            unlockString(old, p.where.c_str());
        } else if (isReference(p.type.cat)) {
            REALobject old;
            std::memcpy(&old, at, sizeof old);
            REALobject o = v.object();
            lockObject(o, p.where.c_str());
            std::memcpy(at, &o, sizeof o);
            unlockObject(old, p.where.c_str());
        } else {
            Slot s;
            fill(p.type, v, s);
            std::memcpy(at, &s, widthOf(p.type.cat, p.type.en));
        }
        return;
    }
    if (!p.setSig) {
        auto sig = std::make_unique<FfiSig>();
        sig->args = {&ffi_type_pointer, &ffi_type_sint64, ffiTypeOf(p.type)};
        if (!prep(*sig, &ffi_type_void)) throw EmulatorError(p.where + ": ffi failed");
        p.setSig = std::move(sig);
    }
    Slot a0, a1, a2;
    a0.p = self_;
    a1.i64 = p.param;
    fill(p.type, v, a2);
    void* argv[3] = {&a0, &a1, &a2};
    RetBuf rb;
    if (!callGuarded(p.where + " setter",
                     [&] { ffi_call(&p.setSig->cif, FFI_FN(p.setter), &rb, argv); }))
        return;
    if (pending) throwIfPending(Value());
}

// ---------------------------------------------------------------- Host API

namespace {

ObjRec* selfRecord(Host::Impl& I, const Value& self, const std::string& what) {
    if (self.kind() != Kind::Object && self.kind() != Kind::Nil)
        throw EmulatorError(what + ": the receiver is not an object");
    if (self.isNil()) {
        I.raiseNew(I.nilObjectException, "", 0);
        I.throwIfPending(Value());
    }
    ObjRec* r = I.findObject(self.object());
    if (!r || r->dead) throw EmulatorError(what + ": the receiver was already destroyed");
    return r;
}

std::vector<MethodInfo*> instanceCandidates(ClassInfo* cls, const std::string& name) {
    std::vector<MethodInfo*> out;
    std::vector<std::string> seen;
    for (ClassInfo* c = cls; c; c = c->super) {
        for (auto& m : c->methods) {
            if (!m->parsed || !iequals(m->decl.name, name)) continue;
            bool overridden = false;
            for (auto& k : seen) overridden = overridden || k == m->pkey;
            if (overridden) continue;
            seen.push_back(m->pkey);
            out.push_back(m.get());
        }
    }
    return out;
}

Value invoke(Host::Impl& I, const Value& self, const std::string& name, std::vector<Value> args,
             bool hostCode) {
    ObjRec* r = selfRecord(I, self, name);
    auto cands = instanceCandidates(r->cls, name);
    if (cands.empty()) throw EmulatorError("class " + r->cls->name + " has no method " + name);
    MethodInfo* m = choose(I, cands, args, r->cls->name + "." + name, hostCode);
    return I.callMethod(*m, self.object(), args);
}

}  // namespace

Value Host::New(const std::string& className, std::vector<Value> args) {
    ClassInfo* cls = impl_->findClass(className);
    if (!cls) throw EmulatorError("New: no class " + className);
    nameClass(className);
    std::vector<MethodInfo*> ctors;
    for (ClassInfo* c = cls; c && ctors.empty(); c = c->super)
        for (auto& m : c->methods)
            if (m->parsed && iequals(m->decl.name, "Constructor")) ctors.push_back(m.get());
    if (ctors.empty()) {
        if (!args.empty())
            throw EmulatorError("New " + className +
                                ": the class has no constructor with "
                                "parameters");
        REALobject o = impl_->allocate(cls);
        if (!o) throw EmulatorError("New " + className + ": the class cannot be instantiated");
        return Value::AdoptObject(*this, o);
    }
    MethodInfo* m = choose(*impl_, ctors, args, "New " + className, true);
    REALobject o = impl_->allocate(cls);
    if (!o) throw EmulatorError("New " + className + ": the class cannot be instantiated");
    Value v = Value::AdoptObject(*this, o);
    impl_->callMethod(*m, o, args);
    return v;
}

Value Host::newInstance(const std::string& className) {
    ClassInfo* cls = impl_->findClass(className);
    if (!cls) throw EmulatorError("newInstance: no class " + className);
    REALobject o = impl_->allocate(cls);
    if (!o) throw EmulatorError("newInstance " + className + ": the class cannot be instantiated");
    return Value::AdoptObject(*this, o);
}

Value Host::call(const Value& self, const std::string& method, std::vector<Value> args) {
    return invoke(*impl_, self, method, std::move(args), true);
}

Value Host::callShared(const std::string& className, const std::string& method,
                       std::vector<Value> args) {
    ClassInfo* cls = impl_->findClass(className);
    if (!cls) throw EmulatorError("callShared: no class " + className);
    std::vector<MethodInfo*> cands;
    for (ClassInfo* c = cls; c; c = c->super)
        for (auto& m : c->sharedMethods)
            if (m->parsed && iequals(m->decl.name, method)) cands.push_back(m.get());
    if (cands.empty())
        throw EmulatorError("class " + className + " has no shared method " + method);
    MethodInfo* m = choose(*impl_, cands, args, className + "." + method, true);
    return impl_->callMethod(*m, nullptr, args);
}

Value Host::callModule(const std::string& moduleName, const std::string& method,
                       std::vector<Value> args) {
    ModuleInfo* mod = impl_->findModule(moduleName);
    if (!mod) throw EmulatorError("callModule: no module " + moduleName);
    std::vector<MethodInfo*> cands;
    for (auto& m : mod->methods)
        if (m->parsed && iequals(m->decl.name, method)) cands.push_back(m.get());
    if (cands.empty()) throw EmulatorError("module " + moduleName + " has no method " + method);
    MethodInfo* m = choose(*impl_, cands, args, moduleName + "." + method, true);
    return impl_->callMethod(*m, nullptr, args);
}

Value Host::get(const Value& self, const std::string& property) {
    ObjRec* r = selfRecord(*impl_, self, property);
    PropInfo* p = impl_->findProperty(r->cls, property);
    if (!p) throw EmulatorError("class " + r->cls->name + " has no property " + property);
    return impl_->getProperty(*p, self.object());
}

void Host::set(const Value& self, const std::string& property, const Value& value) {
    ObjRec* r = selfRecord(*impl_, self, property);
    PropInfo* p = impl_->findProperty(r->cls, property);
    if (!p) throw EmulatorError("class " + r->cls->name + " has no property " + property);
    impl_->setProperty(*p, self.object(), value);
}

int64_t Host::compare(const Value& lhs, const Value& rhs) {
    if (lhs.isNil())
        throw EmulatorError("compare: the left operand is nil, so no Operator_Compare runs");
    return invoke(*impl_, lhs, "Operator_Compare", {rhs}, true).asInt();
}

void Host::forEach(const Value& iterable, const std::function<void(const Value&)>& body) {
    ObjRec* r = selfRecord(*impl_, iterable, "For Each");
    if (!r->cls->implements("Iterable"))
        throw EmulatorError("For Each: class " + r->cls->name + " is not Iterable");
    Value it = invoke(*impl_, iterable, "Iterator", {}, false);
    if (it.isNil()) throw EmulatorError("For Each: Iterator() returned nil");
    ObjRec* ir = impl_->findObject(it.object());
    if (!ir->cls->implements("Iterator"))
        throw EmulatorError("For Each: Iterator() returned a " + ir->cls->name +
                            ", which is not an Iterator");
    for (;;) {
        if (!invoke(*impl_, it, "MoveNext", {}, false).asBool()) break;
        Value v = invoke(*impl_, it, "Value", {}, false);
        body(v);
    }
}

std::vector<Value> Host::collect(const Value& iterable) {
    std::vector<Value> out;
    forEach(iterable, [&](const Value& v) { out.push_back(v); });
    return out;
}

bool Host::isa(const Value& object, const std::string& className) const {
    ClassInfo* cls = impl_->findClass(className);
    bool iface = iequals(className, "Iterator") || iequals(className, "Iterable");
    if (!cls && !iface) throw EmulatorError("isa: no class " + className);
    if (object.kind() != Kind::Object || !object.object()) return false;
    ObjRec* r = impl_->findObject(object.object());
    if (!r || r->dead) throw EmulatorError("isa: the object was already destroyed");
    return iface ? r->cls->implements(className) : r->cls->isa(cls);
}

}  // namespace emu
