// Class Node: one node of a tree, or no node at all (an empty wrapper).
// Members read and walk the node, edit the tree around it, and hand back new
// wrappers that lock the owning Document of the node they were called on.
#include "base/exceptions.h"
#include "base/registration.h"
#include "base/strings.h"
#include "dom/node_xpath.h"
#include "dom/records.h"
#include "dom/string_writer.h"
#include "dom/value_members.h"

namespace {

using pugi::xml_attribute;
using pugi::xml_node;

void Constructor(REALobject) {}

// Also runs for every Document: Document registers no destructor of its own.
// An owning Document frees its tree and holds no lock on itself.
TORVXML_COLD void FreeTree(NodeData* data) {
    delete static_cast<OwnedTree*>(data->handle);
    data->handle = nullptr;
}

void Destructor(REALobject self) {
    NodeData* data = NodeWrapper::DataOf(self);
    if (!data->ownsDocument) return NodeWrapper::Destructor(self);
    FreeTree(data);
}

// ---- Results ------------------------------------------------------------

// New wrappers always record the owner of the node whose member was called,
// so a copy from another document keeps the document that now holds it alive.
REALobject NodeResult(REALobject self, xml_node node) {
    return CreateNode(OwnerOf(self), node);
}

REALobject AttributeResult(REALobject self, const xml_attribute& attribute) {
    return CreateAttribute(OwnerOf(self), attribute, NodeOf(self));
}

// ---- Properties ---------------------------------------------------------

RBBoolean GetEmpty(REALobject self, RBInteger) {
    return NodeOf(self).empty();
}

REALstring GetName(REALobject self, RBInteger) {
    return Shielded<REALstring>(nullptr, [&] { return ResultString(NodeOf(self).name()); });
}

void SetName(REALobject self, RBInteger, REALstring value) {
    Shielded([&] {
        Utf8Arg text(value);
        if (text.ok()) NodeOf(self).set_name(text.c_str(), text.size());
    });
}

RBInteger GetType(REALobject self, RBInteger) {
    return NodeOf(self).type();
}

REALstring GetValue(REALobject self, RBInteger) {
    return Shielded<REALstring>(nullptr, [&] { return ResultString(NodeOf(self).value()); });
}

void SetValue(REALobject self, RBInteger, REALstring value) {
    Shielded([&] {
        Utf8Arg text(value);
        if (text.ok()) NodeOf(self).set_value(text.c_str(), text.size());
    });
}

REALstring GetTextValue(REALobject self, RBInteger) {
    return Shielded<REALstring>(nullptr, [&] {
        const pugi::xml_text text = NodeOf(self).text();
        return ResultString(text.empty() ? "" : text.get());
    });
}

void SetTextValue(REALobject self, RBInteger, REALstring value) {
    Shielded([&] {
        xml_node node = NodeOf(self);
        pugi::xml_text text = node.text();
        if (text.empty()) text = node.append_child(pugi::node_pcdata).text();
        Utf8Arg bytes(value);
        if (bytes.ok()) text.set(bytes.c_str(), bytes.size());
    });
}

// ---- Reading and navigation ---------------------------------------------

REALstring ChildValueWithName(REALobject self, REALstring childName) {
    return Shielded<REALstring>(nullptr, [&] {
        Utf8Arg name(childName);
        return ResultString(name.ok() ? NodeOf(self).child_value(name.c_str()) : "");
    });
}

REALstring ChildValue(REALobject self) {
    return Shielded<REALstring>(nullptr, [&] { return ResultString(NodeOf(self).child_value()); });
}

// The document node as a non-owning Document; nil for an empty node.
REALobject Root(REALobject self) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        const xml_node root = NodeOf(self).root();
        if (!root) return nullptr;
        return NodeWrapper::Create(OwnerOf(self), std::make_unique<NodeHandle>(root),
                                   DocumentClass);
    });
}

