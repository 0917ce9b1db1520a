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

// The class records, defined in each class's unit.
extern REALclassDefinition DocumentClass;
extern REALclassDefinition NodeClass;
extern REALclassDefinition AttributeClass;
extern REALclassDefinition TextClass;
extern REALclassDefinition NodeIteratorClass;
extern REALclassDefinition NamedNodeIteratorClass;
extern REALclassDefinition AttributeIteratorClass;

// Node's and Document's record. The handle is a pugi::xml_node, or the
// pugi::xml_document itself when ownsDocument.
struct NodeData : WrapperRecord<pugi::xml_node> {
    bool ownsDocument;
};

using AttributeData = WrapperRecord<pugi::xml_attribute>;
using TextHelperData = WrapperRecord<pugi::xml_text>;

using NodeWrapper = Wrapper<NodeData, NodeClass>;
using AttributeWrapper = Wrapper<AttributeData, AttributeClass>;
using TextWrapper = Wrapper<TextHelperData, TextClass>;

// New wrappers: each locks the owner and returns an object carrying one lock
// for the caller. Never nil unless the host cannot make objects at all.
inline REALobject CreateNode(REALobject owner, const pugi::xml_node& node) {
    return NodeWrapper::Create(owner, std::make_unique<pugi::xml_node>(node));
}
inline REALobject CreateAttribute(REALobject owner, const pugi::xml_attribute& attribute) {
    return AttributeWrapper::Create(owner, std::make_unique<pugi::xml_attribute>(attribute));
}
inline REALobject CreateText(REALobject owner, const pugi::xml_text& text) {
    return TextWrapper::Create(owner, std::make_unique<pugi::xml_text>(text));
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
    const NodeData* data = NodeWrapper::DataOf(obj);
    return data->handle ? *data->handle : pugi::xml_node();
}

inline pugi::xml_attribute AttributeOf(REALobject obj) {
    if (!obj) return pugi::xml_attribute();
    const AttributeData* data = AttributeWrapper::DataOf(obj);
    return data->handle ? *data->handle : pugi::xml_attribute();
}

// The text a TextHelper designates; the empty text for a never-bound record.
inline pugi::xml_text TextOf(REALobject obj) {
    const TextHelperData* data = TextWrapper::DataOf(obj);
    return data->handle ? *data->handle : pugi::xml_text();
}

// The owner a new wrapper made from `obj` records.
inline REALobject OwnerOf(REALobject obj) {
    return obj ? NodeWrapper::DataOf(obj)->owner : nullptr;
}
