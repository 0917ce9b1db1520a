// The XPath classes as the host sees them registered.
#include "xpath_test.h"

namespace {

class XPathRegistration : public XPathTest {};

struct ClassCase {
    const char* name;
    size_t dataSize;
    const char* interfaces;
    std::vector<std::pair<std::string, uint32_t>> methods;
    std::vector<std::string> properties;
};

TEST_F(XPathRegistration, TablesAsDeclared) {
    const ClassCase cases[] = {
        {"TorvaneXml.XPathNodeIterator",
         32,
         "Iterator,Iterable",
         {{"Constructor()", 0x84},
          {"MoveNext() as Boolean", 0x84},
          {"Value() as Variant", 0x84},
          {"Iterator() as Iterator", 0x84}},
         {"Count", "Any"}},
        {"TorvaneXml.XPathNode",
         16,
         "",
         {{"Constructor()", 0x84}},
         {"Node", "Attribute", "Parent"}},
        {"TorvaneXml.XPathNodeSet",
         16,
         "",
         {{"Constructor()", 0x84}, {"XPathNodes() as TorvaneXml.XPathNodeIterator", 0x24}},
         {}},
        {"TorvaneXml.XPathQuery",
         16,
         "",
         {{"Constructor(query as String)", 0x24},
          {"Constructor(query as String, variables as TorvaneXml.XPathVariableSet)", 0x24},
          {"EvaluateNodeSet(node as TorvaneXml.Node) as TorvaneXml.XPathNodeSet", 0x4},
          {"EvaluateNumber(node as TorvaneXml.Node) as Double", 0x4},
          {"EvaluateBoolean(node as TorvaneXml.Node) as Boolean", 0x4},
          {"EvaluateString(node as TorvaneXml.Node) as String", 0x4},
          {"EvaluateNode(node as TorvaneXml.Node) as TorvaneXml.XPathNode", 0x4}},
         {}},
        {"TorvaneXml.XPathVariableSet",
         8,
         "",
         {{"Constructor()", 0x24},
          {"Add(name as String, type as TorvaneXml.XPathType)", 0x24},
          {"Set(name as String, value as Boolean)", 0x24},
          {"Set(name as String, value as Double)", 0x24},
          {"Set(name as String, value as String)", 0x24},
          {"Set(name as String, value as TorvaneXml.XPathNodeSet)", 0x24}},
         {}},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(c.name);
        const emu::RegisteredClass* cls = host().registry().findClass(c.name);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->dataSize, c.dataSize);
        EXPECT_EQ(cls->flags, 0x4u);
        EXPECT_EQ(cls->interfaces, c.interfaces);
        EXPECT_EQ(cls->superName, "");
        EXPECT_TRUE(cls->hasDestructor);
        ASSERT_EQ(cls->methods.size(), c.methods.size());
        for (size_t i = 0; i < c.methods.size(); ++i) {
            EXPECT_EQ(cls->methods[i].declaration, c.methods[i].first);
            EXPECT_EQ(cls->methods[i].flags, c.methods[i].second) << c.methods[i].first;
        }
        ASSERT_EQ(cls->properties.size(), c.properties.size());
        for (size_t i = 0; i < c.properties.size(); ++i) {
            EXPECT_EQ(cls->properties[i].name, c.properties[i]);
            EXPECT_EQ(cls->properties[i].flags, 0x4u);
            EXPECT_FALSE(cls->properties[i].hasSetter);
        }
        EXPECT_TRUE(cls->sharedMethods.empty());
    }
}

TEST_F(XPathRegistration, NodeCarriesTheSelectionMembers) {
    const emu::RegisteredClass* node = host().registry().findClass("TorvaneXml.Node");
    ASSERT_NE(node, nullptr);
    int found = 0;
    for (const emu::RegisteredMethod& m : node->methods) {
        if (m.declaration ==
                "SelectNodes(query as String, variables as TorvaneXml.XPathVariableSet = nil) as "
                "TorvaneXml.XPathNodeSet" ||
            m.declaration ==
                "SelectNode(query as String, variables as TorvaneXml.XPathVariableSet = nil) as "
                "TorvaneXml.XPathNode") {
            EXPECT_EQ(m.flags, 0x4u);
            ++found;
        }
    }
    EXPECT_EQ(found, 2);
}

}  // namespace
