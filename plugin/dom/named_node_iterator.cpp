// Class NamedNodeIterator: the children of a node whose name equals a given
// text byte for byte, in document order, walked live.
#include "dom/tree_iterator.h"

namespace {

using Range = NamedIteratorRange;

REALobject WrapNode(REALobject owner, const Range& range) {
    return CreateNode(owner, *range.current);
}

using Walker = TreeIterator<Range, NamedNodeIteratorClass, WrapNode>;

}  // namespace

// The given iterators point at the caller's name bytes, which die when the
// caller returns, so the range is rebuilt over the block's own copy of the
// name. The name is the first item's; an empty range needs none, as it
// never steps (and sees no later additions).
REALobject CreateNamedNodeIterator(REALobject owner, const pugi::xml_named_node_iterator& begin,
                                   const pugi::xml_named_node_iterator& end) {
    std::unique_ptr<Range> range(new Range({}, {}, pugi::xml_node()));
    if (begin != end) {
        const pugi::xml_node first = *begin;
        range->parent = first.parent();
        range->name = first.name();
        const char* name = range->name.c_str();
        range->begin = pugi::xml_named_node_iterator(first, name);
        // end is either the range's natural end (no further sibling under the
        // parent) or an item of the range.
        const pugi::xml_named_node_iterator naturalEnd = first.parent().children(name).end();
        range->end = end == naturalEnd ? naturalEnd : pugi::xml_named_node_iterator(*end, name);
    }
    return Walker::Create(owner, std::move(range));
}

REALclassDefinition NamedNodeIteratorClass = IteratorTables<Walker>::Record("NamedNodeIterator");
