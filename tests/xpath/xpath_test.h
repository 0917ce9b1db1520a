// Shared helpers of the XPath tests: selection, iteration of results into
// comparable text, XPath exception checks and live-object counts.
#pragma once

#include <string>
#include <vector>

#include "fixture.h"

class XPathTest : public PluginTest {
protected:
    static constexpr const char* kCatalog =
        "<catalog>"
        "<book id='b1' lang='en'><title>Alpha</title><price>10</price></book>"
        "<book id='b2' lang='de'><title>Beta</title><price>25.5</price></book>"
        "<book id='b3'><title>Gamma</title><price>7</price></book>"
        "</catalog>";

    emu::Value Nil() { return emu::Value(); }

    emu::Value SelectNodes(const emu::Value& node, const std::string& query,
                           const emu::Value& variables = emu::Value()) {
        return Call(node, "SelectNodes", {Str(query), variables});
    }
    emu::Value SelectNode(const emu::Value& node, const std::string& query,
                          const emu::Value& variables = emu::Value()) {
        return Call(node, "SelectNode", {Str(query), variables});
    }
    emu::Value Query(const std::string& text) {
        return host().New("TorvaneXml.XPathQuery", {Str(text)});
    }
    emu::Value Query(const std::string& text, const emu::Value& variables) {
        return host().New("TorvaneXml.XPathQuery", {Str(text), variables});
    }
    emu::Value Variables() { return host().New("TorvaneXml.XPathVariableSet"); }
    emu::Value Unbound(const std::string& className) {
        // Made without its constructor: CreateInstance would run Constructor().
        return host().newInstance(className);
    }

    // One entry as text: "@name=value" for an attribute, the element name,
    // or "#text" of a text node's value.
    std::string Describe(const emu::Value& entry) {
        emu::Value attribute = Get(entry, "Attribute");
        if (!Get(attribute, "Empty").asBool())
            return "@" + GetString(attribute, "Name") + "=" + GetString(attribute, "AsString");
        emu::Value node = Get(entry, "Node");
        if (Get(node, "Type").asInt() == 3) return "#" + GetString(node, "Value");
        return GetString(node, "Name");
    }

    // Every entry of a node set, walked with For Each.
    std::vector<std::string> Entries(const emu::Value& nodeSet) {
        std::vector<std::string> out;
        host().forEach(Call(nodeSet, "XPathNodes"),
                       [&](const emu::Value& entry) { out.push_back(Describe(entry)); });
        return out;
    }

    int64_t Live(const std::string& className) {
        const emu::LeakReport report = host().leaks();
        auto it = report.liveObjects.find(className);
        return it == report.liveObjects.end() ? 0 : it->second;
    }
    int64_t LiveDocuments() { return Live("TorvaneXml.Document"); }

    // Runs `body`, which must raise TorvaneXPathException with `code`.
    emu::HostException ExpectXPathError(const std::function<void()>& body, int64_t code) {
        emu::HostException e = ExpectRaise(body);
        EXPECT_EQ(e.className, "TorvaneXPathException");
        EXPECT_EQ(e.errorNumber, code) << e.message;
        return e;
    }
    // The empty value of a member's result type: nil, 0, False or "".
    static void ExpectEmptyValue(const emu::Value& v) {
        switch (v.kind()) {
            case emu::Kind::Double:
                EXPECT_EQ(v.asDouble(), 0.0);
                break;
            case emu::Kind::Boolean:
                EXPECT_FALSE(v.asBool());
                break;
            case emu::Kind::String:
                EXPECT_EQ(v.asString(), "");
                break;
            default:
                EXPECT_TRUE(v.isNil()) << v.className();
        }
    }
    int64_t Offset(const emu::HostException& e) {
        return host().get(e.exception, "Offset").asInt();
    }
};

using Strings = std::vector<std::string>;
