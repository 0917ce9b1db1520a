// The examples of docs/guide.md, line for line as host code, through the
// emulated host. Each test names the guide section and the number of the
// Xojo block it runs ("// guide: <section> [n]"); guide_examples_cited
// checks that every block of the guide is cited here. The catalogue and the
// built document's expected text are read from the guide itself.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fixture.h"

namespace {

using emu::Value;

constexpr int64_t kFormatRaw = 0x04, kFormatNoDeclaration = 0x08;
constexpr int64_t kNodeComment = 5, kNodeDeclaration = 7;
constexpr int64_t kEndElementMismatch = 14, kInternalError = 4;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The n-th (from 1) ```xml block of the guide.
std::string GuideXml(int n) {
    std::istringstream guide(ReadFile(TORVXML_SOURCE_DIR "/docs/guide.md"));
    std::string line, block;
    bool inside = false;
    int seen = 0;
    while (std::getline(guide, line)) {
        if (!inside && line == "```xml") {
            inside = ++seen == n;
            continue;
        }
        if (inside && line == "```") return block;
        if (inside) block += line + "\n";
    }
    ADD_FAILURE() << "docs/guide.md has no xml block " << n;
    return {};
}

// A file path in a fresh folder, removed with the object.
class TempFolder {
public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("torvxml-guide-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class Guide : public PluginTest {
protected:
    Value Catalog() { return Parse(GuideXml(1)); }
    Value Element(const Value& doc) { return Call(doc, "DocumentElement"); }
    Value Query(const std::string& text) {
        return host().New("TorvaneXml.XPathQuery", {Str(text)});
    }
    bool IsEmpty(const Value& wrapper) { return Get(wrapper, "Empty").asBool(); }
    std::string Raw(const Value& node) { return Xml(node, kFormatRaw | kFormatNoDeclaration); }

    // For Each over `iterable`, one text per item.
    std::vector<std::string> Each(const Value& iterable,
                                  const std::function<std::string(const Value&)>& text) {
        std::vector<std::string> out;
        host().forEach(iterable, [&](const Value& item) { out.push_back(text(item)); });
        return out;
    }
    Value Book(const Value& doc, const char* id) {
        return Call(Element(doc), "FindChildByAttribute", {Str("book"), Str("id"), Str(id)});
    }
};

// guide: Parse XML and handle errors [1]
TEST_F(Guide, ParseFromAString) {
    Value doc = host().callShared("TorvaneXml.Document", "FromString", {Str(GuideXml(1))});
    Value root = Call(doc, "DocumentElement");
    EXPECT_EQ(GetString(root, "Name"), "catalog");
    // Whitespace between elements is not kept: the books are the only children.
    EXPECT_EQ(Get(Call(root, "Children"), "Count").asInt(), 3);
}

// guide: Parse XML and handle errors [2]
TEST_F(Guide, ParseFromAFolderItem) {
    TempFolder folder;
    const std::string path = folder.Path("catalog.xml");
    // A file in another encoding, named by its declaration.
    std::ofstream(path, std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><catalog><book><title>\xC9t\xE9</title>"
           "</book></catalog>";
    Value f = host().folderItem(path);
    Value doc = host().callShared("TorvaneXml.Document", "FromFile", {f});
    EXPECT_EQ(Call(Element(doc), "FirstElementByPath", {Str("book/title")}).className(),
              "TorvaneXml.Node");
    EXPECT_EQ(GetString(Call(Element(doc), "FirstElementByPath", {Str("book/title")}), "TextValue"),
              "\xC3\x89t\xC3\xA9");

    // A missing file raises the same class, before parsing.
    emu::HostException e = ExpectRaise([&] {
        host().callShared("TorvaneXml.Document", "FromFile",
                          {host().folderItem(folder.Path("no"))});
    });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_EQ(e.errorNumber, -11);
    EXPECT_EQ(Get(e.exception, "Status").asInt(), kInternalError);
    EXPECT_EQ(Get(e.exception, "Offset").asInt(), 0);
    EXPECT_TRUE(e.returned.isNil());
}

// guide: Parse XML and handle errors [3]
TEST_F(Guide, MalformedTextRaisesTheParserException) {
    emu::HostException e = ExpectRaise([&] { Parse("<a><b></a>"); });
    EXPECT_EQ(e.className, "TorvaneXmlParserException");
    EXPECT_TRUE(host().isa(e.exception, "TorvaneXmlException"));
    EXPECT_EQ(Get(e.exception, "Status").asInt(), kEndElementMismatch);
    EXPECT_EQ(e.message, "Start-end tags mismatch");
    EXPECT_EQ(e.errorNumber, -23);
    EXPECT_TRUE(e.returned.isNil());
}

// The guide's LineAndColumn, as written in Xojo: LeftBytes, CountFields and
// NthField on line feeds, Length in characters.
std::pair<int64_t, int64_t> LineAndColumn(const std::string& xml, int64_t offset) {
    const std::string before = xml.substr(0, static_cast<size_t>(offset));
    int64_t line = 1;
    for (char c : before) line += c == '\n';
    const std::string last = before.substr(before.rfind('\n') + 1);
    int64_t characters = 0;
    for (unsigned char c : last) characters += (c & 0xC0) != 0x80;
    return {line, characters + 1};
}

// guide: Parse XML and handle errors [4]
// guide: Parse XML and handle errors [5]
TEST_F(Guide, OffsetBecomesLineAndColumn) {
    const std::string xml =
        "<catalog>\n  <book>\n    <title>\xC3\x89t\xC3\xA9</titel>\n  </book>\n</catalog>";
    emu::HostException e = ExpectRaise([&] { Parse(xml); });
    EXPECT_EQ(Get(e.exception, "Status").asInt(), kEndElementMismatch);
    const auto [line, column] = LineAndColumn(xml, Get(e.exception, "Offset").asInt());
    EXPECT_EQ(line, 3);
    EXPECT_EQ(column, 17);
}

// guide: Walk the tree [1]
TEST_F(Guide, ForEachOverChildrenAndAttributes) {
    Value doc = Catalog();
    const std::vector<std::string> lines =
        Each(Call(Element(doc), "Children", {Str("book")}), [&](const Value& book) {
            std::string line = GetString(Call(book, "Attribute", {Str("id")}), "AsString") + ": " +
                               Call(book, "ChildValue", {Str("title")}).asString();
            for (const std::string& a : Each(Call(book, "NodeAttributes"), [&](const Value& a) {
                     return GetString(a, "Name") + "=" + GetString(a, "AsString");
                 }))
                line += " " + a;
            return line;
        });
    EXPECT_EQ(lines, (std::vector<std::string>{"b1: Alpha id=b1 lang=en", "b2: Beta id=b2 lang=de",
                                               "b3: Gamma id=b3"}));
}

// guide: Walk the tree [2]
TEST_F(Guide, FirstChildAndNextSibling) {
    Value doc = Catalog();
    std::vector<std::string> titles;
    Value book = Call(Element(doc), "FirstChild");
    while (!IsEmpty(book)) {
        titles.push_back(GetString(Call(book, "Child", {Str("title")}), "TextValue"));
        book = Call(book, "NextSibling");
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_FALSE(book.isNil());
}

// guide: Walk the tree [3]
TEST_F(Guide, FindOneNodeDirectly) {
    Value doc = Catalog();
    Value title = Call(doc, "FirstElementByPath", {Str("/catalog/book/title")});
    EXPECT_EQ(GetString(title, "TextValue"), "Alpha");
    Value beta = Call(Element(doc), "FindChildByAttribute", {Str("book"), Str("id"), Str("b2")});
    EXPECT_EQ(Call(beta, "ChildValue", {Str("title")}).asString(), "Beta");
    EXPECT_TRUE(IsEmpty(Call(Element(doc), "Child", {Str("magazine")})));
    // The chain through missing nodes the text above the block promises.
    Value deeper = Call(Call(Element(doc), "Child", {Str("missing")}), "Child", {Str("deeper")});
    EXPECT_EQ(GetString(deeper, "TextValue"), "");
}

// guide: Read and write typed values [1]
TEST_F(Guide, TypedReadsAndWrites) {
    Value doc = Catalog();
    Value b2 = Book(doc, "b2");
    const double price =
        Get(Call(Call(b2, "Child", {Str("price")}), "Text"), "AsDouble").asDouble();
    EXPECT_EQ(price, 25.5);
    EXPECT_EQ(Get(Call(b2, "Attribute", {Str("stock")}), "AsInt32").asInt(), 0);
    Call(Call(b2, "Attribute", {Str("stock"), Bool(true)}), "Set", {Int(12)});
    Call(Call(Call(b2, "Child", {Str("price")}), "Text"), "Set",
         {Value::Double(price * 1.1), Int(4)});
    EXPECT_EQ(Raw(b2),
              "<book id=\"b2\" lang=\"de\" stock=\"12\"><title>Beta</title><price>28.05</price>"
              "</book>");
}

// guide: Read and write typed values [2]
TEST_F(Guide, PrecisionOfWrittenNumbers) {
    Value doc = Catalog();
    Value a = Call(Book(doc, "b2"), "Attribute", {Str("ratio"), Bool(true)});
    Call(a, "Set", {Value::Double(0.1)});
    EXPECT_EQ(GetString(a, "AsString"), "0.10000000000000001");
    EXPECT_EQ(Get(a, "AsDouble").asDouble(), 0.1);
    Call(a, "Set", {Value::Double(0.1), Int(3)});
    EXPECT_EQ(GetString(a, "AsString"), "0.1");
    Call(a, "Set", {Value::Double(1234567.0), Int(3)});
    EXPECT_EQ(GetString(a, "AsString"), "1.23e+06");
    Call(a, "Set", {Bool(true)});
    EXPECT_EQ(GetString(a, "AsString"), "true");
    EXPECT_TRUE(Get(a, "AsBoolean").asBool());
}

// guide: Read and write typed values [3]
TEST_F(Guide, DatesInIso8601) {
    Value doc = Catalog();
    Value b2 = Book(doc, "b2");
    Value when = host().dateTime(2023, 2, 1, 8, 9, 10, 0, 19800);
    Call(Call(b2, "Attribute", {Str("updated"), Bool(true)}), "Set", {when});
    EXPECT_EQ(GetString(Call(b2, "Attribute", {Str("updated")}), "AsString"),
              "2023-02-01T08:09:10+05:30");
    Value back = Get(Call(b2, "Attribute", {Str("updated")}), "AsDateTime");
    ASSERT_TRUE(back);
    EXPECT_EQ(Get(back, "Hour").asInt(), 8);
    EXPECT_EQ(Get(back, "Second").asInt(), 10);
    EXPECT_EQ(Get(Get(back, "Timezone"), "SecondsFromGMT").asInt(), 19800);

    Value day = host().callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                  {Str("2024-03-05"), Bool(true)});
    ASSERT_TRUE(day);
    EXPECT_EQ(Get(day, "Day").asInt(), 5);
    EXPECT_EQ(Get(day, "Hour").asInt(), 0);
    // A date alone is not the full shape.
    EXPECT_TRUE(
        host().callShared("TorvaneXml.Document", "ISO8601ToDateTime", {Str("2024-03-05")}).isNil());
}

// guide: Build a document from scratch [1]
TEST_F(Guide, BuildFromScratch) {
    Value doc = host().New("TorvaneXml.Document");
    Value decl = Call(doc, "AppendChild", {Value::Enum("TorvaneXml.NodeType", kNodeDeclaration)});
    Call(Call(decl, "Attribute", {Str("version"), Bool(true)}), "Set", {Str("1.0")});
    Call(Call(decl, "Attribute", {Str("encoding"), Bool(true)}), "Set", {Str("UTF-8")});
    Value catalog = Call(doc, "AppendChild", {Str("catalog")});
    Value note = Call(catalog, "AppendChild", {Value::Enum("TorvaneXml.NodeType", kNodeComment)});
    host().set(note, "Value", Str(" generated "));
    Value book = Call(catalog, "AppendChild", {Str("book")});
    Call(Call(book, "Attribute", {Str("id"), Bool(true)}), "Set", {Str("b1")});
    Call(Call(Call(book, "AppendChild", {Str("title")}), "Text", {Bool(true)}), "Set",
         {Str("Alpha & Omega")});
    Call(Call(Call(book, "AppendChild", {Str("price")}), "Text", {Bool(true)}), "Set",
         {Value::Double(12.5), Int(4)});
    EXPECT_EQ(Call(doc, "ToString").asString(), GuideXml(2));
}

// guide: Edit, move and copy nodes [1]
TEST_F(Guide, EditInPlace) {
    Value doc = Catalog();
    Value catalog = Element(doc);
    Value b1 = Call(catalog, "FindChildByAttribute", {Str("book"), Str("id"), Str("b1")});
    host().set(Call(b1, "Child", {Str("title")}), "TextValue", Str("Alpha, 2nd edition"));
    host().set(Call(b1, "Child", {Str("price")}), "Name", Str("cost"));
    EXPECT_TRUE(Call(b1, "RemoveAttribute", {Str("lang")}).asBool());
    Value b0 = Call(catalog, "InsertChildBefore", {Str("book"), b1});
    Call(Call(b0, "Attribute", {Str("id"), Bool(true)}), "Set", {Str("b0")});
    EXPECT_EQ(Raw(Call(catalog, "FirstChild")), "<book id=\"b0\"/>");
    EXPECT_EQ(Raw(Call(b0, "NextSibling")),
              "<book id=\"b1\"><title>Alpha, 2nd edition</title><cost>10</cost></book>");
    // Edits that cannot apply change nothing.
    Value text = Call(Call(b1, "Child", {Str("title")}), "FirstChild");
    EXPECT_TRUE(IsEmpty(Call(text, "AppendChild", {Str("x")})));
    EXPECT_TRUE(IsEmpty(Call(text, "AppendAttribute", {Str("x")})));
}

// guide: Edit, move and copy nodes [2]
TEST_F(Guide, MoveKeepsTheNode) {
    Value doc = Catalog();
    Value catalog = Element(doc);
    Value b3 = Call(catalog, "FindChildByAttribute", {Str("book"), Str("id"), Str("b3")});
    Value moved = Call(catalog, "PrependMove", {b3});
    EXPECT_EQ(host().compare(moved, b3), 0);
    EXPECT_EQ(Each(Call(catalog, "Children"),
                   [&](const Value& b) {
                       return GetString(Call(b, "Attribute", {Str("id")}), "AsString");
                   }),
              (std::vector<std::string>{"b3", "b1", "b2"}));
    EXPECT_EQ(Call(b3, "ChildValue", {Str("title")}).asString(), "Gamma");
}

// guide: Edit, move and copy nodes [3]
TEST_F(Guide, CopyAcrossDocuments) {
    Value doc = Catalog();
    Value other = Parse("<shelf><book id='x9'><title>Delta</title></book></shelf>");
    Value source = Call(Element(other), "Child", {Str("book")});
    Value copy = Call(Element(doc), "AppendCopy", {source});
    EXPECT_EQ(Raw(copy), "<book id=\"x9\"><title>Delta</title></book>");
    EXPECT_EQ(host().compare(Call(Element(doc), "LastChild"), copy), 0);
    EXPECT_TRUE(IsEmpty(Call(Element(doc), "AppendMove", {source})));
    EXPECT_EQ(Raw(other), "<shelf><book id=\"x9\"><title>Delta</title></book></shelf>");
    EXPECT_EQ(Get(Call(Element(doc), "Children"), "Count").asInt(), 4);
}

// guide: Remove inside For Each [1]
TEST_F(Guide, RemoveInsideForEach) {
    Value parent = Element(Parse("<r><a/><x/><b/><x/><x/><c/></r>"));
    const std::vector<std::string> visited =
        Each(Call(parent, "Children"), [&](const Value& child) {
            const std::string name = GetString(child, "Name");
            if (name == "x") {
                EXPECT_TRUE(Call(parent, "RemoveChild", {child}).asBool());
            }
            return name;
        });
    EXPECT_EQ(visited, (std::vector<std::string>{"a", "x", "b", "x", "x", "c"}));
    EXPECT_EQ(Raw(parent), "<r><a/><b/><c/></r>");
}

// guide: Remove inside For Each [2]
TEST_F(Guide, StaleReferencesAfterARemoval) {
    Value doc = Parse("<r><p id='1'><q/></p><p id='2'/></r>");
    Value p = Call(Element(doc), "FirstChild");
    Value q = Call(p, "FirstChild");
    Value id = Call(p, "Attribute", {Str("id")});
    Value ps = Call(doc, "SelectNodes", {Str("//p")});
    EXPECT_TRUE(Call(Element(doc), "RemoveChild", {p}).asBool());
    for (const Value& stale : {p, q, id}) EXPECT_TRUE(IsEmpty(stale));
    EXPECT_EQ(GetString(p, "Name") + GetString(id, "AsString"), "");
    EXPECT_EQ(Get(Call(ps, "XPathNodes"), "Count").asInt(), 1);
}

// guide: Query with a compiled XPath [1]
TEST_F(Guide, CompiledQueryWithVariables) {
    Value doc = Catalog();
    Value vars = host().New("TorvaneXml.XPathVariableSet");
    Call(vars, "Set", {Str("max"), Value::Double(20.0)});
    Value cheap = host().New("TorvaneXml.XPathQuery", {Str("//book[price < $max]/title"), vars});
    auto titles = [&] {
        return Each(Call(Call(cheap, "EvaluateNodeSet", {doc}), "XPathNodes"),
                    [&](const Value& hit) { return GetString(Get(hit, "Node"), "TextValue"); });
    };
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "Gamma"}));
    Call(vars, "Set", {Str("max"), Value::Double(8.0)});
    EXPECT_EQ(Get(Call(Call(cheap, "EvaluateNodeSet", {doc}), "XPathNodes"), "Count").asInt(), 1);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Gamma"}));
}

