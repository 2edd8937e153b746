#include "check_tools.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace karvolt::testing {
namespace {

const std::wstring kEditor = L"D:\\Games\\Launcher\\distr\\mapster32.exe";
const std::wstring kEngine = L"D:\\Games\\Launcher\\distr\\eduke32.exe";
using Buttons = std::set<ToolButton>;
constexpr ToolButton kPlay = ToolButton::Command1;
constexpr ToolButton kEditorButton = ToolButton::Command2;

TEST(CheckTools, TestsTheMapEditorFirstEachWithItsOwnTestBelowTheLauncherFolder)
{
    FakeForm form;
    FakePlatform platform;
    platform.files = {kEditor, kEngine};

    CheckTools(form, platform);

    EXPECT_EQ(platform.log, (std::vector<std::string>{
                                "create test", "read folder", "test D:\\Games\\Launcher\\distr\\mapster32.exe",
                                "create test", "read folder", "test D:\\Games\\Launcher\\distr\\eduke32.exe"}));
    EXPECT_EQ(form.log, (std::vector<std::string>{"enable Command2", "enable Command1"}));
}

struct Scenario {
    const char* name;
    std::set<std::wstring> files;
    std::function<void(FakePlatform&, FakeForm&)> arrange;
    Buttons expectedEnabled;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class CheckToolsScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(CheckToolsScenario, EnablesExactlyTheExpectedButtons)
{
    const Scenario& scenario = GetParam();
    FakeForm form;
    FakePlatform platform;
    platform.files = scenario.files;
    if (scenario.arrange)
        scenario.arrange(platform, form);

    CheckTools(form, platform);

    EXPECT_EQ(form.enabled, scenario.expectedEnabled);
}

const auto none = [](FakePlatform&, FakeForm&) {};

INSTANTIATE_TEST_SUITE_P(
    FilesAndFailures, CheckToolsScenario,
    ::testing::Values(
        Scenario{"BothPresent", {kEditor, kEngine}, none, {kPlay, kEditorButton}},
        Scenario{"EngineOnly", {kEngine}, none, {kPlay}},
        Scenario{"EditorOnly", {kEditor}, none, {kEditorButton}},
        Scenario{"NeitherPresent", {}, none, {}},
        // Files in the wrong places: directly in the folder, or somewhere else entirely.
        Scenario{"ProgramBesideLauncherNotInDistr",
                 {L"D:\\Games\\Launcher\\eduke32.exe", L"C:\\Current\\distr\\eduke32.exe"}, none, {}},
        Scenario{"TestNeverObtainable", {},
                 [](FakePlatform& p, FakeForm&) { p.failingCreations = {1, 2}; },
                 {kPlay, kEditorButton}},
        // The engine's test gets a fresh try after the editor's could not be had.
        Scenario{"EditorTestNotObtainableEngineTestAnswersFalse", {},
                 [](FakePlatform& p, FakeForm&) { p.failingCreations = {1}; }, {kEditorButton}},
        Scenario{"EngineTestNotObtainable", {},
                 [](FakePlatform& p, FakeForm&) { p.failingCreations = {2}; }, {kPlay}},
        Scenario{"FolderUnreadable", {},
                 [](FakePlatform& p, FakeForm&) { p.folderReadable = false; },
                 {kPlay, kEditorButton}},
        Scenario{"EditorTestFails", {},
                 [](FakePlatform& p, FakeForm&) { p.failingPaths = {kEditor}; }, {kEditorButton}},
        Scenario{"EngineTestFailsEditorPresent", {kEditor},
                 [](FakePlatform& p, FakeForm&) { p.failingPaths = {kEngine}; },
                 {kPlay, kEditorButton}},
        // A failed enable of the editor's button does not stop the engine's test.
        Scenario{"EnablingEditorButtonFails", {kEditor, kEngine},
                 [](FakePlatform&, FakeForm& f) { f.failingButtons = {kEditorButton}; }, {kPlay}},
        Scenario{"EnablingPlayButtonFails", {kEditor, kEngine},
                 [](FakePlatform&, FakeForm& f) { f.failingButtons = {kPlay}; }, {kEditorButton}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckTools, BuildsTheCheckPathOnTheLauncherFolderAsPlainText)
{
    FakeForm form;
    FakePlatform platform;
    platform.applicationFolder = L"C:\\Program Files\\K\u00e4rvolt";

    CheckTools(form, platform);

    EXPECT_EQ(platform.log[2], "test C:\\Program Files\\K\xe4rvolt\\distr\\mapster32.exe");
    EXPECT_EQ(platform.log[5], "test C:\\Program Files\\K\xe4rvolt\\distr\\eduke32.exe");
}

} // namespace
} // namespace karvolt::testing
