// The module TorvaneXml: its class list, enumerations, constants and the
// hidden CreateInstanceOfUnknownClass. The one unit that knows every class.
#include "entry/module.h"

#include "base/registration.h"
#include "base/strings.h"
#include "dom/records.h"
#include "xpath/records.h"

namespace {

// Makes an object of any class the host knows, by name; nil when there is
// no such class or the name cannot be read.
REALobject CreateInstanceOfUnknownClass(REALstring className) {
    if (!className) return nullptr;
    REALclassRef classRef = nullptr;
    {
        Utf8Arg name(className);
        if (!name.ok()) return nullptr;
        classRef = REALGetClassRef(name.c_str());
    }
    return classRef ? REALnewInstanceWithClass(classRef) : nullptr;
}

REALattribute Attributes[] = {{"Hidden", ""}};

REALmethodDefinition Hidden(REALmethodDefinition m) {
    m.attributeCount = CountOf(Attributes);
    m.attributes = Attributes;
    return m;
}

REALmethodDefinition Methods[] = {
    Hidden(Method(HOST_FN(CreateInstanceOfUnknownClass),
                  "CreateInstanceOfUnknownClass(className as String) as Object", kFlagsPublic)),
};

REALconstant Constant(const char* declaration) {
    REALconstant c{};
    c.declaration = declaration;
    c.mFlags = kFlagsPublic;
    return c;
}

REALconstant Constants[] = {
    Constant("Version = 1.1"),
    Constant("FORMAT_INDENT = &h01"),
    Constant("FORMAT_WRITE_BOM = &h02"),
    Constant("FORMAT_RAW = &h04"),
    Constant("FORMAT_NO_DECLARATION = &h08"),
    Constant("FORMAT_NO_ESCAPES = &h10"),
    Constant("FORMAT_SAVE_FILE_TEXT = &h20"),
    Constant("FORMAT_INDENT_ATTRIBUTES = &h40"),
    Constant("FORMAT_NO_EMPTY_ELEMENT_TAGS = &h80"),
    Constant("FORMAT_SKIP_CONTROL_CHARS = &h100"),
    Constant("FORMAT_ATTRIBUTE_SINGLE_QUOTE = &h200"),
    Constant("FORMAT_DEFAULT = &h01"),
};

// Entry values equal pugixml's xml_node_type, xml_parse_status and
// xpath_value_type, so values pass between host and library untranslated.
// These are the names host code uses, "NODE_DOCUMENT= 1" and
// "UNRECONGNIZED_TAG = 5" included.
const char* NodeTypes[] = {
    "NODE_NULL = 0",   "NODE_DOCUMENT= 1",     "NODE_ELEMENT = 2",
    "NODE_PCDATA = 3", "NODE_CDATA = 4",       "NODE_COMMENT = 5",
    "NODE_PI = 6",     "NODE_DECLARATION = 7", "NODE_DOCTYPE = 8",
};

const char* ParsingStatus[] = {
    "NO_ERROR = 0",
    "FILE_NOT_FOUND = 1",
    "IO_ERROR = 2",
    "OUT_OF_MEMORY = 3",
    "INTERNAL_ERROR = 4",
    "UNRECONGNIZED_TAG = 5",
    "BAD_PI = 6",
    "BAD_COMMENT = 7",
    "BAD_CDATA = 8",
    "BAD_DOCTYPE = 9",
    "BAD_PCDATA = 10",
    "BAD_START_ELEMENT = 11",
    "BAD_ATTRIBUTE = 12",
    "BAD_END_ELEMENT = 13",
    "END_ELEMENT_MISMATCH = 14",
    "APPEND_INVALID_ROOT = 15",
    "NO_DOCUMENT_ELEMENT = 16",
};

const char* XPathType[] = {
    "TYPE_NONE = 0", "TYPE_NODE_SET = 1", "TYPE_NUMBER = 2", "TYPE_STRING = 3", "TYPE_BOOLEAN = 4",
};

template <size_t N>
REALenum Enumeration(const char* name, const char* (&entries)[N]) {
    REALenum e{};
    e.name = name;
    e.type = "Integer";
    e.mFlags = REALScopePublic;
    e.fields = entries;
    e.numFields = N;
    return e;
}

REALenum TorvaneXmlEnums[] = {
    Enumeration("NodeType", NodeTypes),
    Enumeration("ParsingStatus", ParsingStatus),
    Enumeration("XPathType", XPathType),
};

// The host receives the classes in this order; Document stands before its
// superclass Node.
REALclassDefinition* TorvaneXmlClasses[] = {
    &DocumentClass,          &NodeClass,
    &AttributeClass,         &NodeIteratorClass,
    &NamedNodeIteratorClass, &XPathNodeIteratorClass,
    &AttributeIteratorClass, &XPathNodeClass,
    &XPathNodeSetClass,      &TextClass,
    &XPathQueryClass,        &XPathVariableSetClass,
};

REALmoduleDefinition MakeModule() {
    REALmoduleDefinition m{};
    m.version = kCurrentREALControlVersion;
    m.name = "TorvaneXml";
    m.methods = Methods;
    m.methodCount = CountOf(Methods);
    m.constants = Constants;
    m.constantCount = CountOf(Constants);
    m.enums = TorvaneXmlEnums;
    m.enumCount = CountOf(TorvaneXmlEnums);
    m.classes = TorvaneXmlClasses;
    m.classesCount = CountOf(TorvaneXmlClasses);
    return m;
}

}  // namespace

REALmoduleDefinition TorvaneXmlModule = MakeModule();
