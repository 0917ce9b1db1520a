// Class XPathVariableSet: typed variables for XPath queries.
//
// The record holds one pointer to a VariableSetState: the library's variable
// set plus a lock on the owning Document of every tree a node-set variable's
// entries lie in. The library copies a node set's entries but not the trees
// they point into, so without those locks a query reading the variable would
// walk a freed tree once host code dropped the Document.
#include <algorithm>

#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"
#include "xpath/records.h"

namespace {

const char kSetFailed[] = "Could not set variable with this name.";
const char kNilNodeSet[] = "Node set can not be set to nil";

XPathVariableSetData* DataOf(REALobject self) {
    return ClassData<XPathVariableSetData>(self, XPathVariableSetClass);
}

// The state, created on first use for a set made without its constructor.
VariableSetState& StateOf(REALobject self) {
    XPathVariableSetData* data = DataOf(self);
    if (!data->variableSet) data->variableSet = new VariableSetState();
    return *data->variableSet;
}

void Constructor(REALobject self) {
    Shielded([&] { StateOf(self); });
}

void Destructor(REALobject self) {
    XPathVariableSetData* data = DataOf(self);
    delete data->variableSet;
    data->variableSet = nullptr;
}

// Declares nothing for TYPE_NONE and for numbers outside the enumeration,
// as the library does; never raises.
void Add(REALobject self, REALstring name, RBInteger type) {
    Shielded([&] {
        Utf8Arg text(name);
        if (!text.ok()) return;
        if (type < pugi::xpath_type_node_set || type > pugi::xpath_type_boolean) return;
        StateOf(self).variables.add(text.c_str(), static_cast<pugi::xpath_value_type>(type));
    });
}

// Runs one Set: `store` answers the library's verdict; a refusal, an
// unreadable name and exhausted memory all raise the same failure.
template <class Store>
void SetWith(REALobject self, REALstring name, Store&& store) {
    const bool stored = Attempted([&] {
        Utf8Arg text(name);
        return text.ok() && store(StateOf(self), text.c_str());
    });
    if (!stored) ThrowXPathException(kSetFailed, 0, ErrorCode::VariableRefused);
}

void SetBoolean(REALobject self, REALstring name, RBBoolean value) {
    SetWith(self, name, [&](VariableSetState& state, const char* key) {
        return state.variables.set(key, value != 0);
    });
}

void SetDouble(REALobject self, REALstring name, double value) {
    SetWith(self, name, [&](VariableSetState& state, const char* key) {
        return state.variables.set(key, value);
    });
}

// The value is read before the name, as the host hands them over.
void SetString(REALobject self, REALstring name, REALstring value) {
    const bool stored = Attempted([&] {
        Utf8Arg text(value);
        if (!text.ok()) return false;
        Utf8Arg key(name);
        return key.ok() && StateOf(self).variables.set(key.c_str(), text.c_str());
    });
    if (!stored) ThrowXPathException(kSetFailed, 0, ErrorCode::VariableRefused);
}

// Stores a copy of the entries and locks the owners of their trees; the
// locks the variable's previous value held go once the new value is in.
void SetXPathNodeSet(REALobject self, REALstring name, REALobject value) {
    if (!value) {
        ThrowXPathException(kNilNodeSet, 0, ErrorCode::NilNodeSet);
        return;
    }
    const XPathNodeSetData* source = XPathNodeSetWrapper::DataOf(value);
    SetWith(self, name, [&](VariableSetState& state, const char* key) {
        static const pugi::xpath_node_set kNoEntries;
        const pugi::xpath_node_set& entries = source->handle ? source->handle->set : kNoEntries;
        // Everything that can run out of memory happens before the value is
        // stored, so a stored value always holds its locks.
        OwnerList held;
        if (!entries.empty()) {
            if (source->owner) held.push_back(source->owner);
            for (REALobject other : source->handle->others)
                if (std::find(held.begin(), held.end(), other) == held.end()) held.push_back(other);
        }
        OwnerList& slot = state.owners[key];
        if (!state.variables.set(key, entries)) return false;
        for (REALobject owner : held) REALLockObject(owner);
        slot.swap(held);
        for (REALobject owner : held) REALUnlockObject(owner);
        return true;
    });
}

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsPublic),
    Method(HOST_FN(Add), "Add(name as String, type as TorvaneXml.XPathType)", kFlagsPublic),
    Method(HOST_FN(SetBoolean), "Set(name as String, value as Boolean)", kFlagsPublic),
    Method(HOST_FN(SetDouble), "Set(name as String, value as Double)", kFlagsPublic),
    Method(HOST_FN(SetString), "Set(name as String, value as String)", kFlagsPublic),
    Method(HOST_FN(SetXPathNodeSet), "Set(name as String, value as TorvaneXml.XPathNodeSet)",
           kFlagsPublic),
};

}  // namespace

VariableSetState::~VariableSetState() {
    for (auto& variable : owners)
        for (REALobject owner : variable.second) REALUnlockObject(owner);
}

pugi::xpath_variable_set* VariablesOf(REALobject variableSet) {
    if (!variableSet) return nullptr;
    VariableSetState* state = DataOf(variableSet)->variableSet;
    return state ? &state->variables : nullptr;
}

OwnerList VariableOwnersOf(REALobject variableSet) {
    OwnerList result;
    if (!variableSet) return result;
    const VariableSetState* state = DataOf(variableSet)->variableSet;
    if (!state) return result;
    for (const auto& variable : state->owners)
        for (REALobject owner : variable.second)
            if (std::find(result.begin(), result.end(), owner) == result.end())
                result.push_back(owner);
    return result;
}

REALclassDefinition XPathVariableSetClass =
    ClassRecord({"XPathVariableSet", nullptr, sizeof(XPathVariableSetData), HOST_FN(Destructor),
                 nullptr, 0, Methods, CountOf(Methods), nullptr, nullptr, 0});
