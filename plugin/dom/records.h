// Instance records of the object model's wrapper classes and the factories
// through which units hand each other new wrapper objects. Every wrapper
// holds one lock on the owning Document of its tree (its owner), so the tree
// outlives every wrapper; the owning Document records itself as owner and
// holds no lock.
#pragma once

#include <pugixml.hpp>

#include "base/hostcalls.h"
#include "base/registration.h"

struct NodeData {
    REALobject owner;
    // pugi::xml_node, or the pugi::xml_document itself when ownsDocument.
    pugi::xml_node* handle;
    bool ownsDocument;
};

struct AttributeData {
    REALobject owner;
    pugi::xml_attribute* handle;
};

struct TextHelperData {
    REALobject owner;
    pugi::xml_text* handle;
};

// Each factory takes ownership of the heap handle, locks the owner and
// returns a new object carrying one lock for the caller. Never nil unless the
// host cannot make objects at all.
REALobject CreateNode(REALobject owner, pugi::xml_node* handle);
REALobject CreateAttribute(REALobject owner, pugi::xml_attribute* handle);
REALobject CreateText(REALobject owner, pugi::xml_text* handle);

// Convenience forms that allocate the handle from a value.
inline REALobject CreateNode(REALobject owner, const pugi::xml_node& node) {
    return CreateNode(owner, new pugi::xml_node(node));
}
inline REALobject CreateAttribute(REALobject owner, const pugi::xml_attribute& attribute) {
    return CreateAttribute(owner, new pugi::xml_attribute(attribute));
}

// Iterator factories (the iterators' own units).
REALobject CreateNodeIterator(REALobject owner, const pugi::xml_node_iterator& begin,
                              const pugi::xml_node_iterator& end);
REALobject CreateNamedNodeIterator(REALobject owner, const pugi::xml_named_node_iterator& begin,
                                   const pugi::xml_named_node_iterator& end);
REALobject CreateAttributeIterator(REALobject owner, const pugi::xml_attribute_iterator& begin,
                                   const pugi::xml_attribute_iterator& end);

// The node a Node or Document object designates; the null node for nil or a
// record that was never bound, so every member treats those as empty.
inline pugi::xml_node NodeOf(REALobject obj) {
    if (!obj) return pugi::xml_node();
    const NodeData* data = ClassData<NodeData>(obj, NodeClass);
    return data->handle ? *data->handle : pugi::xml_node();
}

inline pugi::xml_attribute AttributeOf(REALobject obj) {
    if (!obj) return pugi::xml_attribute();
    const AttributeData* data = ClassData<AttributeData>(obj, AttributeClass);
    return data->handle ? *data->handle : pugi::xml_attribute();
}

// The owner a new wrapper made from `obj` records.
inline REALobject OwnerOf(REALobject obj) {
    return obj ? ClassData<NodeData>(obj, NodeClass)->owner : nullptr;
}
