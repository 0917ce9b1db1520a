// Class AttributeIterator: the attributes of a node, in document order, walked
// live through pugixml's attribute links.
#include "dom/tree_iterator.h"

namespace {

using Range = IteratorRange<pugi::xml_attribute_iterator>;

REALobject WrapAttribute(REALobject owner, const Range& range) {
    return CreateAttribute(owner, *range.current);
}

using Walker = TreeIterator<Range, AttributeIteratorClass, WrapAttribute>;

}  // namespace

REALobject CreateAttributeIterator(REALobject owner, const pugi::xml_attribute_iterator& begin,
                                   const pugi::xml_attribute_iterator& end) {
    return Walker::Create(owner, std::unique_ptr<Range>(new Range{begin, begin, end}));
}

REALclassDefinition AttributeIteratorClass = IteratorTables<Walker>::Record("AttributeIterator");
