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

// The entries of `set` that a removal has not cleared.
pugi::xpath_node_set LiveEntries(const pugi::xpath_node_set& set) {
    std::vector<pugi::xpath_node> kept;
    kept.reserve(set.size());
    for (const pugi::xpath_node& entry : set)
        if (entry) kept.push_back(entry);
    return pugi::xpath_node_set(kept.data(), kept.data() + kept.size(), set.type());
}

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

// Stores a copy of the entries no removal took away and locks the owners of
// their trees; the locks (and links) the variable's previous value held go
// once the new value is in.
void SetXPathNodeSet(REALobject self, REALstring name, REALobject value) {
    if (!value) {
        ThrowXPathException(kNilNodeSet, 0, ErrorCode::NilNodeSet);
        return;
    }
    const XPathNodeSetData* source = XPathNodeSetWrapper::DataOf(value);
    SetWith(self, name, [&](VariableSetState& state, const char* key) {
        static const pugi::xpath_node_set kNoEntries;
        const NodeSetValue* from = source->handle;
        pugi::xpath_node_set live;
        if (from && from->removed) live = LiveEntries(from->set);
        const pugi::xpath_node_set& entries = !from ? kNoEntries : from->removed ? live : from->set;
        // Everything that can run out of memory happens before the value is
        // stored, so a stored value always holds its locks and links.
        OwnerList held;
        if (!entries.empty()) {
            if (source->owner) held.push_back(source->owner);
            for (REALobject other : from->others)
                if (std::find(held.begin(), held.end(), other) == held.end()) held.push_back(other);
        }
        std::vector<std::unique_ptr<VariableLink>> links;
        for (size_t i = 0; i < held.size(); ++i)
            links.push_back(std::make_unique<VariableLink>(&state, key));
        VariableOwners& slot = state.owners[key];
        if (!state.variables.set(key, entries)) return false;
        for (size_t i = 0; i < held.size(); ++i) {
            REALLockObject(held[i]);
            if (TreeRegistry* registry = TreeHandle::RegistryOf(held[i]))
                registry->Add(links[i].get());
        }
        slot.owners.swap(held);
        slot.links.swap(links);
        links.clear();
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

// The links go before the locks that keep their registries alive.
VariableSetState::~VariableSetState() {
    for (auto& variable : owners) {
        variable.second.links.clear();
        for (REALobject owner : variable.second.owners) REALUnlockObject(owner);
    }
}

// A removal in one of the variable's trees: the stored copy keeps only the
// entries that stay. Runs inside the removing member; if memory runs out the
// variable is emptied rather than left pointing at freed nodes.
VariableLink::VariableLink(VariableSetState* s, std::string n) : state(s), name(std::move(n)) {
    notify = [](TreeTracked* self, const Removal& removal) {
        auto* link = static_cast<VariableLink*>(self);
        pugi::xpath_variable* variable = link->state->variables.get(link->name.c_str());
        if (!variable || variable->type() != pugi::xpath_type_node_set) return;
        const pugi::xpath_node_set& entries = variable->get_node_set();
        std::vector<pugi::xpath_node> kept;
        try {
            auto doomed = [&](const pugi::xpath_node& entry) {
                return EntryDoomed(removal, entry);
            };
            const pugi::xpath_node* first = std::find_if(entries.begin(), entries.end(), doomed);
            if (first == entries.end()) return;
            kept.reserve(entries.size());
            kept.assign(entries.begin(), first);
            for (const pugi::xpath_node* entry = first + 1; entry != entries.end(); ++entry)
                if (!doomed(*entry)) kept.push_back(*entry);
            const pugi::xpath_node_set survivors(kept.data(), kept.data() + kept.size(),
                                                 entries.type());
            if (variable->set(survivors)) return;
        } catch (...) {
        }
        variable->set(pugi::xpath_node_set());
    };
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
        for (REALobject owner : variable.second.owners)
            if (std::find(result.begin(), result.end(), owner) == result.end())
                result.push_back(owner);
    return result;
}

REALclassDefinition XPathVariableSetClass =
    ClassRecord({"XPathVariableSet", nullptr, sizeof(XPathVariableSetData), HOST_FN(Destructor),
                 nullptr, 0, Methods, CountOf(Methods), nullptr, nullptr, 0});
