// Class NodeIterator: every child of a node, of every node type, in document
// order, walked live through pugixml's sibling links.
#include "dom/tree_iterator.h"

namespace {

using Range = TreeRange<pugi::xml_node_iterator>;

REALobject WrapNode(REALobject owner, const Range& range) {
    return CreateNode(owner, *range.current);
}

using Walker = TreeIterator<Range, NodeIteratorClass, WrapNode>;

}  // namespace

REALobject CreateNodeIterator(REALobject owner, const pugi::xml_node& parent) {
    return Walker::Create(owner, std::make_unique<Range>(parent.begin(), parent.end(), parent));
}

REALclassDefinition NodeIteratorClass = IteratorTables<Walker>::Record("NodeIterator");