// guide: Query with a compiled XPath [2]
TEST_F(Guide, NumberBooleanAndStringResults) {
    Value doc = Catalog();
    EXPECT_EQ(Call(Query("sum(//price)"), "EvaluateNumber", {doc}).asDouble(), 42.5);
    EXPECT_TRUE(Call(Query("//book[@lang='de']"), "EvaluateBoolean", {doc}).asBool());
    EXPECT_EQ(Call(Query("string(//title)"), "EvaluateString", {doc}).asString(), "Alpha");
}

// guide: Query with a compiled XPath [3]
TEST_F(Guide, SyntaxErrorRaisesWithAnOffset) {
    const std::string text = "//book[price < 10";
    emu::HostException e = ExpectRaise([&] { Query(text); });
    EXPECT_EQ(e.className, "TorvaneXPathException");
    EXPECT_EQ(e.errorNumber, -1);
    EXPECT_FALSE(e.message.empty());
    const int64_t offset = Get(e.exception, "Offset").asInt();
    EXPECT_GT(offset, 0);
    EXPECT_LE(offset, static_cast<int64_t>(text.size()));
}

// guide: Select nodes in one call [1]
TEST_F(Guide, OneShotSelection) {
    Value doc = Catalog();
    EXPECT_EQ(Each(Call(Call(doc, "SelectNodes", {Str("//book/@lang")}), "XPathNodes"),
                   [&](const Value& hit) {
                       EXPECT_TRUE(IsEmpty(Get(hit, "Node")));
                       return GetString(Call(Get(hit, "Parent"), "Attribute", {Str("id")}),
                                        "AsString") +
                              " " + GetString(Get(hit, "Attribute"), "AsString");
                   }),
              (std::vector<std::string>{"b1 en", "b2 de"}));
    Value beta = Call(doc, "SelectNode", {Str("//book[@id='b2']")});
    ASSERT_TRUE(beta);
    EXPECT_EQ(Call(Get(beta, "Node"), "ChildValue", {Str("title")}).asString(), "Beta");
    EXPECT_TRUE(Call(doc, "SelectNode", {Str("//magazine")}).isNil());
}

