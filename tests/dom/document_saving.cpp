// Document.ToString, SaveToFile and DocumentElement: output under every
// format flag, file preconditions, and Documents that do not own their tree.
#include <filesystem>
#include <iterator>
#include <string>

#include "node_support.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\"?>";

class DocumentSaving : public DomTest {
protected:
    static constexpr const char* kSample =
        "<a x=\"1\" y=\"t&amp;'\"><b>x&amp;y&lt;</b><c/><d>&#01;z</d></a>";

    void SaveToFile(const emu::Value& doc, const emu::Value& f, bool overwrite) {
        Call(doc, "SaveToFile", {f, Bool(overwrite)});
    }
    void SaveToFile(const emu::Value& doc, const emu::Value& f, bool overwrite, int64_t flags) {
        Call(doc, "SaveToFile", {f, Bool(overwrite), Int(flags)});
    }
    void ExpectXmlException(const emu::HostException& e, const std::string& message,
                            int64_t errorCode) {
        EXPECT_EQ(e.className, "TorvaneXmlException");
        EXPECT_EQ(e.message, message);
        EXPECT_EQ(e.errorNumber, errorCode);
    }

    TempDir dir;
};

TEST_F(DocumentSaving, NewDocumentIsJustTheDeclaration) {
    emu::Value doc = NewDocument();
    EXPECT_EQ(doc.className(), "TorvaneXml.Document");
    EXPECT_EQ(Call(doc, "ToString").asString(), std::string(kDeclaration) + "\n");
    EXPECT_EQ(Xml(doc, fmt::kNoDeclaration), "");
    EXPECT_TRUE(IsEmpty(Element(doc)));
}

