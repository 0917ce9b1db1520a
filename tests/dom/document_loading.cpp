// Document.FromString and Document.FromFile: what parses, how each failure
// reaches host code, and which encodings are trusted.
#include <filesystem>
#include <string>

#include "node_support.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kInternalError = 4;

// Bytes of a literal that holds zero bytes, without its terminator.
template <size_t N>
std::string Bytes(const char (&bytes)[N]) {
    return std::string(bytes, N - 1);
}

class DocumentLoading : public DomTest {
protected:
    emu::Value FromString(const emu::Value& text) {
        return host().callShared("TorvaneXml.Document", "FromString", {text});
    }
    emu::Value FromFile(const emu::Value& folderItem) {
        return host().callShared("TorvaneXml.Document", "FromFile", {folderItem});
    }

    // The parser exception's fields, checked together.
    void ExpectParserException(const emu::HostException& e, const std::string& message,
                               int64_t errorCode, int64_t status, int64_t offset) {
        EXPECT_EQ(e.className, "TorvaneXmlParserException");
        EXPECT_EQ(e.message, message);
        EXPECT_EQ(e.errorNumber, errorCode);
        EXPECT_EQ(host().get(e.exception, "Status").asInt(), status);
        EXPECT_EQ(host().get(e.exception, "Offset").asInt(), offset);
        EXPECT_TRUE(e.returned.isNil());
        // A Document made for a failed load never reaches host code.
        EXPECT_EQ(Live("TorvaneXml.Document"), 0);
    }

    TempDir dir;
};

TEST_F(DocumentLoading, FromStringGivesAnOwningDocumentOfTheTree) {
    emu::Value doc = Parse("<a><b>x</b></a>");
    EXPECT_EQ(doc.className(), "TorvaneXml.Document");
    EXPECT_EQ(TypeOf(doc), nt::kDocument);
    EXPECT_EQ(NameOf(doc), "");
    EXPECT_EQ(NameOf(Element(doc)), "a");
    EXPECT_EQ(Raw(doc), "<a><b>x</b></a>");
}

struct ParseFailure {
    const char* text;
    int64_t status;
    int64_t offset;
    const char* description;
};

TEST_F(DocumentLoading, FromStringReportsEveryParseFailureWithStatusAndOffset) {
    const ParseFailure cases[] = {
        {"<a>", 14, 2, "Start-end tags mismatch"},
        {"<a></b>", 14, 5, "Start-end tags mismatch"},
        {"", 16, 0, "No document element found"},
        {"   ", 16, 3, "No document element found"},
        {"<", 5, 0, "Could not determine tag type"},
        {"<?pi", 6, 3, "Error parsing document declaration/processing instruction"},
        {"<!-- x", 7, 5, "Error parsing comment"},
        {"<a><![CDATA[x</a>", 8, 12, "Error parsing CDATA section"},
        {"<!DOCTYPE", 9, 8, "Error parsing document type declaration"},
        {"<a\x01/>", 11, 3, "Error parsing start element tag"},
        {"<a b=1/>", 12, 5, "Error parsing element attribute"},
    };
    for (const ParseFailure& c : cases) {
        SCOPED_TRACE(c.text);
        emu::HostException e = ExpectRaise([&] { FromString(Str(c.text)); });
        ExpectParserException(e, c.description, -23, c.status, c.offset);
    }
}

TEST_F(DocumentLoading, FromStringOfTextTheHostCannotConvertRaisesBeforeParsing) {
    emu::HostException e = ExpectRaise([&] { FromString(host().strUnconvertible("<a/>")); });
    ExpectParserException(e, "Could not read the string as UTF-8", -23, kInternalError, 0);
}

TEST_F(DocumentLoading, FromStringOfNilReportsAMissingDocumentElement) {
    emu::HostException e = ExpectRaise([&] { FromString(host().nilString()); });
    ExpectParserException(e, "No document element found", -23, 16, 0);
}

TEST_F(NilStringHostTest, FromStringOfAnEmptyStringReportsAMissingDocumentElement) {
    emu::HostException e =
        ExpectRaise([&] { host().callShared("TorvaneXml.Document", "FromString", {Str("")}); });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_EQ(host().get(e.exception, "Status").asInt(), 16);
}

// The host hands over UTF-8 whatever the text's declaration claims; decoding
// it again as Latin-1 would turn every accented letter into two.
TEST_F(DocumentLoading, FromStringTrustsTheHostsUtf8OverTheDeclaredEncoding) {
    const struct {
        const char* declaration;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
        {""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declaration);
        emu::Value doc =
            Parse(std::string(c.declaration) + "<a t=\"\xC3\xA9t\xC3\xA9\">\xC3\xA9t\xC3\xA9</a>");
        emu::Value a = Element(doc);
        EXPECT_EQ(GetString(a, "TextValue"), "\xC3\xA9t\xC3\xA9");
        EXPECT_EQ(Raw(doc), "<a t=\"\xC3\xA9t\xC3\xA9\">\xC3\xA9t\xC3\xA9</a>");
    }
}

TEST_F(DocumentLoading, FromStringTakesTextHeldInAnotherEncodingThroughTheHost) {
    emu::Value doc = FromString(host().strInEncoding("<a>\xE9t\xE9</a>", 0x0201 /* Latin-1 */));
    EXPECT_EQ(GetString(Element(doc), "TextValue"), "\xC3\xA9t\xC3\xA9");
}

