// Class AttributeIterator: the attributes of a node, in document order, walked
// live through pugixml's attribute links.
#include "dom/tree_iterator.h"

namespace {

using Range = IteratorRange<pugi::xml_attribute_iterator>;

REALobject WrapAttribute(REALobject owner, const pugi::xml_attribute_iterator& at) {
    return CreateAttribute(owner, *at);
}

using Walker = TreeIterator<Range, AttributeIteratorClass, WrapAttribute>;

}  // namespace

REALobject CreateAttributeIterator(REALobject owner, const pugi::xml_attribute_iterator& begin,
                                   const pugi::xml_attribute_iterator& end) {
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

REALclassDefinition AttributeIteratorClass = ClassRecord(
    {"AttributeIterator", nullptr, sizeof(Walker::Data), HOST_FN(Walker::Destructor), Properties,
     CountOf(Properties), Methods, CountOf(Methods), "Iterator,Iterable", nullptr, 0});
