// Instance records of the object model's wrapper classes and the factories
// through which units hand each other new wrapper objects. Every wrapper
// holds one lock on the owning Document of its tree (its owner), so the tree
// outlives every wrapper; the owning Document records itself as owner and
// holds no lock.
#pragma once

#include <memory>
#include <pugixml.hpp>

#include "base/hostcalls.h"
#include "base/wrapper.h"
#include "dom/removal.h"

// The class records, defined in each class's unit.
extern REALclassDefinition DocumentClass;
extern REALclassDefinition NodeClass;
extern REALclassDefinition AttributeClass;
extern REALclassDefinition TextClass;
extern REALclassDefinition NodeIteratorClass;
extern REALclassDefinition NamedNodeIteratorClass;
extern REALclassDefinition AttributeIteratorClass;

// The handles of the wrappers, in slot pools (base/slot_pool.h). Each is
// linked, while it points into a tree, into the registry of the owning
// Document of that tree; a removal that takes its node or attribute away
// clears it (it then reads as empty) and unlinks it, so removals cost
// nothing for handles already cleared.
struct TreeHandle : TreeTracked {
    static TreeRegistry* RegistryOf(REALobject owner);
};

// A handle a removal clears: Derived says with Doomed(removal) whether it
// points into the removed part and empties itself with Clear(); it then
// unlinks, as it points nowhere any more.
template <class Derived>
struct ClearedByRemoval : TreeHandle {
    ClearedByRemoval() {
        notify = [](TreeTracked* self, const Removal& removal) {
            auto* handle = static_cast<Derived*>(self);
            if (!handle->Doomed(removal)) return;
            handle->Clear();
            handle->Unlink();
        };
    }
};

struct NodeHandle : ClearedByRemoval<NodeHandle> {
    pugi::xml_node node;
    explicit NodeHandle(const pugi::xml_node& n) : node(n) {}
    bool Trackable() const { return !node.empty(); }
    bool Doomed(const Removal& removal) const { return removal.Dooms(node); }
    void Clear() { node = pugi::xml_node(); }
};

// pugixml's attributes do not know their element: the handle keeps it.
struct AttributeHandle : ClearedByRemoval<AttributeHandle> {
    pugi::xml_attribute attribute;
    pugi::xml_node parent;
    AttributeHandle(const pugi::xml_attribute& a, const pugi::xml_node& p)
        : attribute(a), parent(a ? p : pugi::xml_node()) {}
    bool Trackable() const { return !attribute.empty(); }
    bool Doomed(const Removal& removal) const { return removal.Dooms(attribute, parent); }
    void Clear() {
        attribute = pugi::xml_attribute();
        parent = pugi::xml_node();
    }
};

// A TextHelper's text is always rooted at its own PCDATA node (Node.Text).
struct TextHandle : ClearedByRemoval<TextHandle> {
    pugi::xml_text text;
    explicit TextHandle(const pugi::xml_text& t) : text(t) {}
    bool Trackable() const { return !text.empty(); }
    bool Doomed(const Removal& removal) const { return removal.Dooms(text.data()); }
    void Clear() { text = pugi::xml_text(); }
};

// An owning Document's handle: the tree itself and the registry of every
// tracked handle pointing into it. Never linked anywhere.
struct OwnedTree : NodeHandle {
    pugi::xml_document document;
    TreeRegistry registry;
    // The tree the Document held before it was constructed again, kept for
    // the wrappers that may still point into it.
    std::unique_ptr<OwnedTree> replaced;
    OwnedTree() : NodeHandle(pugi::xml_node()) { node = document; }
};

// Node's and Document's record: a NodeHandle, or an OwnedTree when
// ownsDocument.
struct NodeData : WrapperRecord<NodeHandle> {
    bool ownsDocument;
};

using AttributeData = WrapperRecord<AttributeHandle>;
using TextHelperData = WrapperRecord<TextHandle>;

using NodeWrapper = Wrapper<NodeData, NodeClass>;
using AttributeWrapper = Wrapper<AttributeData, AttributeClass>;
using TextWrapper = Wrapper<TextHelperData, TextClass>;

