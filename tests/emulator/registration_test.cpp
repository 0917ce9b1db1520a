// Registration records fed straight through the host's entries: every fault
// must be reported, none may crash the host.
#include <cstring>
#include <functional>

#include "emu_fixture.h"

namespace {

void Nop(REALobject) {}
RBInteger GetZero(REALobject, RBInteger) {
    return 0;
}

REALproc F(void (*f)(REALobject)) {
    return reinterpret_cast<REALproc>(f);
}
REALproc G() {
    return reinterpret_cast<REALproc>(&GetZero);
}

// A record that registers cleanly; each case spoils one thing.
struct ClassFixture {
    REALmethodDefinition methods[2] = {
        {F(Nop), nullptr, "Constructor()", 0x24, 0, nullptr},
        {F(Nop), nullptr, "Touch(a as Integer, b as String = \"x\") as Boolean", 0x4, 0, nullptr},
    };
    REALproperty props[1] = {
        {"", "Field", "Integer", 0x4, REALstandardGetter, nullptr, 8, nullptr, 0, nullptr, 0,
         nullptr},
    };
    REALproperty shared[1] = {
        {"", "Count", "Integer", 0x4, G(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr},
    };
    REALclassDefinition def{};

    ClassFixture() {
        def.version = 13;
        def.name = "Widget";
        def.dataSize = 16;
        def.destructor = F(Nop);
        def.properties = props;
        def.propertyCount = 1;
        def.methods = methods;
        def.methodCount = 2;
        def.sharedProperties = shared;
        def.sharedPropertyCount = 0;
        def.mFlags = 0x4;
    }
};

void RegisterClass(emu::Host& h, REALclassDefinition* def) {
    reinterpret_cast<PluginRegisterClassProc>(h.resolver()("PluginRegisterClass"))(def);
}

void RegisterModule(emu::Host& h, REALmoduleDefinition* def) {
    reinterpret_cast<PluginRegisterModuleProc>(h.resolver()("PluginRegisterModule"))(def);
}

}  // namespace

TEST(Registration, AWellFormedClassRegistersWithoutViolations) {
    emu::Host h;
    ClassFixture c;
    RegisterClass(h, &c.def);
    EXPECT_TRUE(h.takeViolations().empty());
    EXPECT_NE(h.registry().findClass("Widget"), nullptr);
    EXPECT_GT(c.def.forSystemUse, 0);
}

TEST(Registration, FaultyClassRecordsAreReported) {
    struct Case {
        const char* name;
        std::function<void(ClassFixture&)> spoil;
        const char* expected;
    };
    const Case cases[] = {
        {"old record version", [](ClassFixture& c) { c.def.version = 12; }, "record version 12"},
        {"no name", [](ClassFixture& c) { c.def.name = nullptr; }, "not an identifier"},
        {"name with spaces", [](ClassFixture& c) { c.def.name = "My Widget"; },
         "not an identifier"},
        {"count without table", [](ClassFixture& c) { c.def.methods = nullptr; }, "table is null"},
        {"absurd count", [](ClassFixture& c) { c.def.propertyCount = size_t(1) << 40; },
         "not plausible"},
        {"method without function", [](ClassFixture& c) { c.methods[1].function = nullptr; },
         "no function"},
        {"declaration without As",
         [](ClassFixture& c) { c.methods[1].declaration = "Touch(a Integer)"; }, "does not parse"},
        {"unbalanced declaration",
         [](ClassFixture& c) { c.methods[1].declaration = "Touch(a as Integer"; },
         "does not parse"},
        {"unknown parameter type",
         [](ClassFixture& c) { c.methods[1].declaration = "Touch(a as Gadget)"; },
         "unknown type 'Gadget'"},
        {"unknown result type",
         [](ClassFixture& c) { c.methods[1].declaration = "Touch() as Gadget"; },
         "unknown result type 'Gadget'"},
        {"default of the wrong type",
         [](ClassFixture& c) { c.methods[1].declaration = "Touch(a as Boolean = 3)"; },
         "default value '3'"},
        {"same declaration twice",
         [](ClassFixture& c) { c.methods[0].declaration = c.methods[1].declaration; },
         "registered twice"},
        {"unknown flag bits", [](ClassFixture& c) { c.methods[1].mFlags = 0x10004; },
         "unknown flag bits"},
        {"two scopes", [](ClassFixture& c) { c.methods[1].mFlags = 0xA4; }, "more than one scope"},
        {"standard getter outside the data", [](ClassFixture& c) { c.props[0].param = 16; },
         "lies outside the class data"},
        {"standard getter misaligned", [](ClassFixture& c) { c.props[0].param = 4; }, "misaligned"},
        {"negative offset", [](ClassFixture& c) { c.props[0].param = -8; },
         "lies outside the class data"},
        {"property without getter", [](ClassFixture& c) { c.props[0].getter = nullptr; },
         "no getter"},
        {"property of unknown type", [](ClassFixture& c) { c.props[0].type = "Gadget"; },
         "unknown type 'Gadget'"},
        {"shared property with standard getter",
         [](ClassFixture& c) {
             c.def.sharedPropertyCount = 1;
             c.shared[0].getter = REALstandardGetter;
         },
         "cannot serve a shared property"},
        {"unknown superclass", [](ClassFixture& c) { c.def.superName = "Gizmo"; },
         "superclass 'Gizmo' is not known"},
        {"unknown interface", [](ClassFixture& c) { c.def.interfaces = "Iterable,Sortable"; },
         "unknown interface 'Sortable'"},
        {"iterator without its protocol", [](ClassFixture& c) { c.def.interfaces = "Iterator"; },
         "has no \"MoveNext() as Boolean\""},
        {"host field pre-filled", [](ClassFixture& c) { c.def.forSystemUse = 8; },
         "host-reserved field"},
        {"empty name in the interface list",
         [](ClassFixture& c) { c.def.interfaces = "Iterable,"; },
         "empty name in the interface list"},
        {"event that does not parse",
         [](ClassFixture& c) {
             static REALevent events[] = {{"Changed(x as)", 0, 0, nullptr}};
             c.def.events = events;
             c.def.eventCount = 1;
         },
         "event 0 does not parse"},
        {"attribute without a name",
         [](ClassFixture& c) {
             static REALattribute attrs[] = {{nullptr, "x"}};
             c.methods[1].attributes = attrs;
             c.methods[1].attributeCount = 1;
         },
         "attribute 0 has no name"},
        {"overload with the same parameters",
         [](ClassFixture& c) { c.methods[0].declaration = "Touch(x as Integer, y as String)"; },
         "same parameters as"},
        {"destructor is the accessor marker",
         [](ClassFixture& c) { c.def.destructor = REALstandardGetter; },
         "standard accessor marker"},
    };
    for (const Case& k : cases) {
        emu::Host h;
        ClassFixture c;
        k.spoil(c);
        RegisterClass(h, &c.def);
        std::vector<std::string> v = h.takeViolations();
        EXPECT_TRUE(Mentions(v, k.expected)) << k.name << ":\n" << Joined(v);
        EXPECT_TRUE(h.leaks().clean()) << k.name;
    }
}

TEST(Registration, NullAndRepeatedRecordsAreReported) {
    emu::Host h;
    RegisterClass(h, nullptr);
    RegisterModule(h, nullptr);
    ClassFixture c;
    RegisterClass(h, &c.def);
    RegisterClass(h, &c.def);
    ClassFixture other;  // a different record with the same name
    RegisterClass(h, &other.def);
    std::vector<std::string> v = h.takeViolations();
    EXPECT_TRUE(Mentions(v, "null class definition")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "null module definition")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "registered twice")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "already registered")) << Joined(v);
    EXPECT_EQ(h.registry().classes.size(), 1u);
}

