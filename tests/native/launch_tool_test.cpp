#include "launch_tool.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace karvolt::testing {
namespace {

const std::wstring kInitial = L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";

struct LaunchCase {
    const char* name;
    const ToolEntry* tool;
    std::wstring argumentLine;
    std::wstring expectedCommandLine;
};

void PrintTo(const LaunchCase& c, std::ostream* out) { *out << c.name; }

class LaunchToolCommandLine : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchToolCommandLine, IsThePrefixFollowedByTheArgumentLineUnchangedThenTheLauncherEnds)
{
    const LaunchCase& c = GetParam();
    FakeForm form;
    form.argumentLine = c.argumentLine;
    FakePlatform platform;

    LaunchTool(*c.tool, form, platform);

    EXPECT_EQ(platform.startedCommandLines, std::vector<std::wstring>{c.expectedCommandLine});
    EXPECT_EQ(platform.startedWindowStyles, std::vector<int>{1});
    EXPECT_EQ(platform.log, (std::vector<std::string>{"start", "end"}));
}

INSTANTIATE_TEST_SUITE_P(
    ArgumentLines, LaunchToolCommandLine,
    ::testing::Values(
        LaunchCase{"EngineInitial", &GameEngineTool, kInitial,
                   L"distr\\eduke32.exe -game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg "},
        LaunchCase{"EditorGetsTheSameLine", &MapEditorTool, kInitial,
                   L"distr\\mapster32.exe -game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg "},
        LaunchCase{"EmptyKeepsThePrefixBlank", &GameEngineTool, L"", L"distr\\eduke32.exe "},
        LaunchCase{"LeadingBlanksKept", &GameEngineTool, L"   -map e1l1.map",
                   L"distr\\eduke32.exe    -map e1l1.map"},
        LaunchCase{"QuotesKept", &MapEditorTool, L"\"my maps\\a b.map\" \"",
                   L"distr\\mapster32.exe \"my maps\\a b.map\" \""},
        LaunchCase{"UserOptionsAfterInitial", &GameEngineTool, kInitial + L"-nosound  -x \"dev.con\"",
                   L"distr\\eduke32.exe -game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg "
                   L"-nosound  -x \"dev.con\""},
        LaunchCase{"NonAsciiKept", &GameEngineTool, L"-name \u017dlu\u0165ou\u010dk\u00fd \u6771",
                   L"distr\\eduke32.exe -name \u017dlu\u0165ou\u010dk\u00fd \u6771"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchTool, FailedStartGoesToTheFailureReportAndNothingElseIsTried)
{
    FakeForm form;
    form.argumentLine = kInitial;
    FakePlatform platform;
    platform.startFailure = PlatformFailure{L"no eduke32", 2};

    LaunchTool(GameEngineTool, form, platform);

    EXPECT_EQ(platform.log, (std::vector<std::string>{"start", "report no eduke32"}));
}

TEST(ToolTable, PrefixesAreRelativeProgramPathsWithOneTrailingBlank)
{
    EXPECT_EQ(GameEngineTool.launchPrefix, L"distr\\eduke32.exe ");
    EXPECT_EQ(MapEditorTool.launchPrefix, L"distr\\mapster32.exe ");
    EXPECT_EQ(GameEngineTool.button, ToolButton::Command1);
    EXPECT_EQ(MapEditorTool.button, ToolButton::Command2);
}

} // namespace
} // namespace karvolt::testing
