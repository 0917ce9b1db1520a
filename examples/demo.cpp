// torvxml-demo PLUGIN XMLFILE
//
// Drives the plug-in through the emulated host exactly as a host program
// would: parse a catalogue, walk it with For Each, read attributes and text,
// add a book, and write the tree back with two sets of format flags. The
// comment above each step is the host code it stands for.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "emu/host.h"

namespace {

constexpr int64_t kNodeElement = 2;             // TorvaneXml.NodeType.NODE_ELEMENT
constexpr int64_t kFormatIndent = 0x01;         // TorvaneXml.FORMAT_INDENT
constexpr int64_t kFormatRaw = 0x04;            // TorvaneXml.FORMAT_RAW
constexpr int64_t kFormatNoDeclaration = 0x08;  // TorvaneXml.FORMAT_NO_DECLARATION

bool ReadFile(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

int Run(emu::Host& host, const std::string& xml) {
    using emu::Value;

    // Var doc As TorvaneXml.Document = TorvaneXml.Document.FromString(xml)
    Value doc = host.callShared("TorvaneXml.Document", "FromString", {host.str(xml)});

    // Var catalog As TorvaneXml.Node = doc.DocumentElement
    Value catalog = host.call(doc, "DocumentElement");
    // Print("Catalogue updated " + catalog.Attribute("updated").AsString)
    std::cout
        << "Catalogue updated "
        << host.get(host.call(catalog, "Attribute", {host.str("updated")}), "AsString").asString()
        << "\n\n";

    double total = 0;
    int books = 0;
    // For Each book As TorvaneXml.Node In catalog.Children
    host.forEach(host.call(catalog, "Children"), [&](const Value& book) {
        //   If book.Type <> TorvaneXml.NodeType.NODE_ELEMENT Then Continue
        if (host.get(book, "Type").asInt() != kNodeElement) return;
        //   Print(book.Name + ":")
        std::cout << host.get(book, "Name").asString() << ":";
        //   For Each attr As TorvaneXml.Attribute In book.NodeAttributes
        //     Print(" " + attr.Name + "=" + attr.AsString)
        //   Next
        host.forEach(host.call(book, "NodeAttributes"), [&](const Value& attr) {
            std::cout << " " << host.get(attr, "Name").asString() << "="
                      << host.get(attr, "AsString").asString();
        });
        //   Var title As String = book.Child("title").TextValue
        //   Var year As Int32 = book.Child("year").Text.AsInt32
        //   Var price As Double = book.Attribute("price").AsDouble
        const std::string title =
            host.get(host.call(book, "Child", {host.str("title")}), "TextValue").asString();
        const int64_t year =
            host.get(host.call(host.call(book, "Child", {host.str("year")}), "Text"), "AsInt32")
                .asInt();
        const double price =
            host.get(host.call(book, "Attribute", {host.str("price")}), "AsDouble").asDouble();
        std::cout << "\n    \"" << title << "\", " << year << ", " << price << "\n";
        total += price;
        ++books;
        // Next
    });
    std::printf("\n%d books, %.2f in total\n\n", books, total);

    // Var added As TorvaneXml.Node = catalog.AppendChild("book")
    Value added = host.call(catalog, "AppendChild", {host.str("book")});
    // added.Attribute("id", True).Set("bk104")
    host.call(host.call(added, "Attribute", {host.str("id"), Value::Bool(true)}), "Set",
              {host.str("bk104")});
    // added.AppendChild("title").TextValue = "Nouvelles orientales"
    host.set(host.call(added, "AppendChild", {host.str("title")}), "TextValue",
             host.str("Nouvelles orientales"));

    // Print(doc.ToString(TorvaneXml.FORMAT_INDENT))
    std::cout << "FORMAT_INDENT:\n"
              << host.call(doc, "ToString", {Value::Integer(kFormatIndent)}).asString();
    // Print(doc.ToString(TorvaneXml.FORMAT_RAW Or TorvaneXml.FORMAT_NO_DECLARATION))
    std::cout << "\nFORMAT_RAW Or FORMAT_NO_DECLARATION:\n"
              << host.call(doc, "ToString", {Value::Integer(kFormatRaw | kFormatNoDeclaration)})
                     .asString()
              << "\n";
    return books == 3 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: torvxml-demo PLUGIN XMLFILE\n";
        return 2;
    }
    std::string xml;
    if (!ReadFile(argv[2], xml)) {
        std::cerr << "cannot read " << argv[2] << "\n";
        return 2;
    }
    emu::Host host;
    int status = 1;
    try {
        host.load(argv[1]);
        status = Run(host, xml);
    } catch (const emu::HostException& e) {
        // Catch e As TorvaneXmlException
        std::cerr << e.className << " " << e.errorNumber << ": " << e.message << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "emulated host: " << e.what() << "\n";
        return 1;
    }
    // Every Document, Node, Attribute and iterator above is gone by now.
    const emu::LeakReport leaks = host.leaks();
    if (!leaks.clean()) {
        std::cerr << "leaks:\n" << leaks.describe() << "\n";
        return 1;
    }
    return status;
}