TEST(Registration, SubclassBeforeSuperclassIsLaidOutWhenTheSuperclassArrives) {
    emu::Host h;
    ClassFixture sub, root;
    sub.def.name = "Sub";
    sub.def.superName = "Root";
    sub.def.dataSize = 8;
    sub.props[0].param = 0;
    root.def.name = "Root";
    RegisterClass(h, &sub.def);
    EXPECT_EQ(sub.def.forSystemUse, 0);  // nothing known yet to place it after
    RegisterClass(h, &root.def);
    EXPECT_TRUE(h.takeViolations().empty());
    EXPECT_GE(sub.def.forSystemUse,
              root.def.forSystemUse + static_cast<RBInteger>(root.def.dataSize));
    emu::Value obj = h.newInstance("Sub");
    EXPECT_TRUE(h.isa(obj, "Root"));
}

TEST(Registration, FaultyModuleRecordsAreReported) {
    struct Case {
        const char* name;
        std::function<void(REALmoduleDefinition&, REALenum&, REALconstant&)> spoil;
        const char* expected;
    };
    static const char* entries[] = {"A = 1", "B"};
    static const char* badEntries[] = {"A = one"};
    const Case cases[] = {
        {"old record version", [](auto& m, auto&, auto&) { m.version = 12; }, "record version 12"},
        {"null class pointer",
         [](auto& m, auto&, auto&) {
             static REALclassDefinition* none[] = {nullptr};
             m.classes = none;
             m.classesCount = 1;
         },
         "class pointer 0 is null"},
        {"enumeration entry without a number",
         [](auto&, auto& e, auto&) {
             e.fields = badEntries;
             e.numFields = 1;
         },
         "is not an integer"},
        {"enumeration of a non-integer type", [](auto&, auto& e, auto&) { e.type = "String"; },
         "is not an integer type"},
        {"constant without value", [](auto&, auto&, auto& k) { k.declaration = "Answer = "; },
         "empty value"},
        {"controls",
         [](auto& m, auto&, auto&) {
             static REALcontrol* ctl[1] = {nullptr};
             m.controls = ctl;
             m.controlCount = 1;
         },
         "controls are not supported"},
    };
    for (const Case& k : cases) {
        emu::Host h;
        REALenum e{"Shade", "Integer", 0x20, entries, 2, 0, nullptr};
        REALconstant konst{"Answer = 42", nullptr, 0x24, 0, nullptr};
        REALmoduleDefinition m{};
        m.version = 13;
        m.name = "Mod";
        m.enums = &e;
        m.enumCount = 1;
        m.constants = &konst;
        m.constantCount = 1;
        k.spoil(m, e, konst);
        RegisterModule(h, &m);
        std::vector<std::string> v = h.takeViolations();
        EXPECT_TRUE(Mentions(v, k.expected)) << k.name << ":\n" << Joined(v);
    }
}

TEST(Registration, ModuleClassesAreQualifiedAndSeeTheModulesEnums) {
    emu::Host h;
    static const char* entries[] = {"A = 1", "B"};
    REALenum e{"Shade", "", 0x20, entries, 2, 0, nullptr};
    ClassFixture c;
    c.methods[1].declaration = "Touch(s as Mod.Shade = Mod.Shade.B) as Shade";
    REALclassDefinition* list[] = {&c.def};
    REALmoduleDefinition m{};
    m.version = 13;
    m.name = "Mod";
    m.enums = &e;
    m.enumCount = 1;
    m.classes = list;
    m.classesCount = 1;
    RegisterModule(h, &m);
    EXPECT_TRUE(h.takeViolations().empty());
    ASSERT_NE(h.registry().findClass("Mod.Widget"), nullptr);
    EXPECT_EQ(h.registry().findClass("Widget"), nullptr);
    EXPECT_EQ(h.registry().findModule("Mod")->classes, std::vector<std::string>{"Mod.Widget"});
}