// The flags replace the default rather than adding to it.
TEST_F(DocumentSaving, FormatFlagsShapeTheOutput) {
    emu::Value doc = Parse(kSample);
    const std::string d = kDeclaration;
    const struct {
        int64_t flags;
        std::string expected;
    } cases[] = {
        {fmt::kIndent,
         d + "\n<a x=\"1\" y=\"t&amp;'\">\n\t<b>x&amp;y&lt;</b>\n\t<c />\n\t<d>&#01;z</d>\n</a>\n"},
        {fmt::kRaw, d + "<a x=\"1\" y=\"t&amp;'\"><b>x&amp;y&lt;</b><c/><d>&#01;z</d></a>"},
        {fmt::kNoDeclaration,
         "<a x=\"1\" y=\"t&amp;'\">\n<b>x&amp;y&lt;</b>\n<c />\n<d>&#01;z</d>\n</a>\n"},
        {fmt::kWriteBom | fmt::kRaw,
         "\xEF\xBB\xBF" + d + "<a x=\"1\" y=\"t&amp;'\"><b>x&amp;y&lt;</b><c/><d>&#01;z</d></a>"},
        {fmt::kRaw | fmt::kNoEmptyElementTags,
         d + "<a x=\"1\" y=\"t&amp;'\"><b>x&amp;y&lt;</b><c></c><d>&#01;z</d></a>"},
        {fmt::kRaw | fmt::kAttributeSingleQuote,
         d + "<a x='1' y='t&amp;&apos;'><b>x&amp;y&lt;</b><c/><d>&#01;z</d></a>"},
        {fmt::kIndent | fmt::kIndentAttributes,
         d + "\n<a\n\tx=\"1\"\n\ty=\"t&amp;'\">\n\t<b>x&amp;y&lt;</b>\n\t<c />\n\t<d>&#01;z</d>\n"
             "</a>\n"},
        {fmt::kRaw | fmt::kNoEscapes, d + "<a x=\"1\" y=\"t&'\"><b>x&y<</b><c/><d>\x01z</d></a>"},
        {fmt::kRaw | fmt::kSkipControlChars,
         d + "<a x=\"1\" y=\"t&amp;'\"><b>x&amp;y&lt;</b><c/><d>z</d></a>"},
        {0, d + "\n<a x=\"1\" y=\"t&amp;'\">\n<b>x&amp;y&lt;</b>\n<c />\n<d>&#01;z</d>\n</a>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(Xml(doc, c.flags), c.expected);
    }
    EXPECT_EQ(Call(doc, "ToString").asString(), Xml(doc, fmt::kIndent));
}

// Only the low 32 bits of the Integer are pugixml's flags.
TEST_F(DocumentSaving, FlagsBeyondThirtyTwoBitsAreIgnored) {
    emu::Value doc = Parse("<a/>");
    EXPECT_EQ(Xml(doc, (int64_t{1} << 40) | fmt::kRaw), Xml(doc, fmt::kRaw));
}

TEST_F(DocumentSaving, ADeclarationNodeBeforeTheElementReplacesTheDefaultOne) {
    emu::Value doc = NewDocument();
    emu::Value declaration = Call(doc, "AppendChild", {NodeType(nt::kDeclaration)});
    ASSERT_FALSE(IsEmpty(declaration));
    EXPECT_EQ(NameOf(declaration), "xml");
    Call(Call(declaration, "AppendAttribute", {Str("version")}), "Set", {Str("1.0")});
    Call(Call(declaration, "AppendAttribute", {Str("encoding")}), "Set", {Str("UTF-8")});
    Call(doc, "AppendChild", {Str("r")});
    EXPECT_EQ(Xml(doc, fmt::kRaw), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>");
    EXPECT_EQ(Xml(doc, fmt::kRaw | fmt::kNoDeclaration),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>");
}

TEST_F(DocumentSaving, DocumentElementIsTheFirstElementChild) {
    emu::Value doc = NewDocument();
    Call(doc, "AppendChild", {NodeType(nt::kComment)});
    Call(doc, "AppendChild", {Str("first")});
    Call(doc, "AppendChild", {Str("second")});
    emu::Value element = Element(doc);
    EXPECT_EQ(NameOf(element), "first");
    EXPECT_EQ(element.className(), "TorvaneXml.Node");
    EXPECT_EQ(host().compare(Call(element, "Parent"), doc), 0);
}

// A Document from Element() designates its owner's document node and writes
// the owner's document, declaration included.
TEST_F(DocumentSaving, RootDocumentWritesItsOwnersTree) {
    emu::Value doc = Parse("<a><b/></a>");
    emu::Value root = Call(Call(Element(doc), "FirstChild"), "Root");
    ASSERT_EQ(root.className(), "TorvaneXml.Document");
    EXPECT_EQ(Call(root, "ToString").asString(), Call(doc, "ToString").asString());
    EXPECT_EQ(Xml(root, fmt::kRaw), std::string(kDeclaration) + "<a><b/></a>");
    EXPECT_EQ(host().compare(Call(root, "DocumentElement"), Element(doc)), 0);

    const std::string path = dir.Path("root.xml");
    SaveToFile(root, host().folderItem(path), false, fmt::kRaw);
    EXPECT_EQ(TempDir::Read(path), std::string(kDeclaration) + "<a><b/></a>");
}

// The document node reached as a Node (Parent of the document element)
// prints its children only; the same node as a Document adds the declaration.
TEST_F(DocumentSaving, DocumentNodeAsNodePrintsNoDeclaration) {
    emu::Value doc = Parse("<a/>");
    emu::Value node = Call(Element(doc), "Parent");
    EXPECT_EQ(node.className(), "TorvaneXml.Node");
    EXPECT_EQ(TypeOf(node), nt::kDocument);
    EXPECT_EQ(Xml(node, fmt::kRaw), "<a/>");
    EXPECT_EQ(Xml(doc, fmt::kRaw), std::string(kDeclaration) + "<a/>");
}

TEST_F(DocumentSaving, SaveToFileWritesWhatToStringReturns) {
    emu::Value doc = Parse(kSample);
    const std::string plain = dir.Path("plain.xml"), raw = dir.Path("raw.xml");
    SaveToFile(doc, host().folderItem(plain), false);
    SaveToFile(doc, host().folderItem(raw), false, fmt::kRaw | fmt::kWriteBom);
    EXPECT_EQ(TempDir::Read(plain), Call(doc, "ToString").asString());
    EXPECT_EQ(TempDir::Read(raw), Xml(doc, fmt::kRaw | fmt::kWriteBom));
}

TEST_F(DocumentSaving, SaveToFileReplacesAnExistingFileOnlyWhenAllowed) {
    emu::Value doc = Parse("<new/>");
    const std::string path = dir.File("old.xml", "old content");
    emu::HostException e = ExpectRaise([&] { SaveToFile(doc, host().folderItem(path), false); });
    ExpectXmlException(e, "File already exists", -12);
    EXPECT_EQ(TempDir::Read(path), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("")), fs::directory_iterator()), 1);

    SaveToFile(doc, host().folderItem(path), true, fmt::kRaw | fmt::kNoDeclaration);
    EXPECT_EQ(TempDir::Read(path), "<new/>");
}

TEST_F(DocumentSaving, SaveToFileRefusesWithoutTouchingAnyFile) {
    emu::Value doc = Parse("<a/>");
    const std::string folder = dir.Path("folder");
    fs::create_directory(folder);
    const std::string fresh = dir.Path("fresh.xml");
    const struct {
        const char* what;
        emu::Value f;
        bool overwrite;
        const char* message;
        int64_t errorCode;
    } cases[] = {
        {"nil", Nil(), true, "Parameter f may not be nil", 1},
        {"folder, overwrite", host().folderItem(folder), true,
         "Directory was found in place of the file", -17},
        {"folder, keep", host().folderItem(folder), false,
         "Directory was found in place of the file", -17},
        {"path not UTF-8", host().folderItemUnconvertible(fresh), true, "Could not save file", -21},
        {"unwritable", host().folderItem(dir.Path("no/such/folder/x.xml")), true,
         "Could not save file", -21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emu::HostException e = ExpectRaise([&] { SaveToFile(doc, c.f, c.overwrite); });
        ExpectXmlException(e, c.message, c.errorCode);
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    // Nothing else in the test folder either: no file, no leftover temporary.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("")), fs::directory_iterator()), 1);
}

TEST_F(DocumentSaving, NeverBoundDocumentIsEmptyAndSavesNothing) {
    emu::Value doc = Unbound("TorvaneXml.Document");
    ASSERT_EQ(doc.className(), "TorvaneXml.Document");
    EXPECT_TRUE(IsEmpty(doc));
    EXPECT_EQ(Call(doc, "ToString").asString(), "");
    EXPECT_TRUE(IsEmpty(Element(doc)));
    EXPECT_TRUE(Call(doc, "Root").isNil());
    const std::string path = dir.Path("unbound.xml");
    emu::HostException e = ExpectRaise([&] { SaveToFile(doc, host().folderItem(path), true); });
    ExpectXmlException(e, "Could not save file", -21);
    EXPECT_FALSE(TempDir::Exists(path));
}

class DocumentSavingOldHost : public DocumentSaving {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.version = 2019.2;
        return config;
    }
};

TEST_F(DocumentSavingOldHost, SaveToFileTellsAFolderByItsDirectoryProperty) {
    emu::Value doc = Parse("<a/>");
    const std::string folder = dir.Path("folder");
    fs::create_directory(folder);
    emu::HostException e = ExpectRaise([&] { SaveToFile(doc, host().folderItem(folder), true); });
    ExpectXmlException(e, "Directory was found in place of the file", -17);
    const std::string file = dir.Path("a.xml");
    SaveToFile(doc, host().folderItem(file), false, fmt::kRaw | fmt::kNoDeclaration);
    EXPECT_EQ(TempDir::Read(file), "<a/>");
}

}  // namespace
