// The three exception classes as host code catches them: class, message,
// error code, Offset and Status, and the Catch hierarchy.
#include "fixture.h"

namespace {

using Exceptions = PluginTest;

TEST_F(Exceptions, XmlExceptionCarriesMessageAndCode) {
    emu::Value doc = NewDocument();
    emu::HostException e = ExpectRaise([&] {
        Call(doc, "SaveToFile", {emu::Value(), Bool(true)});
    });
    EXPECT_EQ(e.className, "TorvaneXmlException");
    EXPECT_EQ(e.message, "Parameter f may not be nil");
    EXPECT_EQ(e.errorNumber, 1);
    EXPECT_EQ(GetString(e.exception, "Message"), "Parameter f may not be nil");
    EXPECT_EQ(Get(e.exception, "ErrorNumber").asInt(), 1);
    EXPECT_TRUE(host().isa(e.exception, "TorvaneXmlException"));
    EXPECT_TRUE(host().isa(e.exception, "RuntimeException"));
    EXPECT_FALSE(host().isa(e.exception, "TorvaneXPathException"));
}

TEST_F(Exceptions, ParserExceptionCarriesStatusAndOffset) {
    emu::HostException e = ExpectRaise([&] { Parse("<a><b></a>"); });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_EQ(e.errorNumber, -23);
    EXPECT_EQ(e.message, "Start-end tags mismatch");
    EXPECT_TRUE(e.returned.isNil());
    emu::Value status = Get(e.exception, "Status");
    EXPECT_EQ(status.kind(), emu::Kind::Enum);
    EXPECT_EQ(status.asInt(), 14);  // END_ELEMENT_MISMATCH
    EXPECT_EQ(Get(e.exception, "Offset").asInt(), 8);
    EXPECT_TRUE(host().isa(e.exception, "TorvaneXmlException"));
    EXPECT_TRUE(host().isa(e.exception, "RuntimeException"));
}

TEST_F(Exceptions, ParserExceptionBeforeParsingHasInternalErrorStatus) {
    emu::HostException e =
        ExpectRaise([&] { host().callShared("TorvaneXml.Document", "FromFile", {emu::Value()}); });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_EQ(e.message, "Parameter f may not be nil");
    EXPECT_EQ(e.errorNumber, 1);
    EXPECT_EQ(Get(e.exception, "Status").asInt(), 4);
    EXPECT_EQ(Get(e.exception, "Offset").asInt(), 0);
}

TEST_F(Exceptions, XPathExceptionCarriesOffsetIntoTheQuery) {
    emu::Value doc = Parse("<a/>");
    emu::HostException e = ExpectRaise([&] { Call(doc, "SelectNodes", {Str("//a[")}); });
    EXPECT_EQ(e.className, "TorvaneXPathException");
    EXPECT_EQ(e.errorNumber, -1);
    EXPECT_FALSE(e.message.empty());
    const int64_t offset = Get(e.exception, "Offset").asInt();
    EXPECT_GT(offset, 0);
    EXPECT_LE(offset, 4);
    EXPECT_TRUE(host().isa(e.exception, "TorvaneXmlException"));
    EXPECT_FALSE(host().isa(e.exception, "TorvaneXmlParserException"));
}

TEST_F(Exceptions, ConstructorOfTheExceptionClassesIsHiddenAndHarmless) {
    // Host code may still make one by name; it is an ordinary exception.
    emu::Value e = host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass",
                                     {Str("TorvaneXmlParserException")});
    ASSERT_FALSE(e.isNil());
    EXPECT_EQ(e.className(), "TorvaneXmlParserException");
    EXPECT_EQ(Get(e, "Offset").asInt(), 0);
    EXPECT_EQ(Get(e, "Status").asInt(), 0);
}

using HiddenMethod = PluginTest;

TEST_F(HiddenMethod, CreatesKnownClassesByNameAndNilOtherwise) {
    struct Row {
        const char* name;
        const char* made;  // nullptr: nil
    };
    const Row rows[] = {
        {"TorvaneXml.Node", "TorvaneXml.Node"},
        {"TorvaneXml.XPathVariableSet", "TorvaneXml.XPathVariableSet"},
        {"DateTime", "DateTime"},
        {"NoSuchClass", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        emu::Value obj =
            host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass", {Str(row.name)});
        if (row.made) {
            EXPECT_EQ(obj.className(), row.made) << row.name;
        } else {
            EXPECT_TRUE(obj.isNil()) << row.name;
        }
    }
    EXPECT_TRUE(
        host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass", {emu::Value()}).isNil());
    EXPECT_TRUE(host()
                    .callModule("TorvaneXml", "CreateInstanceOfUnknownClass",
                                {host().strUnconvertible("TorvaneXml.Node")})
                    .isNil());
}

// A Node made by name was never bound: it answers as an empty wrapper.
TEST_F(HiddenMethod, NeverBoundNodeIsAnEmptyWrapper) {
    emu::Value node =
        host().callModule("TorvaneXml", "CreateInstanceOfUnknownClass", {Str("TorvaneXml.Node")});
    EXPECT_TRUE(Get(node, "Empty").asBool());
    EXPECT_EQ(GetString(node, "Name"), "");
    EXPECT_TRUE(Get(Call(node, "FirstChild"), "Empty").asBool());
    EXPECT_TRUE(Call(node, "Root").isNil());
}

}  // namespace
