// The version gate: nothing below 2019.1, everything but the five date
// members at exactly 2019.1, everything from there on.
#include "fixture.h"

namespace {

struct GateCase {
    const char* label;
    double version;
    bool reportsVersion;
    bool registers;
    bool dateMembers;
};

class VersionGate : public PluginTest, public ::testing::WithParamInterface<GateCase> {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.version = GetParam().version;
        if (!GetParam().reportsVersion) config.missingEntries.insert("REALGetRBVersion");
        return config;
    }
};

TEST_P(VersionGate, RegistersWhatTheHostVersionAllows) {
    const GateCase& c = GetParam();
    const emu::Registry& registry = host().registry();
    EXPECT_EQ(host().announcedVersion(), 13);
    if (!c.registers) {
        EXPECT_TRUE(registry.modules.empty());
        EXPECT_TRUE(registry.classes.empty());
        return;
    }
    ASSERT_NE(registry.findModule("TorvaneXml"), nullptr);
    ASSERT_EQ(registry.classes.size(), 15u);

    const size_t dates = c.dateMembers ? 1 : 0;
    const emu::RegisteredClass* document = registry.findClass("TorvaneXml.Document");
    const emu::RegisteredClass* attribute = registry.findClass("TorvaneXml.Attribute");
    const emu::RegisteredClass* text = registry.findClass("TorvaneXml.TextHelper");
    ASSERT_TRUE(document && attribute && text);
    EXPECT_EQ(document->sharedMethods.size(), 2 + 3 * dates);
    EXPECT_EQ(document->sharedMethods[1].declaration,
              "FromString(data as String) as TorvaneXml.Document");
    EXPECT_EQ(attribute->properties.size(), 10 + dates);
    EXPECT_EQ(attribute->methods.size(), 14 + dates);
    EXPECT_EQ(text->properties.size(), 9 + dates);
    EXPECT_EQ(text->methods.size(), 11 + dates);
    // Everything else keeps its full tables.
    EXPECT_EQ(registry.findClass("TorvaneXml.Node")->methods.size(), 55u);
    EXPECT_EQ(document->methods.size(), 6u);
    EXPECT_NE(registry.findClass("TorvaneXmlParserException"), nullptr);

    // The shortened tables still work for what they offer.
    emu::Value doc = Parse("<a b='1'>t</a>");
    emu::Value element = Call(doc, "DocumentElement");
    EXPECT_EQ(Get(Call(element, "Attribute", {Str("b")}), "AsInt32").asInt(), 1);
    EXPECT_EQ(GetString(Call(element, "Text"), "AsString"), "t");
    if (!c.dateMembers) {
        EXPECT_THROW(Get(Call(element, "Attribute", {Str("b")}), "AsDateTime"), emu::EmulatorError);
        // The gate goes by what a member names, wherever it stands in its table.
        for (const emu::RegisteredClass& cls : registry.classes) {
            for (const auto& p : cls.properties) EXPECT_NE(p.type, "DateTime") << cls.name;
            for (const auto* methods : {&cls.methods, &cls.sharedMethods})
                for (const auto& m : *methods)
                    EXPECT_EQ(m.declaration.find("as DateTime"), std::string::npos) << cls.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, VersionGate,
                         ::testing::Values(GateCase{"v2019_0", 2019.0, true, false, false},
                                           GateCase{"v2018_4", 2018.04, true, false, false},
                                           GateCase{"v2019_1", 2019.1, true, true, false},
                                           GateCase{"v2019_2", 2019.2, true, true, true},
                                           GateCase{"v2020_0", 2020.0, true, true, true},
                                           GateCase{"v2024_3", 2024.3, true, true, true},
                                           GateCase{"noVersionEntry", 2020.0, false, false, false}),
                         [](const auto& info) { return std::string(info.param.label); });

// A host that never heard of RegisterPluginVersion still gets the plug-in.
class WithoutVersionAnnouncement : public PluginTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.missingEntries.insert("RegisterPluginVersion");
        return config;
    }
};

TEST_F(WithoutVersionAnnouncement, SkipsTheAnnouncementAndRegisters) {
    EXPECT_EQ(host().announcedVersion(), 0);
    EXPECT_EQ(host().resolverAsks("RegisterPluginVersion"), 1u);
    EXPECT_NE(host().registry().findModule("TorvaneXml"), nullptr);
}

}  // namespace
