// The availability check on real files through the real FileSystemObject, and tool starts
// through the real process start, observed by the stub tool.
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

namespace karvolt::e2e {
namespace {

const std::wstring kInitialLine = L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";

enum class Entry { Missing, ProgramFile, Folder };

struct PresenceCase {
    const char* name;
    Entry engine;
    Entry editor;
};

class ToolPresence : public ::testing::TestWithParam<PresenceCase> {};

void Lay(const ModFolder& mod, Entry entry, const wchar_t* file)
{
    const std::wstring path = mod.folder + L"\\distr\\" + file;
    if (entry == Entry::ProgramFile)
        CopyFileOrFail(StubExe(), path);
    else if (entry == Entry::Folder)
        CreateFolders(path);
}

TEST_P(ToolPresence, EnablesTheButtonOfEachProgramFileFoundInDistr)
{
    const PresenceCase& c = GetParam();
    ModFolder mod(false, false);
    Lay(mod, c.engine, L"eduke32.exe");
    Lay(mod, c.editor, L"mapster32.exe");
    // Files beside the launcher, outside distr, never count.
    CopyFileOrFail(StubExe(), mod.folder + L"\\eduke32.exe");
    CopyFileOrFail(StubExe(), mod.folder + L"\\mapster32.exe");

    Launcher launcher(mod);

    EXPECT_EQ(IsWindowEnabled(launcher.Control(Command1)) != 0, c.engine == Entry::ProgramFile);
    EXPECT_EQ(IsWindowEnabled(launcher.Control(Command2)) != 0, c.editor == Entry::ProgramFile);
    for (int alwaysEnabled : {Text1, Command3, Command4, Command5})
        EXPECT_TRUE(IsWindowEnabled(launcher.Control(alwaysEnabled)));
}

INSTANTIATE_TEST_SUITE_P(RealFiles, ToolPresence,
                         ::testing::Values(PresenceCase{"Both", Entry::ProgramFile, Entry::ProgramFile},
                                           PresenceCase{"EngineOnly", Entry::ProgramFile, Entry::Missing},
                                           PresenceCase{"EditorOnly", Entry::Missing, Entry::ProgramFile},
                                           PresenceCase{"Neither", Entry::Missing, Entry::Missing},
                                           PresenceCase{"FoldersNamedLikeThePrograms", Entry::Folder,
                                                        Entry::Folder}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolPresence, NoDistrFolderAtAllLeavesBothDisabled)
{
    ModFolder mod(false, false);
    RemoveDirectoryW((mod.folder + L"\\distr").c_str());

    Launcher launcher(mod);

    EXPECT_FALSE(IsWindowEnabled(launcher.Control(Command1)));
    EXPECT_FALSE(IsWindowEnabled(launcher.Control(Command2)));
}

TEST(ToolPresence, WithoutTheScriptRuntimeBothButtonsAreEnabled)
{
    ModFolder mod(false, false);
    const LauncherWithoutDll withoutScriptRuntime(mod, L"scrrun");

    Launcher launcher({withoutScriptRuntime.Exe(), mod.folder, mod.stubRecord});

    EXPECT_TRUE(IsWindowEnabled(launcher.Control(Command1)));
    EXPECT_TRUE(IsWindowEnabled(launcher.Control(Command2)));
}

// Started in a normal window that takes the focus: the style must reach the tool.
void ExpectShownNormally(const StubRecord& record)
{
    ASSERT_TRUE(record.startupFlags && record.showWindow) << "the stub recorded no start-up information";
    EXPECT_TRUE(*record.startupFlags & STARTF_USESHOWWINDOW) << "start-up flags " << *record.startupFlags;
    EXPECT_EQ(*record.showWindow, DWORD{SW_SHOWNORMAL});
}

struct StartCase {
    const char* name;
    int button;
    std::optional<std::wstring> argumentLine; // none: leave the initial text
    std::wstring expectedCommandLine;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class ToolStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(ToolStart, HandsTheCommandLineUnchangedToTheToolInTheLauncherFolderAndEnds)
{
    const StartCase& c = GetParam();
    ModFolder mod(true, true);
    Launcher launcher(mod);
    if (c.argumentLine)
        launcher.SetArgumentLine(*c.argumentLine);

    launcher.Click(c.button);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].commandLine, c.expectedCommandLine);
    EXPECT_EQ(records[0].currentFolder, mod.folder);
    const wchar_t* program = c.button == Command1 ? L"eduke32.exe" : L"mapster32.exe";
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\" + program);
    ExpectShownNormally(records[0]);
}

INSTANTIATE_TEST_SUITE_P(
    ArgumentLines, ToolStart,
    ::testing::Values(
        StartCase{"EngineInitialLine", Command1, std::nullopt, L"distr\\eduke32.exe " + kInitialLine},
        StartCase{"EditorInitialLine", Command2, std::nullopt, L"distr\\mapster32.exe " + kInitialLine},
        StartCase{"EmptyLine", Command1, L"", L"distr\\eduke32.exe "},
        StartCase{"NonAsciiTyped", Command1, L"-name \u017dlu\u0165ou\u010dk\u00fd k\u016f\u0148 \u6771\u4eac \U0001F525",
                  L"distr\\eduke32.exe -name \u017dlu\u0165ou\u010dk\u00fd k\u016f\u0148 \u6771\u4eac \U0001F525"},
        StartCase{"QuotesAndBlanksKept", Command2, L"  \"a b\"  c\" ",
                  L"distr\\mapster32.exe   \"a b\"  c\" "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToolStart, FromAnotherFolderStartsTheToolBelowTheLauncherAndRunsItInThatFolder)
{
    ModFolder mod(true, false);
    TempFolder elsewhere(L"elsewhere");
    Launcher launcher({mod.launcher, elsewhere.Path(), mod.stubRecord});
    ASSERT_TRUE(IsWindowEnabled(launcher.Control(Command1)));

    launcher.Click(Command1);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\eduke32.exe");
    EXPECT_EQ(records[0].currentFolder, elsewhere.Path());
    EXPECT_EQ(records[0].commandLine, L"distr\\eduke32.exe " + kInitialLine);
    ExpectShownNormally(records[0]);
}

struct ProcessHandle {
    explicit ProcessHandle(DWORD id)
        : handle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {}
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    ~ProcessHandle()
    {
        if (handle)
            CloseHandle(handle);
    }
    HANDLE handle;
};

class ToolStartWithoutWaiting : public ::testing::TestWithParam<int> {};

TEST_P(ToolStartWithoutWaiting, TheLauncherHasEndedWhileTheToolStillRuns)
{
    ModFolder mod(true, true);
    const StubHold hold;
    Launcher launcher({mod.launcher, mod.folder, mod.stubRecord, true, hold.Name()});

    launcher.Click(GetParam());

    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_TRUE(records[0].processId);
    // Opened while the hold keeps the tool alive, so the id is still the tool's.
    const ProcessHandle tool(*records[0].processId);
    ASSERT_NE(tool.handle, nullptr) << "the tool is gone, error " << GetLastError();
    EXPECT_EQ(launcher.WaitForExit(), 0u) << "the launcher waits for the tool";
    EXPECT_EQ(WaitForSingleObject(tool.handle, 0), DWORD{WAIT_TIMEOUT}) << "the tool was not held";

    hold.Release();
    ASSERT_EQ(WaitForSingleObject(tool.handle, 10000), DWORD{WAIT_OBJECT_0}) << "the tool does not end";
    DWORD toolExit = 0;
    GetExitCodeProcess(tool.handle, &toolExit);
    EXPECT_EQ(toolExit, 0u) << "the tool was not held by the test (4: no event, 5: its own time limit)";
}

INSTANTIATE_TEST_SUITE_P(Buttons, ToolStartWithoutWaiting, ::testing::Values(Command1, Command2),
                         [](const auto& info) { return std::string(info.param == Command1 ? "Play" : "MapEditor"); });

TEST(ToolStart, AProgramFileRemovedAfterTheCheckIsReportedAndNothingStarts)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    ASSERT_TRUE(DeleteFileW((mod.folder + L"\\distr\\eduke32.exe").c_str()));

    launcher.Click(Command1);

    HWND report = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (report = launcher.FindOwnWindow(L"#32770")) != nullptr; }))
        << "no failure report";
    EXPECT_EQ(WindowText(report), L"Karvolt Launcher");
    EXPECT_TRUE(launcher.IsRunning()) << "the launcher must wait for the user to read the report";
    PostMessageW(report, WM_COMMAND, IDOK, 0);
    const auto exitCode = launcher.WaitForExit();
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_NE(*exitCode, 0u);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
}

} // namespace
} // namespace karvolt::e2e
