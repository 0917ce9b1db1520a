// Class AttributeIterator: the attributes of a node, in document order, walked
// live through pugixml's attribute links.
#include "dom/tree_iterator.h"

namespace {

using Range = TreeRange<pugi::xml_attribute_iterator>;

REALobject WrapAttribute(REALobject owner, const Range& range) {
    return CreateAttribute(owner, *range.current, range.parent);
}

using Walker = TreeIterator<Range, AttributeIteratorClass, WrapAttribute>;

}  // namespace

REALobject CreateAttributeIterator(REALobject owner, const pugi::xml_node& parent) {
    return Walker::Create(
        owner, std::make_unique<Range>(parent.attributes_begin(), parent.attributes_end(), parent));
}

REALclassDefinition AttributeIteratorClass = IteratorTables<Walker>::Record("AttributeIterator");