TEST_F(DocumentLoading, FromStringSkipsAUtf8ByteOrderMark) {
    emu::Value doc = Parse("\xEF\xBB\xBF<a>x</a>");
    EXPECT_EQ(Raw(doc), "<a>x</a>");
    EXPECT_EQ(NameOf(Call(doc, "FirstChild")), "a");
}

// The tree points into the parsed text: that text must be the Document's
// own, not the bytes the host lends for the call (the emulated host
// overwrites those when they are given back) nor the String's.
TEST_F(DocumentLoading, FromStringTreeOutlivesTheHostsString) {
    emu::Value doc;
    {
        emu::Value text = Str("<a k='v1'>text<b>&amp;more</b></a>");
        doc = FromString(text);
    }
    host().releaseQuarantine();
    emu::Value a = Element(doc);
    EXPECT_EQ(NameOf(a), "a");
    EXPECT_EQ(GetString(Call(a, "Attribute", {Str("k")}), "AsString"), "v1");
    EXPECT_EQ(Raw(doc), "<a k=\"v1\">text<b>&amp;more</b></a>");
}

// A zero byte ends pugixml's input: the document is cut there and reported
// as malformed, never silently shortened into a smaller valid tree.
TEST_F(DocumentLoading, FromStringWithAZeroByteInsideAnElementRaises) {
    emu::HostException e = ExpectRaise([&] { FromString(Str(std::string("<a>x\0y</a>", 10))); });
    ExpectParserException(e, "Start-end tags mismatch", -23, 14, 4);
}

TEST_F(DocumentLoading, FromStringKeepsOnlyElementsTextAndCdata) {
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"<?xml version=\"1.0\"?><!--c--><?pi x?><!DOCTYPE a><a/>", "<a/>"},
        {"<a>x &amp; &#65; &lt;</a>", "<a>x &amp; A &lt;</a>"},
        {"<a>1\r\n2\r3</a>", "<a>1\n2\n3</a>"},
        {"<a t=\"1\t2\n3\"/>", "<a t=\"1 2 3\"/>"},
        {"<a>  <b/>  </a>", "<a><b/></a>"},
        {"<a><![CDATA[<x>]]></a>", "<a><![CDATA[<x>]]></a>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Raw(Parse(c.text)), c.tree);
    }
}

TEST_F(DocumentLoading, FromFileParsesTheFile) {
    emu::Value doc = FromFile(host().folderItem(dir.File("a.xml", "<a><b>x</b></a>")));
    EXPECT_EQ(doc.className(), "TorvaneXml.Document");
    EXPECT_EQ(Raw(doc), "<a><b>x</b></a>");
}

// A file carries its own encoding, so its declaration or byte order mark is
// honoured.
TEST_F(DocumentLoading, FromFileDetectsTheFilesOwnEncoding) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"latin1.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9t\xE9</a>"},
        {"utf8.xml", "<a>\xC3\xA9t\xC3\xA9</a>"},
        {"utf8bom.xml", "\xEF\xBB\xBF<a>\xC3\xA9t\xC3\xA9</a>"},
        {"utf16.xml", Bytes("\xFF\xFE<\0a\0>\0\xE9\0t\0\xE9\0<\0/\0a\0>\0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emu::Value doc = FromFile(host().folderItem(dir.File(c.name, c.bytes)));
        EXPECT_EQ(GetString(Element(doc), "TextValue"), "\xC3\xA9t\xC3\xA9");
    }
}

TEST_F(DocumentLoading, FromFileRefusesWhatIsNotAReadableFile) {
    const std::string existing = dir.File("ok.xml", "<a/>");
    fs::create_directory(dir.Path("folder"));
    const struct {
        const char* what;
        emu::Value f;
        const char* message;
        int64_t errorCode;
    } cases[] = {
        {"nil", Nil(), "Parameter f may not be nil", 1},
        {"missing", host().folderItem(dir.Path("missing.xml")), "File does not exist", -11},
        {"folder", host().folderItem(dir.Path("folder")),
         "Directory was found in place of the file", -17},
        {"path not UTF-8", host().folderItemUnconvertible(existing),
         "Could not open FolderItem.NativePath", -23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emu::HostException e = ExpectRaise([&] { FromFile(c.f); });
        ExpectParserException(e, c.message, c.errorCode, kInternalError, 0);
    }
}

TEST_F(DocumentLoading, FromFileReportsParseFailuresLikeFromString) {
    emu::Value f = host().folderItem(dir.File("bad.xml", "<a><b></a>"));
    emu::HostException e = ExpectRaise([&] { FromFile(f); });
    ExpectParserException(e, "Start-end tags mismatch", -23, 14, 8);
}

// Hosts before 2020.0 name the folder test "Directory".
class DocumentLoadingOldHost : public DocumentLoading {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.version = 2019.2;
        return config;
    }
};

TEST_F(DocumentLoadingOldHost, FromFileTellsAFolderByItsDirectoryProperty) {
    fs::create_directory(dir.Path("folder"));
    emu::HostException e = ExpectRaise([&] { FromFile(host().folderItem(dir.Path("folder"))); });
    ExpectParserException(e, "Directory was found in place of the file", -17, kInternalError, 0);
    emu::Value doc = FromFile(host().folderItem(dir.File("a.xml", "<a/>")));
    EXPECT_EQ(Raw(doc), "<a/>");
}

}  // namespace
