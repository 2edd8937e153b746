// Input the launcher did not expect: argument lines at and over the command-line limit or
// full of characters outside the code page, awkward and over-long folders, a planted
// program on the path of an unquoted command line, and many copies at once.
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

namespace karvolt::e2e {
namespace {

const std::wstring kEnginePrefix = L"distr\\eduke32.exe ";
const std::wstring kInitialLine = L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";
// CreateProcess takes at most 32767 characters, terminating NUL included.
constexpr size_t kLongestCommandLine = 32766;

// An argument line that makes the engine's command line this long; varied, so a line that
// was cut or shifted anywhere does not compare equal.
std::wstring LineForCommandLineOf(size_t length)
{
    std::wstring line;
    for (int n = 0; kEnginePrefix.size() + line.size() < length; ++n)
        line += L"-arg" + std::to_wstring(n) + L" ";
    line.resize(length - kEnginePrefix.size());
    return line;
}

// Compares long texts without printing 32 000 characters when they differ.
::testing::AssertionResult SameText(const std::wstring& expected, const std::wstring& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    auto around = [at](const std::wstring& text) { return text.substr(at < 20 ? 0 : at - 20, 60); };
    return ::testing::AssertionFailure()
           << "lengths " << expected.size() << " (expected) and " << actual.size()
           << ", first difference at " << at << ": expected ..." << around(expected)
           << "... but got ..." << around(actual) << "...";
}

std::wstring StaticTexts(HWND box)
{
    std::wstring texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0)
            texts += WindowText(child) + L"\n";
    return texts;
}

// The click must end in the launcher's own error box, which holds the launcher until OK,
// then a failure exit, with no program started on the way.
void ExpectFailureReportAndNothingStarted(const Launcher& launcher, const ModFolder& mod,
                                          const std::vector<std::wstring>& sayings,
                                          const std::vector<std::wstring>& lowerCaseNotSaid = {})
{
    HWND report = nullptr;
    if (WaitUntil([&] { return (report = launcher.FindOwnWindow(L"#32770")) != nullptr; })) {
        EXPECT_EQ(WindowText(report), L"Karvolt Launcher");
        const std::wstring text = StaticTexts(report);
        for (const auto& saying : sayings)
            EXPECT_NE(text.find(saying), std::wstring::npos) << "the report says: " << text;
        std::wstring lowerCase = text;
        CharLowerW(lowerCase.data());
        for (const auto& wrong : lowerCaseNotSaid)
            EXPECT_EQ(lowerCase.find(wrong), std::wstring::npos) << "the report says: " << text;
        EXPECT_TRUE(launcher.IsRunning()) << "the launcher must wait for the user to read the report";
        PostMessageW(report, WM_COMMAND, IDOK, 0);
        const auto exitCode = launcher.WaitForExit();
        EXPECT_TRUE(exitCode.has_value() && *exitCode != 0) << "no failure exit";
    } else {
        ADD_FAILURE() << "no failure report";
    }
    std::this_thread::sleep_for(300ms); // a program started anyway has written by now
    for (const auto& record : ReadStubRecords(mod.stubRecord))
        ADD_FAILURE() << "started " << record.program << " with " << record.commandLine;
}

// How the line gets into the box: set whole, which no typing limit holds back, or pasted
// as a user would, which the edit box cuts at its limit (30 000 characters unless raised).
enum class Input { Set, Pasted };

void PutLine(const Launcher& launcher, const std::wstring& line, Input input)
{
    if (input == Input::Pasted)
        launcher.PasteArgumentLine(line);
    else
        launcher.SetArgumentLine(line);
}

struct LineCase {
    const char* name;
    std::wstring line;
    // False where the edit box itself may drop part of what was put in (line breaks in a
    // one-line box): then only what it holds must reach the tool.
    bool boxKeepsAll = true;
    Input input = Input::Set;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ArgumentLineReachesTheTool : public ::testing::TestWithParam<LineCase> {};

TEST_P(ArgumentLineReachesTheTool, Unchanged)
{
    const LineCase& c = GetParam();
    ModFolder mod(true, false);
    Launcher launcher(mod);
    PutLine(launcher, c.line, c.input);
    const std::wstring inBox = WindowText(launcher.Control(Text1));
    if (c.boxKeepsAll)
        ASSERT_TRUE(SameText(c.line, inBox)) << "the edit box did not keep the line";
    else
        ASSERT_EQ(c.line.substr(0, inBox.size()), inBox) << "the edit box changed the line";

    launcher.Click(Command1);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(SameText(kEnginePrefix + inBox, records[0].commandLine));
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\eduke32.exe");
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ArgumentLineReachesTheTool,
    ::testing::Values(
        LineCase{"AtTheCommandLineLimit", LineForCommandLineOf(kLongestCommandLine)},
        LineCase{"PastedAtTheCommandLineLimit", LineForCommandLineOf(kLongestCommandLine), true, Input::Pasted},
        LineCase{"OutsideTheAnsiCodePage",
                 L"-name \u017dlu\u0165ou\u010dk\u00fd k\u016f\u0148 \u00fap\u011bl "
                 L"\u6771\u4eac\u90fd \ud55c\uad6d\uc5b4 \u0645\u0631\u062d\u0628\u0627 \U0001F525\U0001F600"},
        LineCase{"UnpairedSurrogates", L"-a \xD800 -b x\xDC00y -c \xDBFF"},
        LineCase{"ControlCharacters", L"\t-a\x01\x02 \x1b[31m-b\x7f\x1f \t"},
        LineCase{"LineBreaks", L"-a 1\r\n-b 2\n-c 3\r", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct TooLongCase {
    const char* name;
    size_t commandLineLength;
    Input input = Input::Set;
};

void PrintTo(const TooLongCase& c, std::ostream* os) { *os << c.name; }

class ArgumentLineTooLong : public ::testing::TestWithParam<TooLongCase> {};

TEST_P(ArgumentLineTooLong, IsReportedAndNoShortenedLineIsStarted)
{
    ModFolder mod(true, false);
    Launcher launcher(mod);
    const std::wstring line = LineForCommandLineOf(GetParam().commandLineLength);
    PutLine(launcher, line, GetParam().input);
    ASSERT_TRUE(SameText(line, WindowText(launcher.Control(Text1)))) << "the edit box did not keep the line";

    launcher.Click(Command1);

    // The file name is fine; a system text about a too long one would mislead.
    ExpectFailureReportAndNothingStarted(launcher, mod, {L"Could not start", L"argument line is too long"},
                                         {L"file"});
}

INSTANTIATE_TEST_SUITE_P(BadInput, ArgumentLineTooLong,
                         ::testing::Values(TooLongCase{"OneOverTheLimit", kLongestCommandLine + 1},
                                           TooLongCase{"FarOverTheLimit", 40000},
                                           TooLongCase{"PastedFarOverTheLimit", 40000, Input::Pasted}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FolderCase {
    const char* name;
    std::wstring below; // the launcher's folder below a fresh temporary one
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class LauncherFolder : public ::testing::TestWithParam<FolderCase> {};

// Why the system cannot start this program in this folder, if it cannot.
std::optional<DWORD> StartFailure(const std::wstring& program, const std::wstring& folder)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started))
        return GetLastError();
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return std::nullopt;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

TEST_P(LauncherFolder, FindsTheToolsAndStartsTheEngineThere)
{
    ModFolder mod(true, true, GetParam().below);
    ASSERT_TRUE(PathIsFile(mod.launcher));
    if (mod.folder.size() >= MAX_PATH) {
        // Wine 8's CreateProcessW fails with ERROR_INVALID_NAME for a program path over
        // MAX_PATH (its 8.3 form too), and a current folder that long corrupts the caller's
        // heap, so under Wine the launcher cannot even be started there to try.
        if (UnderWine())
            GTEST_SKIP() << "Wine cannot start a program from a folder longer than MAX_PATH ("
                         << mod.folder.size() << " characters)";
        if (const auto error = StartFailure(mod.folder + L"\\distr\\eduke32.exe", mod.folder))
            GTEST_SKIP() << "this system starts no program in a folder of " << mod.folder.size()
                         << " characters (CreateProcessW error " << *error << ")";
    }
    Launcher launcher(mod);
    EXPECT_TRUE(IsWindowEnabled(launcher.Control(Command2)));
    ASSERT_TRUE(IsWindowEnabled(launcher.Control(Command1))) << "the check did not find the engine";

    launcher.Click(Command1);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\eduke32.exe");
    EXPECT_EQ(records[0].currentFolder, mod.folder);
    EXPECT_EQ(records[0].commandLine, kEnginePrefix + kInitialLine);
}

std::wstring DeeperThanMaxPath()
{
    std::wstring below;
    for (int level = 10; level < 26; ++level) // 16 levels of 20 characters
        below += (below.empty() ? L"" : L"\\") + std::wstring(L"nested-folder-lvl-") + std::to_wstring(level);
    return below;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, LauncherFolder,
    ::testing::Values(FolderCase{"BlanksAndNonAscii", L"Hry a m\u00f3dy\\Karvolt Ostravan\u00e9 \u6771\u4eac"},
                      FolderCase{"DeeperThanMaxPath", DeeperThanMaxPath()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlantedProgram, ALongerReadingOfTheUnquotedCommandLineIsNeverStarted)
{
    // "distr\eduke32.exe -game_dir Karvolt ..." unquoted: with the engine gone, a search
    // that tries ever longer readings of it (as CreateProcess without a program name does)
    // would start one of these.
    ModFolder mod(true, false);
    for (const wchar_t* planted :
         {L"eduke32.exe -game_dir", L"eduke32.exe -game_dir.exe", L"eduke32.exe -game_dir Karvolt.exe"})
        CopyFileOrFail(StubExe(), mod.folder + L"\\distr\\" + planted);
    Launcher launcher(mod);
    ASSERT_TRUE(DeleteFileW((mod.folder + L"\\distr\\eduke32.exe").c_str()));

    launcher.Click(Command1);

    ExpectFailureReportAndNothingStarted(launcher, mod, {L"Could not start", L"distr\\eduke32.exe"});
}

constexpr int kCopies = 20;
// For all copies together, from start to end: a broken copy fails the test at once instead
// of every copy waiting on its own past the test program's time-out.
constexpr auto kManyCopiesTime = 90s;

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Left(Clock::time_point deadline)
{
    return std::max(0ms, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// Started together, not one after the other; each waits for its own window.
std::vector<std::unique_ptr<Launcher>> StartTogether(const ModFolder& mod)
{
    std::vector<std::unique_ptr<Launcher>> launchers(kCopies);
    std::vector<std::thread> starters;
    for (auto& launcher : launchers)
        starters.emplace_back([&mod, slot = &launcher] { *slot = std::make_unique<Launcher>(mod); });
    for (auto& starter : starters)
        starter.join();
    return launchers;
}

// Every copy must end with success by the deadline. A copy that shows an error box instead
// fails the test and has its box closed, so that it ends too; whatever still runs at the
// deadline is killed with its Launcher. Gives how many ended with success.
size_t ExpectAllEndCleanly(const std::vector<std::unique_ptr<Launcher>>& launchers, Clock::time_point deadline)
{
    std::set<HWND> closed;
    const bool allEnded = WaitUntil(
        [&] {
            bool running = false;
            for (const auto& launcher : launchers) {
                if (!launcher->IsRunning())
                    continue;
                running = true;
                const HWND box = launcher->FindOwnWindow(L"#32770");
                if (box && closed.insert(box).second) {
                    ADD_FAILURE() << "copy " << launcher->ProcessId() << " shows an error box: " << StaticTexts(box);
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                }
            }
            return !running;
        },
        Left(deadline));
    EXPECT_TRUE(allEnded) << "copies still running after " << kManyCopiesTime.count() << " s";
    size_t succeeded = 0;
    for (const auto& launcher : launchers) {
        const auto exitCode = launcher->WaitForExit(0ms);
        EXPECT_EQ(exitCode, 0u) << "copy " << launcher->ProcessId();
        succeeded += exitCode == 0u;
    }
    return succeeded;
}

TEST(ManyCopies, TwentyAtOnceEachHaveTheirOwnWindowAndCloseCleanly)
{
    const auto deadline = Clock::now() + kManyCopiesTime;
    ModFolder mod(true, true);
    const auto launchers = StartTogether(mod);

    std::set<HWND> windows;
    std::set<DWORD> processes;
    for (const auto& launcher : launchers) {
        ASSERT_NE(launcher->Window(), nullptr);
        windows.insert(launcher->Window());
        processes.insert(launcher->ProcessId());
    }
    EXPECT_EQ(windows.size(), size_t{kCopies});
    EXPECT_EQ(processes.size(), size_t{kCopies});

    // Half as the close box and Alt+F4 close, half as other programs close a window.
    for (int i = 0; i < kCopies; ++i) {
        if (i % 2)
            PostMessageW(launchers[i]->Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            PostMessageW(launchers[i]->Window(), WM_CLOSE, 0, 0);
    }
    ExpectAllEndCleanly(launchers, deadline);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
}

TEST(ManyCopies, TwentyClickingPlayAtOnceStartTwentyEngines)
{
    const auto deadline = Clock::now() + kManyCopiesTime;
    ModFolder mod(true, true);
    const auto launchers = StartTogether(mod);

    for (const auto& launcher : launchers)
        launcher->Click(Command1);

    // Only a copy that ended with success has started an engine: wait for no others.
    const size_t started = ExpectAllEndCleanly(launchers, deadline);
    const auto records = WaitForStubRecords(mod.stubRecord, started, Left(deadline));
    EXPECT_EQ(records.size(), size_t{kCopies});
    for (const auto& record : records) {
        EXPECT_EQ(record.program, mod.folder + L"\\distr\\eduke32.exe");
        EXPECT_EQ(record.commandLine, kEnginePrefix + kInitialLine);
    }
}

} // namespace
} // namespace karvolt::e2e