// The members that map one node to another without arguments; they see
// nodes of every type, text and comments included.
REALobject Navigate(REALobject self, xml_node (xml_node::*step)() const) {
    return Shielded<REALobject>(nullptr, [&] { return NodeResult(self, (NodeOf(self).*step)()); });
}

REALobject NextSibling(REALobject self) {
    return Navigate(self, &xml_node::next_sibling);
}
REALobject PreviousSibling(REALobject self) {
    return Navigate(self, &xml_node::previous_sibling);
}
REALobject FirstChild(REALobject self) {
    return Navigate(self, &xml_node::first_child);
}
REALobject LastChild(REALobject self) {
    return Navigate(self, &xml_node::last_child);
}
REALobject Parent(REALobject self) {
    return Navigate(self, &xml_node::parent);
}

REALobject FindChildByAttributeWithName(REALobject self, REALstring childName,
                                        REALstring attributeName, REALstring attributeValue) {
    return Shielded<REALobject>(nullptr, [&] {
        Utf8Arg name(childName), attrName(attributeName), attrValue(attributeValue);
        xml_node found;
        if (name.ok() && attrName.ok() && attrValue.ok())
            found = NodeOf(self).find_child_by_attribute(name.c_str(), attrName.c_str(),
                                                         attrValue.c_str());
        return NodeResult(self, found);
    });
}

REALobject FindChildByAttribute(REALobject self, REALstring attributeName,
                                REALstring attributeValue) {
    return Shielded<REALobject>(nullptr, [&] {
        Utf8Arg attrName(attributeName), attrValue(attributeValue);
        xml_node found;
        if (attrName.ok() && attrValue.ok())
            found = NodeOf(self).find_child_by_attribute(attrName.c_str(), attrValue.c_str());
        return NodeResult(self, found);
    });
}

REALobject FirstElementByPath(REALobject self, REALstring path) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(path);
        if (!text.ok()) return nullptr;
        return NodeResult(self, NodeOf(self).first_element_by_path(text.c_str(), '/'));
    });
}

REALobject Child(REALobject self, REALstring name, RBBoolean create) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        xml_node node = NodeOf(self);
        xml_node child = node.child(text.c_str());
        if (!child && create) child = node.append_child(text.c_str());
        return NodeResult(self, child);
    });
}

REALobject Children(REALobject self) {
    return Shielded<REALobject>(nullptr,
                                [&] { return CreateNodeIterator(OwnerOf(self), NodeOf(self)); });
}

REALobject ChildrenWithName(REALobject self, REALstring name) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        // The iterator keeps its own copy of the name: these bytes go when
        // this member returns.
        const auto range = NodeOf(self).children(text.c_str());
        return CreateNamedNodeIterator(OwnerOf(self), range.begin(), range.end());
    });
}

// ---- Serialisation ------------------------------------------------------

REALstring ToStringWithFlags(REALobject self, RBInteger formatFlags) {
    return Shielded<REALstring>(nullptr, [&] {
        xml_string_writer writer;
        NodeOf(self).print(writer, "\t", static_cast<unsigned int>(formatFlags),
                           pugi::encoding_auto, 0);
        return writer.ToHostString();
    });
}

REALstring ToString(REALobject self) {
    return ToStringWithFlags(self, pugi::format_default);
}

// ---- Text and attributes ------------------------------------------------

// Only a PCDATA node in first position counts as the node's text here.
REALobject Text(REALobject self, RBBoolean create) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_node node = NodeOf(self);
        const xml_node first = node.first_child();
        pugi::xml_text text;
        if (first.type() == pugi::node_pcdata)
            text = first.text();
        else if (create)
            text = node.append_child(pugi::node_pcdata).text();
        return CreateText(OwnerOf(self), text);
    });
}

