// The host classes the date members build are asked for while loading, so a
// compiled application that never names them itself still keeps them.
#include "fixture.h"

namespace {

struct DependencyCase {
    const char* label;
    double version;
    std::vector<std::string> asked;
};

class ClassDependencies : public PluginTest, public ::testing::WithParamInterface<DependencyCase> {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig config;
        config.version = GetParam().version;
        config.compiledApplication = true;  // unasked host classes answer nil
        return config;
    }
};

TEST_P(ClassDependencies, AskedWhileLoadingExactlyWhenTheDateMembersAreOffered) {
    EXPECT_EQ(host().classesAskedWhileLoading(), GetParam().asked);
    if (GetParam().asked.empty()) return;
    // A zone needs TimeZone, which nothing but the plug-in asks for.
    emu::Value dt = host().callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                      {Str("2024-03-05T10:20:30+01:30"), Bool(false)});
    ASSERT_FALSE(dt.isNil());
    EXPECT_EQ(Get(dt, "SecondsFromGMT").asInt(), 5400);
    EXPECT_EQ(Get(dt, "Minute").asInt(), 20);
    emu::Value date = host().callShared("TorvaneXml.Document", "ISO8601ToDateTime",
                                        {Str("2024-03-05"), Bool(true)});
    ASSERT_FALSE(date.isNil());
    EXPECT_EQ(Get(date, "Day").asInt(), 5);
}

const std::vector<std::string> kDateClasses{"DateTime", "TimeZone"};

INSTANTIATE_TEST_SUITE_P(Hosts, ClassDependencies,
                         ::testing::Values(DependencyCase{"v2019_1", 2019.1, {}},
                                           DependencyCase{"v2019_2", 2019.2, kDateClasses},
                                           DependencyCase{"v2020_0", 2020.0, kDateClasses}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
