// Every String argument of Node, given as "" and as a nil String: a host may
// pass either for an empty String, and the plug-in must not tell them apart.
#include <functional>
#include <string>
#include <vector>

#include "node_support.h"

namespace {

class StringArguments : public DomTest {
protected:
    // One member called with `text` as its String argument, on a fresh tree.
    struct Use {
        const char* member;
        std::function<emu::Value(StringArguments&, const emu::Value& node, const emu::Value& text)>
            call;
    };

    std::string Describe(const emu::Value& result) {
        switch (result.kind()) {
            case emu::Kind::Nil:
                return "nil";
            case emu::Kind::Boolean:
                return result.asBool() ? "True" : "False";
            case emu::Kind::String:
                return "\"" + result.asString() + "\"";
            case emu::Kind::Object:
                if (result.isNil()) return "nil";
                if (result.className() == "TorvaneXml.Node")
                    return IsEmpty(result) ? "empty Node" : "Node " + NameOf(result);
                if (result.className() == "TorvaneXml.Attribute")
                    return IsEmpty(result) ? "empty Attribute" : "Attribute " + NameOf(result);
                if (result.className() == "TorvaneXml.NamedNodeIterator")
                    return "iterator over " + std::to_string(host().collect(result).size());
                return result.className();
            default:
                return "?";
        }
    }

    // Each member's result and the tree after it, one line per member.
    std::vector<std::string> RunAll(const std::function<emu::Value()>& text) {
        const Use uses[] = {
            {"ChildValue", [](auto& t, auto& n, auto& s) { return t.Call(n, "ChildValue", {s}); }},
            {"FindChildByAttribute 3",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "FindChildByAttribute", {s, s, s});
             }},
            {"FindChildByAttribute 2",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "FindChildByAttribute", {s, s});
             }},
            {"FirstElementByPath",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "FirstElementByPath", {s}); }},
            {"Child",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "Child", {s, t.Bool(true)});
             }},
            {"Children", [](auto& t, auto& n, auto& s) { return t.Call(n, "Children", {s}); }},
            {"Attribute",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "Attribute", {s, t.Bool(true)});
             }},
            {"AppendChild",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "AppendChild", {s}); }},
            {"PrependChild",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "PrependChild", {s}); }},
            {"InsertChildBefore",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "InsertChildBefore", {s, t.Call(n, "FirstChild")});
             }},
            {"InsertChildAfter",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "InsertChildAfter", {s, t.Call(n, "FirstChild")});
             }},
            {"RemoveChild",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "RemoveChild", {s}); }},
            {"RemoveAttribute",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "RemoveAttribute", {s}); }},
            {"AppendAttribute",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "AppendAttribute", {s}); }},
            {"PrependAttribute",
             [](auto& t, auto& n, auto& s) { return t.Call(n, "PrependAttribute", {s}); }},
            {"InsertAttributeBefore",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "InsertAttributeBefore", {s, t.Call(n, "FirstAttribute")});
             }},
            {"InsertAttributeAfter",
             [](auto& t, auto& n, auto& s) {
                 return t.Call(n, "InsertAttributeAfter", {s, t.Call(n, "FirstAttribute")});
             }},
            {"Name =",
             [](auto& t, auto& n, auto& s) {
                 t.host().set(n, "Name", s);
                 return emu::Value();
             }},
            {"TextValue =",
             [](auto& t, auto& n, auto& s) {
                 t.host().set(n, "TextValue", s);
                 return emu::Value();
             }},
            {"Value =",
             [](auto& t, auto& n, auto& s) {
                 t.host().set(t.Call(n, "LastChild"), "Value", s);
                 return emu::Value();
             }},
        };
        std::vector<std::string> lines;
        for (const Use& use : uses) {
            emu::Value doc = Parse("<r a='1'><c/>text</r>");
            emu::Value r = Element(doc);
            const std::string result = Describe(use.call(*this, r, text()));
            lines.push_back(std::string(use.member) + ": " + result + " | " + Raw(doc));
        }
        return lines;
    }

    void ExpectEmptyAndNilAlike() {
        const std::vector<std::string> empty = RunAll([&] { return Str(""); });
        const std::vector<std::string> nil = RunAll([&] { return host().nilString(); });
        EXPECT_EQ(empty, nil);
        // Spot checks that the calls did what an empty text asks for.
        EXPECT_EQ(nil[0], "ChildValue: \"\" | <r a=\"1\"><c/>text</r>");
        EXPECT_EQ(nil[7], "AppendChild: Node  | <r a=\"1\"><c/>text<:anonymous/></r>");
        EXPECT_EQ(nil[11], "RemoveChild: False | <r a=\"1\"><c/>text</r>");
        EXPECT_EQ(nil[18], "TextValue =: nil | <r a=\"1\"><c/></r>");
    }
};

TEST_F(StringArguments, EmptyAndNilStringsActAlike) {
    ExpectEmptyAndNilAlike();
}

class StringArgumentsNilHost : public StringArguments {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.emptyStringAsNil = true;
        return config;
    }
};

TEST_F(StringArgumentsNilHost, EmptyAndNilStringsActAlike) {
    ExpectEmptyAndNilAlike();
}

}  // namespace