REALobject Attribute(REALobject self, REALstring name, RBBoolean create) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        xml_node node = NodeOf(self);
        xml_attribute attribute = node.attribute(text.c_str());
        if (!attribute && create) attribute = node.append_attribute(text.c_str());
        return AttributeResult(self, attribute);
    });
}

REALobject NodeAttributes(REALobject self) {
    return Shielded<REALobject>(
        nullptr, [&] { return CreateAttributeIterator(OwnerOf(self), NodeOf(self)); });
}

REALobject FirstAttribute(REALobject self) {
    return Shielded<REALobject>(
        nullptr, [&] { return AttributeResult(self, NodeOf(self).first_attribute()); });
}

REALobject LastAttribute(REALobject self) {
    return Shielded<REALobject>(
        nullptr, [&] { return AttributeResult(self, NodeOf(self).last_attribute()); });
}

// ---- Editing --------------------------------------------------------------
//
// Each editing member is one pugixml call framed by the same checks: a nil
// object argument gives an empty wrapper (or False) before anything else is
// read, a name the host cannot supply gives nil (or False), and a refusal by
// pugixml comes back as a null handle (or false) and so as an empty wrapper.
// The shapes below carry those checks; the members only name the call.

// NodeType values beyond pugixml's range would land in the few header bits
// pugixml keeps the node kind in; refuse them as pugixml refuses NODE_NULL.
bool IsNodeType(RBInteger type) {
    return type >= pugi::node_null && type <= pugi::node_doctype;
}

template <class Op>
REALobject NodeFromName(REALobject self, REALstring name, Op op) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        return NodeResult(self, op(NodeOf(self), text.c_str()));
    });
}

template <class Op>
REALobject NodeFromNameAt(REALobject self, REALstring name, REALobject reference, Op op) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        if (!reference) return NodeResult(self, xml_node());
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        return NodeResult(self, op(NodeOf(self), text.c_str(), NodeOf(reference)));
    });
}

template <class Op>
REALobject NodeFromType(REALobject self, RBInteger type, Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_node made;
        if (IsNodeType(type)) made = op(NodeOf(self), static_cast<pugi::xml_node_type>(type));
        return NodeResult(self, made);
    });
}

template <class Op>
REALobject NodeFromTypeAt(REALobject self, RBInteger type, REALobject reference, Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_node made;
        if (reference && IsNodeType(type))
            made = op(NodeOf(self), static_cast<pugi::xml_node_type>(type), NodeOf(reference));
        return NodeResult(self, made);
    });
}

// Moves and copies of a node, with or without a reference child.
template <class Op>
REALobject NodeFromNode(REALobject self, REALobject source, Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_node made;
        if (source) made = op(NodeOf(self), NodeOf(source));
        return NodeResult(self, made);
    });
}

template <class Op>
REALobject NodeFromNodeAt(REALobject self, REALobject source, REALobject reference, Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_node made;
        if (source && reference) made = op(NodeOf(self), NodeOf(source), NodeOf(reference));
        return NodeResult(self, made);
    });
}

template <class Op>
REALobject AttributeFromName(REALobject self, REALstring name, Op op) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        return AttributeResult(self, op(NodeOf(self), text.c_str()));
    });
}

template <class Op>
REALobject AttributeFromNameAt(REALobject self, REALstring name, REALobject reference, Op op) {
    return Shielded<REALobject>(nullptr, [&]() -> REALobject {
        if (!reference) return AttributeResult(self, xml_attribute());
        Utf8Arg text(name);
        if (!text.ok()) return nullptr;
        return AttributeResult(self, op(NodeOf(self), text.c_str(), AttributeOf(reference)));
    });
}

template <class Op>
REALobject AttributeFromAttribute(REALobject self, REALobject source, Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_attribute made;
        if (source) made = op(NodeOf(self), AttributeOf(source));
        return AttributeResult(self, made);
    });
}

