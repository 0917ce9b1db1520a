// What the host sees when the plug-in registers: the module, its class list,
// enumerations, constants and hidden method, and the exception classes. The
// texts are compared byte for byte: host code and the IDE depend on them.
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using Registration = PluginTest;

TEST_F(Registration, ModuleHasItsNameConstantsEnumerationsAndHiddenMethod) {
    const emu::RegisteredModule* module = host().registry().findModule("TorvaneXml");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(host().registry().modules.size(), 1u);

    const std::vector<std::string> constants = {
        "Version = 1.1",
        "FORMAT_INDENT = &h01",
        "FORMAT_WRITE_BOM = &h02",
        "FORMAT_RAW = &h04",
        "FORMAT_NO_DECLARATION = &h08",
        "FORMAT_NO_ESCAPES = &h10",
        "FORMAT_SAVE_FILE_TEXT = &h20",
        "FORMAT_INDENT_ATTRIBUTES = &h40",
        "FORMAT_NO_EMPTY_ELEMENT_TAGS = &h80",
        "FORMAT_SKIP_CONTROL_CHARS = &h100",
        "FORMAT_ATTRIBUTE_SINGLE_QUOTE = &h200",
        "FORMAT_DEFAULT = &h01",
    };
    ASSERT_EQ(module->constants.size(), constants.size());
    for (size_t i = 0; i < constants.size(); ++i) {
        EXPECT_EQ(module->constants[i].declaration, constants[i]);
        EXPECT_EQ(module->constants[i].flags, 0x24u) << constants[i];
    }

    ASSERT_EQ(module->methods.size(), 1u);
    const emu::RegisteredMethod& hidden = module->methods[0];
    EXPECT_EQ(hidden.declaration, "CreateInstanceOfUnknownClass(className as String) as Object");
    EXPECT_EQ(hidden.flags, 0x24u);
    ASSERT_EQ(hidden.attributes.size(), 1u);
    EXPECT_EQ(hidden.attributes[0].first, "Hidden");
    EXPECT_EQ(hidden.attributes[0].second, "");
}

TEST_F(Registration, EnumerationsCarryTheLibraryNumbering) {
    const emu::RegisteredModule* module = host().registry().findModule("TorvaneXml");
    ASSERT_NE(module, nullptr);
    struct Expected {
        const char* name;
        std::vector<std::string> entries;
    };
    const std::vector<Expected> expected = {
        {"NodeType",
         {"NODE_NULL = 0", "NODE_DOCUMENT= 1", "NODE_ELEMENT = 2", "NODE_PCDATA = 3",
          "NODE_CDATA = 4", "NODE_COMMENT = 5", "NODE_PI = 6", "NODE_DECLARATION = 7",
          "NODE_DOCTYPE = 8"}},
        {"ParsingStatus",
         {"NO_ERROR = 0", "FILE_NOT_FOUND = 1", "IO_ERROR = 2", "OUT_OF_MEMORY = 3",
          "INTERNAL_ERROR = 4", "UNRECONGNIZED_TAG = 5", "BAD_PI = 6", "BAD_COMMENT = 7",
          "BAD_CDATA = 8", "BAD_DOCTYPE = 9", "BAD_PCDATA = 10", "BAD_START_ELEMENT = 11",
          "BAD_ATTRIBUTE = 12", "BAD_END_ELEMENT = 13", "END_ELEMENT_MISMATCH = 14",
          "APPEND_INVALID_ROOT = 15", "NO_DOCUMENT_ELEMENT = 16"}},
        {"XPathType",
         {"TYPE_NONE = 0", "TYPE_NODE_SET = 1", "TYPE_NUMBER = 2", "TYPE_STRING = 3",
          "TYPE_BOOLEAN = 4"}},
    };
    ASSERT_EQ(module->enums.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(module->enums[i].name, expected[i].name);
        EXPECT_EQ(module->enums[i].type, "Integer");
        EXPECT_EQ(module->enums[i].flags, 0x20u);
        EXPECT_EQ(module->enums[i].entries, expected[i].entries) << expected[i].name;
    }
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

TEST_F(Registration, DateMembersStandLastInTheirTables) {
    const emu::RegisteredClass* document = host().registry().findClass("TorvaneXml.Document");
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->sharedMethods.size(), 5u);
    EXPECT_EQ(document->sharedMethods[0].declaration,
              "FromFile(f as FolderItem) as TorvaneXml.Document");
    EXPECT_EQ(document->sharedMethods[1].declaration,
              "FromString(data as String) as TorvaneXml.Document");
    EXPECT_EQ(document->sharedMethods[2].declaration, "DateToISO8601(value as DateTime) as String");
    EXPECT_EQ(document->sharedMethods[3].declaration,
              "DateTimeToISO8601(value as DateTime) as String");
    EXPECT_EQ(document->sharedMethods[4].declaration,
              "ISO8601ToDateTime(value as String, skipTime as Boolean = false) as DateTime");
    for (const char* name : {"TorvaneXml.Attribute", "TorvaneXml.TextHelper"}) {
        const emu::RegisteredClass* cls = host().registry().findClass(name);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->properties.back().name, "AsDateTime") << name;
        EXPECT_EQ(cls->properties.back().type, "DateTime") << name;
        EXPECT_EQ(cls->methods.back().declaration, "Set(value as DateTime)") << name;
    }
}

TEST_F(Registration, AnnouncesRecordVersion13) {
    EXPECT_EQ(host().announcedVersion(), 13);
}

}  // namespace
