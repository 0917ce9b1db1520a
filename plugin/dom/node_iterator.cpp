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

void Constructor(REALobject) {}

REALproperty Properties[] = {
    Property("Count", "Integer", HOST_FN(Walker::Count)),
    Property("Any", "Boolean", HOST_FN(Walker::Any)),
};

REALmethodDefinition Methods[] = {
    Method(HOST_FN(Constructor), "Constructor()", kFlagsHidden),
    Method(HOST_FN(Walker::MoveNext), "MoveNext() as Boolean", kFlagsHidden),
    Method(HOST_FN(Walker::Value), "Value() as Variant", kFlagsHidden),
    Method(HOST_FN(Walker::Iterable), "Iterator() as Iterator", kFlagsHidden),
};

}  // namespace

REALclassDefinition NodeIteratorClass = ClassRecord(
    {"NodeIterator", nullptr, sizeof(Walker::Data), HOST_FN(Walker::Destructor), Properties,
     CountOf(Properties), Methods, CountOf(Methods), "Iterator,Iterable", nullptr, 0});