template <class Op>
REALobject AttributeFromAttributeAt(REALobject self, REALobject source, REALobject reference,
                                    Op op) {
    return Shielded<REALobject>(nullptr, [&] {
        xml_attribute made;
        if (source && reference)
            made = op(NodeOf(self), AttributeOf(source), AttributeOf(reference));
        return AttributeResult(self, made);
    });
}

template <class Op>
RBBoolean RemoveByName(REALobject self, REALstring name, Op op) {
    return Shielded<RBBoolean>(false, [&]() -> RBBoolean {
        Utf8Arg text(name);
        return text.ok() && op(NodeOf(self), text.c_str());
    });
}

using NodeName = const pugi::char_t*;

REALobject AppendChild(REALobject self, REALstring name) {
    return NodeFromName(self, name, [](xml_node n, NodeName s) { return n.append_child(s); });
}
REALobject AppendChildByType(REALobject self, RBInteger type) {
    return NodeFromType(self, type,
                        [](xml_node n, pugi::xml_node_type t) { return n.append_child(t); });
}
REALobject PrependChild(REALobject self, REALstring name) {
    return NodeFromName(self, name, [](xml_node n, NodeName s) { return n.prepend_child(s); });
}
REALobject PrependChildByType(REALobject self, RBInteger type) {
    return NodeFromType(self, type,
                        [](xml_node n, pugi::xml_node_type t) { return n.prepend_child(t); });
}
REALobject InsertChildBefore(REALobject self, REALstring name, REALobject node) {
    return NodeFromNameAt(self, name, node, [](xml_node n, NodeName s, xml_node at) {
        return n.insert_child_before(s, at);
    });
}
REALobject InsertChildAfter(REALobject self, REALstring name, REALobject node) {
    return NodeFromNameAt(self, name, node, [](xml_node n, NodeName s, xml_node at) {
        return n.insert_child_after(s, at);
    });
}
REALobject InsertChildBeforeByType(REALobject self, RBInteger type, REALobject node) {
    return NodeFromTypeAt(self, type, node, [](xml_node n, pugi::xml_node_type t, xml_node at) {
        return n.insert_child_before(t, at);
    });
}
REALobject InsertChildAfterByType(REALobject self, RBInteger type, REALobject node) {
    return NodeFromTypeAt(self, type, node, [](xml_node n, pugi::xml_node_type t, xml_node at) {
        return n.insert_child_after(t, at);
    });
}

// Every removal first tells the tree's live handles what goes (they clear
// themselves, iterators step past it), then lets pugixml free it. Each
// announces only what pugixml is sure to remove, checked as pugixml checks.
bool RemoveNode(REALobject self, xml_node parent, const xml_node& child) {
    if (!parent || !child || child.parent() != parent) return false;
    AnnounceRemoval(OwnerOf(self), Removal{Removal::Subtree, child, xml_attribute()});
    return parent.remove_child(child);
}

bool RemoveOneAttribute(REALobject self, xml_node node, const xml_attribute& attribute) {
    if (!node || !attribute) return false;
    bool found = false;
    for (xml_attribute a = node.first_attribute(); a && !found; a = a.next_attribute())
        found = a == attribute;
    if (!found) return false;
    AnnounceRemoval(OwnerOf(self), Removal{Removal::Attribute, node, attribute});
    return node.remove_attribute(attribute);
}

