// What the host sees when the plug-in registers: the module, its class list
// and hidden method, and the exception classes. Constants and enumerations
// are pinned, with every other text, by the API reference check
// (docs/api.md against the registration).
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using Registration = PluginTest;

TEST_F(Registration, ModuleHasItsNameAndHiddenMethod) {
    const emu::RegisteredModule* module = host().registry().findModule("TorvaneXml");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(host().registry().modules.size(), 1u);

    ASSERT_EQ(module->methods.size(), 1u);
    const emu::RegisteredMethod& hidden = module->methods[0];
    EXPECT_EQ(hidden.declaration, "CreateInstanceOfUnknownClass(className as String) as Object");
    EXPECT_EQ(hidden.flags, 0x24u);
    ASSERT_EQ(hidden.attributes.size(), 1u);
    EXPECT_EQ(hidden.attributes[0].first, "Hidden");
    EXPECT_EQ(hidden.attributes[0].second, "");
}

struct ClassHeader {
    const char* name;
    const char* superName;
    size_t dataSize;
    const char* interfaces;  // nullptr: none registered
    bool hasDestructor;
    size_t properties, methods, sharedMethods;
};

// The twelve module classes in the order the host receives them, then the
// exception classes registered after the module.
const ClassHeader kClasses[] = {
    {"TorvaneXml.Document", "TorvaneXml.Node", 0, nullptr, false, 0, 6, 5},
    {"TorvaneXml.Node", "", 24, nullptr, true, 5, 55, 0},
    {"TorvaneXml.Attribute", "", 16, nullptr, true, 11, 15, 0},
    {"TorvaneXml.NodeIterator", "", 24, "Iterator,Iterable", true, 2, 4, 0},
    {"TorvaneXml.NamedNodeIterator", "", 24, "Iterator,Iterable", true, 2, 4, 0},
    {"TorvaneXml.XPathNodeIterator", "", 32, "Iterator,Iterable", true, 2, 4, 0},
    {"TorvaneXml.AttributeIterator", "", 24, "Iterator,Iterable", true, 2, 4, 0},
    {"TorvaneXml.XPathNode", "", 16, nullptr, true, 3, 1, 0},
    {"TorvaneXml.XPathNodeSet", "", 16, nullptr, true, 0, 2, 0},
    {"TorvaneXml.TextHelper", "", 16, nullptr, true, 10, 12, 0},
    {"TorvaneXml.XPathQuery", "", 16, nullptr, true, 0, 7, 0},
    {"TorvaneXml.XPathVariableSet", "", 8, nullptr, true, 0, 6, 0},
    {"TorvaneXmlException", "RuntimeException", 0, "", false, 0, 1, 0},
    {"TorvaneXPathException", "TorvaneXmlException", 8, "", false, 1, 1, 0},
    {"TorvaneXmlParserException", "TorvaneXmlException", 16, nullptr, false, 2, 1, 0},
};

TEST_F(Registration, ClassRecordsInOrderWithTheirHeaders) {
    const emu::RegisteredModule* module = host().registry().findModule("TorvaneXml");
    ASSERT_NE(module, nullptr);
    const auto& classes = host().registry().classes;
    ASSERT_EQ(classes.size(), std::size(kClasses));
    ASSERT_EQ(module->classes.size(), 12u);
    for (size_t i = 0; i < std::size(kClasses); ++i) {
        const ClassHeader& want = kClasses[i];
        const emu::RegisteredClass& got = classes[i];
        SCOPED_TRACE(want.name);
        if (i < 12) {
            EXPECT_EQ(module->classes[i], want.name);
        }
        EXPECT_EQ(got.name, want.name);
        EXPECT_EQ(got.superName, want.superName);
        EXPECT_EQ(got.dataSize, want.dataSize);
        EXPECT_EQ(got.flags, 0x4u);
        EXPECT_EQ(got.interfacesNull, want.interfaces == nullptr);
        if (want.interfaces) {
            EXPECT_EQ(got.interfaces, want.interfaces);
        }
        EXPECT_EQ(got.hasDestructor, want.hasDestructor);
        EXPECT_EQ(got.properties.size(), want.properties);
        EXPECT_EQ(got.methods.size(), want.methods);
        EXPECT_EQ(got.sharedMethods.size(), want.sharedMethods);
        for (const auto& p : got.properties) EXPECT_EQ(p.flags, 0x4u) << p.name;
        for (const auto& m : got.sharedMethods) EXPECT_EQ(m.flags, 0x4u) << m.declaration;
        ASSERT_NE(got.definition, nullptr);
        EXPECT_EQ(got.definition->version, 13u);
    }
}