// guide: Save with format flags [1]
// guide: Save with format flags [2]
TEST_F(Guide, SaveWithFlagsAndRefuseToOverwrite) {
    TempFolder folder;
    Value doc = Parse("<a><b>x</b></a>");
    const std::string path = folder.Path("catalog.xml");
    Value f = host().folderItem(path);
    Call(doc, "SaveToFile", {f, Bool(true)});
    EXPECT_EQ(ReadFile(path), "<?xml version=\"1.0\"?>\n<a>\n\t<b>x</b>\n</a>\n");
    Call(doc, "SaveToFile", {f, Bool(true), Int(kFormatRaw | kFormatNoDeclaration)});
    EXPECT_EQ(ReadFile(path), "<a><b>x</b></a>");
    EXPECT_EQ(Call(doc, "ToString", {Int(kFormatRaw)}).asString(),
              "<?xml version=\"1.0\"?><a><b>x</b></a>");

    emu::HostException e = ExpectRaise([&] { Call(doc, "SaveToFile", {f, Bool(false)}); });
    EXPECT_EQ(e.className, "TorvaneXmlException");
    EXPECT_EQ(e.message, "File already exists");
    EXPECT_EQ(e.errorNumber, -12);
    EXPECT_EQ(ReadFile(path), "<a><b>x</b></a>");
}

