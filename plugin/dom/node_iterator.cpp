// Class NodeIterator: every child of a node, of every node type, in document
// order, walked live through pugixml's sibling links.
#include "dom/tree_iterator.h"

namespace {

using Range = IteratorRange<pugi::xml_node_iterator>;

REALobject WrapNode(REALobject owner, const pugi::xml_node_iterator& at) {
    return CreateNode(owner, *at);
}

using Walker = TreeIterator<Range, NodeIteratorClass, WrapNode>;

}  // namespace

REALobject CreateNodeIterator(REALobject owner, const pugi::xml_node_iterator& begin,
                              const pugi::xml_node_iterator& end) {
    std::unique_ptr<Range> range(new Range{begin, begin, end});
    return Walker::Create(owner, std::move(range));
}

namespace {

RBInteger Count(REALobject self, RBInteger) {
    return Walker::Count(self);
}
RBBoolean Any(REALobject self, RBInteger) {
    return Walker::Any(self);
}
void Constructor(REALobject) {}
RBBoolean MoveNext(REALobject self) {
    return Walker::MoveNext(self);
}
REALobject Value(REALobject self) {
    return Walker::Value(self);
}
REALobject Iterable(REALobject self) {
    return Walker::Iterable(self);
}
void Destructor(REALobject self) {
    Walker::Destructor(self);
}

REALproperty Properties[] = {
    Property("Count", "Integer", HOST_FN(Count)),
    Property("Any", "Boolean", HOST_FN(Any)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(MoveNext), "MoveNext() as Boolean", kFlagsHidden),
    Method(HOST_FN(Value), "Value() as Variant", kFlagsHidden),
    Method(HOST_FN(Iterable), "Iterator() as Iterator", kFlagsHidden),
};

}  // namespace

REALclassDefinition NodeIteratorClass =
    ClassRecord({"NodeIterator", nullptr, sizeof(Walker::Data), HOST_FN(Destructor), Properties,
                 CountOf(Properties), Methods, CountOf(Methods), "Iterator,Iterable", nullptr, 0});