RBBoolean RemoveChild(REALobject self, REALstring name) {
    return RemoveByName(self, name,
                        [&](xml_node n, NodeName s) { return RemoveNode(self, n, n.child(s)); });
}
RBBoolean RemoveChildByObject(REALobject self, REALobject node) {
    return Shielded<RBBoolean>(
        false, [&] { return node && RemoveNode(self, NodeOf(self), NodeOf(node)); });
}
RBBoolean RemoveAllChildren(REALobject self) {
    return Shielded<RBBoolean>(false, [&] {
        xml_node node = NodeOf(self);
        if (!node) return false;
        AnnounceRemoval(OwnerOf(self), Removal{Removal::Children, node, xml_attribute()});
        return node.remove_children();
    });
}
RBBoolean RemoveAttribute(REALobject self, REALstring name) {
    return RemoveByName(self, name, [&](xml_node n, NodeName s) {
        return RemoveOneAttribute(self, n, n.attribute(s));
    });
}
RBBoolean RemoveAttributeByObject(REALobject self, REALobject attr) {
    return Shielded<RBBoolean>(
        false, [&] { return attr && RemoveOneAttribute(self, NodeOf(self), AttributeOf(attr)); });
}
RBBoolean RemoveAllAttributes(REALobject self) {
    return Shielded<RBBoolean>(false, [&] {
        xml_node node = NodeOf(self);
        if (!node) return false;
        AnnounceRemoval(OwnerOf(self), Removal{Removal::Attributes, node, xml_attribute()});
        return node.remove_attributes();
    });
}

REALobject AppendAttribute(REALobject self, REALstring name) {
    return AttributeFromName(self, name,
                             [](xml_node n, NodeName s) { return n.append_attribute(s); });
}
REALobject PrependAttribute(REALobject self, REALstring name) {
    return AttributeFromName(self, name,
                             [](xml_node n, NodeName s) { return n.prepend_attribute(s); });
}
REALobject InsertAttributeBefore(REALobject self, REALstring name, REALobject attr) {
    return AttributeFromNameAt(self, name, attr, [](xml_node n, NodeName s, xml_attribute at) {
        return n.insert_attribute_before(s, at);
    });
}
REALobject InsertAttributeAfter(REALobject self, REALstring name, REALobject attr) {
    return AttributeFromNameAt(self, name, attr, [](xml_node n, NodeName s, xml_attribute at) {
        return n.insert_attribute_after(s, at);
    });
}

REALobject AppendMove(REALobject self, REALobject moved) {
    return NodeFromNode(self, moved, [](xml_node n, xml_node m) { return n.append_move(m); });
}
REALobject PrependMove(REALobject self, REALobject moved) {
    return NodeFromNode(self, moved, [](xml_node n, xml_node m) { return n.prepend_move(m); });
}
REALobject InsertMoveBefore(REALobject self, REALobject moved, REALobject node) {
    return NodeFromNodeAt(self, moved, node, [](xml_node n, xml_node m, xml_node at) {
        return n.insert_move_before(m, at);
    });
}
REALobject InsertMoveAfter(REALobject self, REALobject moved, REALobject node) {
    return NodeFromNodeAt(self, moved, node, [](xml_node n, xml_node m, xml_node at) {
        return n.insert_move_after(m, at);
    });
}

REALobject AppendCopy(REALobject self, REALobject copied) {
    return NodeFromNode(self, copied, [](xml_node n, xml_node c) { return n.append_copy(c); });
}
REALobject PrependCopy(REALobject self, REALobject copied) {
    return NodeFromNode(self, copied, [](xml_node n, xml_node c) { return n.prepend_copy(c); });
}
REALobject InsertCopyBefore(REALobject self, REALobject copied, REALobject node) {
    return NodeFromNodeAt(self, copied, node, [](xml_node n, xml_node c, xml_node at) {
        return n.insert_copy_before(c, at);
    });
}
REALobject InsertCopyAfter(REALobject self, REALobject copied, REALobject node) {
    return NodeFromNodeAt(self, copied, node, [](xml_node n, xml_node c, xml_node at) {
        return n.insert_copy_after(c, at);
    });
}