// guide: Lifetime [1]
TEST_F(Guide, NodesKeepTheirDocumentAlive) {
    Value title;
    {
        Value doc = Parse("<a><title>Alpha</title></a>");
        title = Call(Element(doc), "Child", {Str("title")});
    }
    EXPECT_EQ(GetString(title, "TextValue"), "Alpha");
    Value again = Call(title, "Root");
    EXPECT_EQ(again.className(), "TorvaneXml.Document");
    EXPECT_EQ(host().compare(Call(Element(again), "Child", {Str("title")}), title), 0);
    // Two objects for the same node compare equal.
    EXPECT_EQ(host().compare(Call(title, "Parent"), Element(again)), 0);
}

// guide: Performance [1]
TEST_F(Guide, OneCompiledQueryPerLoop) {
    Value doc = Catalog();
    Value priceOf = Query("number(price)");
    double total = 0;
    host().forEach(Call(Element(doc), "Children", {Str("book")}), [&](const Value& book) {
        total += Call(priceOf, "EvaluateNumber", {book}).asDouble();
    });
    EXPECT_EQ(total, 42.5);
}

// guide: What is not supported [1]
TEST_F(Guide, PrefixesAreNamesAndXPathIsVersionOne) {
    Value doc =
        Parse("<r xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:title>Alpha</dc:title></r>");
    EXPECT_EQ(GetString(Call(Element(doc), "Child", {Str("dc:title")}), "TextValue"), "Alpha");
    auto count = [&](const std::string& query) {
        return Get(Call(Call(doc, "SelectNodes", {Str(query)}), "XPathNodes"), "Count").asInt();
    };
    EXPECT_EQ(count("//dc:title"), 1);
    EXPECT_EQ(count("//*[local-name()='title']"), 1);
    EXPECT_EQ(count("//*[translate(text(), 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', "
                    "'abcdefghijklmnopqrstuvwxyz') = 'alpha']"),
              1);
    emu::HostException e =
        ExpectRaise([&] { Call(doc, "SelectNodes", {Str("//*[lower-case(.) = 'alpha']")}); });
    EXPECT_EQ(e.className, "TorvaneXPathException");
    EXPECT_EQ(e.errorNumber, -1);
}

}  // namespace