static_assert(sizeof(void*) != 8 || (sizeof(NodeData) == 24 && sizeof(AttributeData) == 16 &&
                                     sizeof(TextHelperData) == 16),
              "DOM record layout");

// The tree an owning Document holds; nil for anything else (a non-owning
// Document, a record that was never bound, nil).
inline OwnedTree* OwnedTreeOf(REALobject owner) {
    if (!owner) return nullptr;
    const NodeData* data = NodeWrapper::DataOf(owner);
    return data->ownsDocument ? static_cast<OwnedTree*>(data->handle) : nullptr;
}

// Whether `owner` holds the tree whose document node is `root`: the tree it
// owns now, or one it owned before it was constructed again (kept while
// wrappers may still point into it).
inline bool HoldsTree(REALobject owner, const pugi::xml_node& root) {
    for (const OwnedTree* tree = OwnedTreeOf(owner); tree; tree = tree->replaced.get())
        if (root == tree->document) return true;
    return false;
}

inline TreeRegistry* TreeHandle::RegistryOf(REALobject owner) {
    OwnedTree* tree = OwnedTreeOf(owner);
    return tree ? &tree->registry : nullptr;
}

// Tells every tracked handle of the tree `owner` owns what is about to go.
// Runs before pugixml frees anything.
inline void AnnounceRemoval(REALobject owner, const Removal& removal) {
    if (TreeRegistry* registry = TreeHandle::RegistryOf(owner)) registry->Notify(removal);
}

// New wrappers: each locks the owner and returns an object carrying one lock
// for the caller. Never nil unless the host cannot make objects at all.
inline REALobject CreateNode(REALobject owner, pugi::xml_node node) {
    return NodeWrapper::Create(owner, std::make_unique<NodeHandle>(node));
}
inline REALobject CreateAttribute(REALobject owner, const pugi::xml_attribute& attribute,
                                  const pugi::xml_node& parent) {
    return AttributeWrapper::Create(owner, std::make_unique<AttributeHandle>(attribute, parent));
}
inline REALobject CreateText(REALobject owner, const pugi::xml_text& text) {
    return TextWrapper::Create(owner, std::make_unique<TextHandle>(text));
}

// Iterator factories (the iterators' own units).
REALobject CreateNodeIterator(REALobject owner, const pugi::xml_node& parent);
REALobject CreateNamedNodeIterator(REALobject owner, const pugi::xml_named_node_iterator& begin,
                                   const pugi::xml_named_node_iterator& end);
REALobject CreateAttributeIterator(REALobject owner, const pugi::xml_node& parent);

// The node a Node or Document object designates; the null node for nil or a
// record that was never bound, so every member treats those as empty.
inline pugi::xml_node NodeOf(REALobject obj) {
    if (!obj) return pugi::xml_node();
    const NodeData* data = NodeWrapper::DataOf(obj);
    return data->handle ? data->handle->node : pugi::xml_node();
}

inline pugi::xml_attribute AttributeOf(REALobject obj) {
    if (!obj) return pugi::xml_attribute();
    const AttributeData* data = AttributeWrapper::DataOf(obj);
    return data->handle ? data->handle->attribute : pugi::xml_attribute();
}

// The element an Attribute object's attribute belongs to.
inline pugi::xml_node AttributeParentOf(REALobject obj) {
    if (!obj) return pugi::xml_node();
    const AttributeData* data = AttributeWrapper::DataOf(obj);
    return data->handle ? data->handle->parent : pugi::xml_node();
}

// The text a TextHelper designates; the empty text for a never-bound record.
inline pugi::xml_text TextOf(REALobject obj) {
    const TextHelperData* data = TextWrapper::DataOf(obj);
    return data->handle ? data->handle->text : pugi::xml_text();
}

// The owner a new wrapper made from `obj` records.
inline REALobject OwnerOf(REALobject obj) {
    return obj ? NodeWrapper::DataOf(obj)->owner : nullptr;
}
