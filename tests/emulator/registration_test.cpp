// Registration records fed straight through the host's entries by a start-up
// linked into this test: every fault must be reported, none may crash the
// host. Records are static, as the host keeps the pointers it is handed.
#include <cstring>
#include <functional>
#include <new>

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

    // A fresh record in the same static storage.
    void reset() {
        this->~ClassFixture();
        new (this) ClassFixture();
    }

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

ClassFixture gClass, gOther;  // static: registered records must stay put
REALmoduleDefinition gModule;

std::function<void(REALResolverProc)> gStartUp;
void StartUpMain(REALResolverProc resolver) {
    gStartUp(resolver);
}

// Runs `body` as the start-up of a plug-in linked into this test.
void StartUp(emu::Host& h, std::function<void(REALResolverProc)> body) {
    gStartUp = std::move(body);
    h.loadLinked(&StartUpMain);
    gStartUp = nullptr;
}

void RegisterClass(REALResolverProc r, REALclassDefinition* def) {
    reinterpret_cast<PluginRegisterClassProc>(r("PluginRegisterClass"))(def);
}

void RegisterModule(REALResolverProc r, REALmoduleDefinition* def) {
    reinterpret_cast<PluginRegisterModuleProc>(r("PluginRegisterModule"))(def);
}

void RegisterOneClass(emu::Host& h, REALclassDefinition* def) {
    StartUp(h, [&](REALResolverProc r) { RegisterClass(r, def); });
}

}  // namespace

TEST(Registration, AWellFormedClassRegistersWithoutViolations) {
    emu::Host h;
    ClassFixture& c = gClass;
    c.reset();
    RegisterOneClass(h, &c.def);
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
        ClassFixture& c = gClass;
        c.reset();
        k.spoil(c);
        RegisterOneClass(h, &c.def);
        std::vector<std::string> v = h.takeViolations();
        EXPECT_TRUE(Mentions(v, k.expected)) << k.name << ":\n" << Joined(v);
        EXPECT_TRUE(h.leaks().clean()) << k.name;
    }
}

TEST(Registration, NullAndRepeatedRecordsAreReported) {
    emu::Host h;
    gClass.reset();
    gOther.reset();  // a different record with the same name
    StartUp(h, [](REALResolverProc r) {
        RegisterClass(r, nullptr);
        RegisterModule(r, nullptr);
        RegisterClass(r, &gClass.def);
        RegisterClass(r, &gClass.def);
        RegisterClass(r, &gOther.def);
    });
    std::vector<std::string> v = h.takeViolations();
    EXPECT_TRUE(Mentions(v, "null class definition")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "null module definition")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "registered twice")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "already registered")) << Joined(v);
    EXPECT_EQ(h.registry().classes.size(), 1u);
}

TEST(Registration, SubclassBeforeSuperclassIsLaidOutWhenTheSuperclassArrives) {
    emu::Host h;
    ClassFixture& sub = gClass;
    ClassFixture& root = gOther;
    sub.reset();
    root.reset();
    sub.def.name = "Sub";
    sub.def.superName = "Root";
    sub.def.dataSize = 8;
    sub.props[0].param = 0;
    root.def.name = "Root";
    StartUp(h, [&](REALResolverProc r) {
        RegisterClass(r, &sub.def);
        EXPECT_EQ(sub.def.forSystemUse, 0);  // nothing known yet to place it after
        RegisterClass(r, &root.def);
    });
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
    static REALenum e;
    static REALconstant konst;
    for (const Case& k : cases) {
        emu::Host h;
        e = REALenum{"Shade", "Integer", 0x20, entries, 2, 0, nullptr};
        konst = REALconstant{"Answer = 42", nullptr, 0x24, 0, nullptr};
        REALmoduleDefinition& m = gModule;
        m = REALmoduleDefinition{};
        m.version = 13;
        m.name = "Mod";
        m.enums = &e;
        m.enumCount = 1;
        m.constants = &konst;
        m.constantCount = 1;
        k.spoil(m, e, konst);
        StartUp(h, [&](REALResolverProc r) { RegisterModule(r, &m); });
        std::vector<std::string> v = h.takeViolations();
        EXPECT_TRUE(Mentions(v, k.expected)) << k.name << ":\n" << Joined(v);
    }
}

TEST(Registration, ModuleClassesAreQualifiedAndSeeTheModulesEnums) {
    emu::Host h;
    static const char* entries[] = {"A = 1", "B"};
    static REALenum e{"Shade", "", 0x20, entries, 2, 0, nullptr};
    ClassFixture& c = gClass;
    c.reset();
    c.methods[1].declaration = "Touch(s as Mod.Shade = Mod.Shade.B) as Shade";
    static REALclassDefinition* list[] = {&gClass.def};
    REALmoduleDefinition& m = gModule;
    m = REALmoduleDefinition{};
    m.version = 13;
    m.name = "Mod";
    m.enums = &e;
    m.enumCount = 1;
    m.classes = list;
    m.classesCount = 1;
    StartUp(h, [&](REALResolverProc r) { RegisterModule(r, &m); });
    EXPECT_TRUE(h.takeViolations().empty());
    ASSERT_NE(h.registry().findClass("Mod.Widget"), nullptr);
    EXPECT_EQ(h.registry().findClass("Widget"), nullptr);
    EXPECT_EQ(h.registry().findModule("Mod")->classes, std::vector<std::string>{"Mod.Widget"});
}
