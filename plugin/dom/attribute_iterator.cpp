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

REALclassDefinition AttributeIteratorClass = ClassRecord(
    {"AttributeIterator", nullptr, sizeof(Walker::Data), HOST_FN(Destructor), Properties,
     CountOf(Properties), Methods, CountOf(Methods), "Iterator,Iterable", nullptr, 0});