// Constructor flags: hidden (0x84) where objects come from the plug-in's
// factories, public (0x24) on XPathQuery and XPathVariableSet, plain on Document.
TEST_F(Registration, ConstructorsAndIteratorProtocolCarryTheirFlags) {
    struct Row {
        const char* cls;
        const char* declaration;
        uint32_t flags;
    };
    const Row rows[] = {
        {"TorvaneXml.Document", "Constructor()", 0x4},
        {"TorvaneXml.Node", "Constructor()", 0x84},
        {"TorvaneXml.Attribute", "Constructor()", 0x84},
        {"TorvaneXml.TextHelper", "Constructor()", 0x84},
        {"TorvaneXml.XPathNode", "Constructor()", 0x84},
        {"TorvaneXml.XPathNodeSet", "Constructor()", 0x84},
        {"TorvaneXml.XPathNodeSet", "XPathNodes() as TorvaneXml.XPathNodeIterator", 0x24},
        {"TorvaneXml.XPathQuery", "Constructor(query as String)", 0x24},
        {"TorvaneXml.XPathQuery",
         "Constructor(query as String, variables as TorvaneXml.XPathVariableSet)", 0x24},
        {"TorvaneXml.XPathVariableSet", "Constructor()", 0x24},
        {"TorvaneXmlException", "Constructor()", 0x84},
        {"TorvaneXPathException", "Constructor()", 0x84},
        {"TorvaneXmlParserException", "Constructor()", 0x84},
    };
    for (const Row& row : rows) {
        const emu::RegisteredClass* cls = host().registry().findClass(row.cls);
        ASSERT_NE(cls, nullptr) << row.cls;
        bool found = false;
        for (const auto& m : cls->methods) {
            if (m.declaration != row.declaration) continue;
            found = true;
            EXPECT_EQ(m.flags, row.flags) << row.cls << " " << row.declaration;
        }
        EXPECT_TRUE(found) << row.cls << " lacks " << row.declaration;
    }
    for (const char* iterator : {"TorvaneXml.NodeIterator", "TorvaneXml.NamedNodeIterator",
                                 "TorvaneXml.AttributeIterator", "TorvaneXml.XPathNodeIterator"}) {
        const emu::RegisteredClass* cls = host().registry().findClass(iterator);
        ASSERT_NE(cls, nullptr);
        ASSERT_EQ(cls->methods.size(), 4u);
        const char* declarations[] = {"Constructor()", "MoveNext() as Boolean",
                                      "Value() as Variant", "Iterator() as Iterator"};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(cls->methods[i].declaration, declarations[i]) << iterator;
            EXPECT_EQ(cls->methods[i].flags, 0x84u) << iterator;
        }
        ASSERT_EQ(cls->properties.size(), 2u);
        EXPECT_EQ(cls->properties[0].name, "Count");
        EXPECT_EQ(cls->properties[0].type, "Integer");
        EXPECT_EQ(cls->properties[1].name, "Any");
        EXPECT_EQ(cls->properties[1].type, "Boolean");
        EXPECT_FALSE(cls->properties[0].hasSetter);
    }
}

TEST_F(Registration, ExceptionPropertiesAreReadOnlyAndDirectReadWhereListed) {
    const emu::RegisteredClass* xpath = host().registry().findClass("TorvaneXPathException");
    ASSERT_NE(xpath, nullptr);
    ASSERT_EQ(xpath->properties.size(), 1u);
    EXPECT_EQ(xpath->properties[0].name, "Offset");
    EXPECT_EQ(xpath->properties[0].type, "Int64");
    EXPECT_TRUE(xpath->properties[0].standardGetter);
    EXPECT_EQ(xpath->properties[0].param, 0);
    EXPECT_FALSE(xpath->properties[0].hasSetter);

    const emu::RegisteredClass* parser = host().registry().findClass("TorvaneXmlParserException");
    ASSERT_NE(parser, nullptr);
    ASSERT_EQ(parser->properties.size(), 2u);
    EXPECT_EQ(parser->properties[0].name, "Status");
    EXPECT_EQ(parser->properties[0].type, "TorvaneXml.ParsingStatus");
    EXPECT_FALSE(parser->properties[0].standardGetter);
    EXPECT_TRUE(parser->properties[0].hasGetter);
    EXPECT_EQ(parser->properties[1].name, "Offset");
    EXPECT_EQ(parser->properties[1].type, "Int64");
    EXPECT_TRUE(parser->properties[1].standardGetter);
    EXPECT_EQ(parser->properties[1].param, 8);
    for (const auto& p : parser->properties) EXPECT_FALSE(p.hasSetter) << p.name;
}

TEST_F(Registration, AnnouncesRecordVersion13) {
    EXPECT_EQ(host().announcedVersion(), 13);
}

}  // namespace