REALobject AppendCopyByAttribute(REALobject self, REALobject copied) {
    return AttributeFromAttribute(self, copied,
                                  [](xml_node n, xml_attribute c) { return n.append_copy(c); });
}
REALobject PrependCopyByAttribute(REALobject self, REALobject copied) {
    return AttributeFromAttribute(self, copied,
                                  [](xml_node n, xml_attribute c) { return n.prepend_copy(c); });
}
REALobject InsertCopyBeforeByAttribute(REALobject self, REALobject copied, REALobject attr) {
    return AttributeFromAttributeAt(
        self, copied, attr,
        [](xml_node n, xml_attribute c, xml_attribute at) { return n.insert_copy_before(c, at); });
}
REALobject InsertCopyAfterByAttribute(REALobject self, REALobject copied, REALobject attr) {
    return AttributeFromAttributeAt(
        self, copied, attr,
        [](xml_node n, xml_attribute c, xml_attribute at) { return n.insert_copy_after(c, at); });
}

// ---- Registration ---------------------------------------------------------

REALproperty Properties[] = {
    Property("Empty", "Boolean", HOST_FN(GetEmpty)),
    Property("Name", "String", HOST_FN(GetName), HOST_FN(SetName)),
    Property("Type", "TorvaneXml.NodeType", HOST_FN(GetType)),
    Property("Value", "String", HOST_FN(GetValue), HOST_FN(SetValue)),
    Property("TextValue", "String", HOST_FN(GetTextValue), HOST_FN(SetTextValue)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(ChildValueWithName), "ChildValue(childName as String) as String"),
    Method(HOST_FN(ChildValue), "ChildValue() as String"),
    Method(HOST_FN(Root), "Root() as TorvaneXml.Node"),
    Method(HOST_FN(NextSibling), "NextSibling() as TorvaneXml.Node"),
    Method(HOST_FN(PreviousSibling), "PreviousSibling() as TorvaneXml.Node"),
    Method(HOST_FN(FindChildByAttributeWithName),
           "FindChildByAttribute(childName as String, attributeName as String, attributeValue as "
           "String) as TorvaneXml.Node"),
    Method(HOST_FN(FindChildByAttribute),
           "FindChildByAttribute(attributeName as String, attributeValue as String) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(FirstElementByPath), "FirstElementByPath(path as String) as TorvaneXml.Node"),
    Method(HOST_FN(Child), "Child(name as String, create as Boolean = false) as TorvaneXml.Node"),
    Method(HOST_FN(Children), "Children() as TorvaneXml.NodeIterator"),
    Method(HOST_FN(ChildrenWithName), "Children(name as String) as TorvaneXml.NamedNodeIterator"),
    Method(HOST_FN(FirstChild), "FirstChild() as TorvaneXml.Node"),
    Method(HOST_FN(LastChild), "LastChild() as TorvaneXml.Node"),
    Method(HOST_FN(Parent), "Parent() as TorvaneXml.Node"),
    Method(HOST_FN(AppendChild), "AppendChild(name as String) as TorvaneXml.Node"),
    Method(HOST_FN(AppendChildByType),
           "AppendChild(type as TorvaneXml.NodeType) as TorvaneXml.Node"),
    Method(HOST_FN(PrependChild), "PrependChild(name as String) as TorvaneXml.Node"),
    Method(HOST_FN(PrependChildByType),
           "PrependChild(type as TorvaneXml.NodeType) as TorvaneXml.Node"),
    Method(HOST_FN(InsertChildBefore),
           "InsertChildBefore(name as String, node as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(InsertChildAfter),
           "InsertChildAfter(name as String, node as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(InsertChildBeforeByType),
           "InsertChildBefore(type as TorvaneXml.NodeType, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(InsertChildAfterByType),
           "InsertChildAfter(type as TorvaneXml.NodeType, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(RemoveChild), "RemoveChild(name as String) as Boolean"),
    Method(HOST_FN(RemoveChildByObject), "RemoveChild(node as TorvaneXml.Node) as Boolean"),
    Method(HOST_FN(RemoveAllChildren), "RemoveAllChildren() as Boolean"),
    Method(HOST_FN(ToString), "ToString() as String"),
    Method(HOST_FN(ToStringWithFlags), "ToString(formatFlags as Integer) as String"),
    Method(HOST_FN(Text), "Text(create as Boolean = false) as TorvaneXml.TextHelper"),
    Method(HOST_FN(Attribute),
           "Attribute(name as String, create as Boolean = false) as TorvaneXml.Attribute"),
    Method(HOST_FN(NodeAttributes), "NodeAttributes() as TorvaneXml.AttributeIterator"),
    Method(HOST_FN(FirstAttribute), "FirstAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(LastAttribute), "LastAttribute() as TorvaneXml.Attribute"),
    Method(HOST_FN(RemoveAttribute), "RemoveAttribute(name as String) as Boolean"),
    Method(HOST_FN(RemoveAttributeByObject),
           "RemoveAttribute(attr as TorvaneXml.Attribute) as Boolean"),
    Method(HOST_FN(RemoveAllAttributes), "RemoveAllAttributes() as Boolean"),
    Method(HOST_FN(AppendAttribute), "AppendAttribute(name as String) as TorvaneXml.Attribute"),
    Method(HOST_FN(PrependAttribute), "PrependAttribute(name as String) as TorvaneXml.Attribute"),
    Method(HOST_FN(InsertAttributeBefore),
           "InsertAttributeBefore(name as String, attr as TorvaneXml.Attribute) as "
           "TorvaneXml.Attribute"),
    Method(HOST_FN(InsertAttributeAfter),
           "InsertAttributeAfter(name as String, attr as TorvaneXml.Attribute) as "
           "TorvaneXml.Attribute"),
    Method(HOST_FN(AppendMove), "AppendMove(moved as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(PrependMove), "PrependMove(moved as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(InsertMoveBefore),
           "InsertMoveBefore(moved as TorvaneXml.Node, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(InsertMoveAfter),
           "InsertMoveAfter(moved as TorvaneXml.Node, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(AppendCopy), "AppendCopy(copied as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(PrependCopy), "PrependCopy(copied as TorvaneXml.Node) as TorvaneXml.Node"),
    Method(HOST_FN(InsertCopyBefore),
           "InsertCopyBefore(copied as TorvaneXml.Node, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(InsertCopyAfter),
           "InsertCopyAfter(copied as TorvaneXml.Node, node as TorvaneXml.Node) as "
           "TorvaneXml.Node"),
    Method(HOST_FN(AppendCopyByAttribute),
           "AppendCopy(copied as TorvaneXml.Attribute) as TorvaneXml.Attribute"),
    Method(HOST_FN(PrependCopyByAttribute),
           "PrependCopy(copied as TorvaneXml.Attribute) as TorvaneXml.Attribute"),
    Method(HOST_FN(InsertCopyBeforeByAttribute),
           "InsertCopyBefore(copied as TorvaneXml.Attribute, attr as TorvaneXml.Attribute) as "
           "TorvaneXml.Attribute"),
    Method(HOST_FN(InsertCopyAfterByAttribute),
           "InsertCopyAfter(copied as TorvaneXml.Attribute, attr as TorvaneXml.Attribute) as "
           "TorvaneXml.Attribute"),
    // Implemented by the XPath layer: xpath/selection.cpp.
    Method(HOST_FN(SelectNodes),
           "SelectNodes(query as String, variables as TorvaneXml.XPathVariableSet = nil) as "
           "TorvaneXml.XPathNodeSet"),
    Method(HOST_FN(SelectNode),
           "SelectNode(query as String, variables as TorvaneXml.XPathVariableSet = nil) as "
           "TorvaneXml.XPathNode"),
    Method(HOST_FN((Operator_Compare<xml_node, NodeOf>)),
           "Operator_Compare(rhs As TorvaneXml.Node) As Integer"),
};

}  // namespace

REALclassDefinition NodeClass =
    ClassRecord({"Node", nullptr, sizeof(NodeData), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), nullptr, nullptr, 0});
