// Donate and My website through the real ShellExecuteA: the stub tool is registered in the
// Wine prefix as the browser for http and https and records the address it is handed.
#include "driver.h"

#include "control_table.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <tuple>

namespace karvolt::e2e {
namespace {

constexpr wchar_t kDonationUrl[] =
    L"https://www.paypal.com/cgi-bin/webscr?cmd=_donations&business=donate%40karvolt%2eexample"
    L"&lc=GB&item_name=Tessik%20Projects&currency_code=USD"
    L"&bn=PP%2dDonationsBF%3abtn_donateCC_LG%2egif%3aNonHosted";
constexpr wchar_t kWebsiteUrl[] = L"http://karvolt.example";
constexpr wchar_t kBrowserName[] = L"karvolt-stub-browser.exe";
// What %* in the browser's open command becomes for empty parameters.
constexpr wchar_t kWithoutParameters[] = L" ";

std::wstring CommandKey(const wchar_t* scheme)
{
    return std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
}

bool KeyExists(const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The open command of a scheme as it was, to be put back.
class SavedHandler {
public:
    explicit SavedHandler(const wchar_t* scheme) : command_(CommandKey(scheme))
    {
        // The topmost key of the path that is missing, to be removed again.
        for (size_t at = command_.find(L'\\', std::wcslen(L"Software\\Classes\\"));;
             at = command_.find(L'\\', at + 1)) {
            const std::wstring part = command_.substr(0, at);
            if (!KeyExists(part)) {
                createdRoot_ = part;
                return;
            }
            if (at == std::wstring::npos)
                break;
        }
        DWORD size = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, command_.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND, &type_,
                         nullptr, &size) == ERROR_SUCCESS) {
            value_.resize(size);
            hadValue_ = RegGetValueW(HKEY_LOCAL_MACHINE, command_.c_str(), nullptr, RRF_RT_ANY | RRF_NOEXPAND,
                                     &type_, value_.data(), &size) == ERROR_SUCCESS;
            value_.resize(size);
        }
    }

    void Restore() const
    {
        if (!createdRoot_.empty()) {
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, createdRoot_.c_str());
            return;
        }
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, command_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot restore the open command";
            return;
        }
        if (hadValue_)
            RegSetValueExW(key, nullptr, 0, type_, value_.data(), static_cast<DWORD>(value_.size()));
        else
            RegDeleteValueW(key, nullptr);
        RegCloseKey(key);
    }

private:
    std::wstring command_;
    std::wstring createdRoot_; // empty: the whole path was there
    bool hadValue_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> value_;
};

void SetOpenCommand(const wchar_t* scheme, const std::wstring& command)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CommandKey(scheme).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

bool BrowserRunning()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szExeFile, kBrowserName) == 0;
    CloseHandle(snapshot);
    return found;
}

struct TopWindow {
    HWND window;
    DWORD processId;
    std::wstring className;
    std::wstring title;
    auto operator<=>(const TopWindow& other) const { return window <=> other.window; }
    bool operator==(const TopWindow& other) const { return window == other.window; }
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM found)
{
    if (IsWindowVisible(window)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        reinterpret_cast<std::set<TopWindow>*>(found)->insert(
            {window, processId, ClassName(window), WindowText(window)});
    }
    return TRUE;
}

std::set<TopWindow> VisibleTopWindows()
{
    std::set<TopWindow> windows;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

class WebLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser_ = browserFolder_ / kBrowserName;
        CopyFileOrFail(StubExe(), browser_);
        for (const wchar_t* scheme : {L"http", L"https"}) {
            saved_.emplace_back(scheme);
            SetOpenCommand(scheme, L"\"" + browser_ + L"\" \"%1\" %*");
        }
    }

    void TearDown() override
    {
        for (const SavedHandler& handler : saved_)
            handler.Restore();
    }

    static void RemoveHandlers()
    {
        for (const wchar_t* scheme : {L"http", L"https"})
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, CommandKey(scheme).c_str());
    }

    TempFolder browserFolder_{L"browser"};
    std::wstring browser_;
    std::vector<SavedHandler> saved_;
};

// A click like the driver's, but sent: the answer comes once the launcher has handled it,
// ShellExecuteA included, so every browser it started is already running or done.
bool ClickAndWait(const Launcher& launcher, int id)
{
    const HWND button = launcher.Control(id);
    EXPECT_TRUE(IsWindowEnabled(button)) << "button " << id << " is disabled";
    DWORD_PTR result;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
}

std::vector<StubRecord> RecordsOnceBrowsersEnded(const ModFolder& mod)
{
    EXPECT_TRUE(WaitUntil([] { return !BrowserRunning(); })) << "the browser stub does not end";
    return ReadStubRecords(mod.stubRecord);
}

// The last argument of a command line, where it stands in double quotes: the address.
std::optional<std::wstring> LastQuotedArgument(std::wstring commandLine)
{
    // Blanks after it are what an empty %* leaves.
    commandLine.erase(commandLine.find_last_not_of(L' ') + 1);
    if (commandLine.size() < 2 || commandLine.back() != L'"')
        return std::nullopt;
    const size_t open = commandLine.rfind(L'"', commandLine.size() - 2);
    if (open == std::wstring::npos || open == 0 || commandLine[open - 1] != L' ')
        return std::nullopt;
    return commandLine.substr(open + 1, commandLine.size() - open - 2);
}

struct ControlState {
    std::wstring text;
    bool enabled;
    bool visible;
    bool operator==(const ControlState&) const = default;
};

void PrintTo(const ControlState& state, std::ostream* out)
{
    *out << testing::PrintToString(state.text) << (state.enabled ? " enabled" : " disabled")
         << (state.visible ? " visible" : " hidden");
}

std::vector<ControlState> ControlStates(const Launcher& launcher)
{
    std::vector<ControlState> states;
    for (const ControlSpec& spec : kControls) {
        const HWND control = launcher.Control(spec.id);
        states.push_back({WindowText(control), IsWindowEnabled(control) != 0, IsWindowVisible(control) != 0});
    }
    return states;
}

struct LinkCase {
    const char* name;
    int button;
    const wchar_t* url;
};

void PrintTo(const LinkCase& link, std::ostream* out) { *out << link.name; }

const LinkCase kLinks[] = {
    {"Donate", Command4, kDonationUrl},
    {"MyWebsite", Command5, kWebsiteUrl},
};

class WebLinkClick : public WebLinks, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(WebLinkClick, HandsExactlyTheStoredAddressToTheRegisteredBrowser)
{
    const LinkCase& c = GetParam();
    ModFolder mod(false, false);
    // Neither the launcher's nor the browser's folder: an empty directory runs the browser
    // where the launcher runs.
    TempFolder current(L"current");
    Launcher launcher({mod.launcher, current.Path(), mod.stubRecord});

    ASSERT_TRUE(ClickAndWait(launcher, c.button));

    const auto records = RecordsOnceBrowsersEnded(mod);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, browser_);
    EXPECT_EQ(LastQuotedArgument(records[0].commandLine), std::wstring(c.url));
    // Wine puts the address in place of %1 as it was handed over: nothing decoded,
    // re-encoded or cut anywhere in the line; and empty parameters add nothing for %*.
    EXPECT_EQ(records[0].commandLine, L"\"" + browser_ + L"\" \"" + c.url + L"\"" + kWithoutParameters);
    EXPECT_EQ(records[0].currentFolder, current.Path());
    ASSERT_TRUE(records[0].startupFlags && records[0].showWindow) << "the stub recorded no start-up information";
    EXPECT_TRUE(*records[0].startupFlags & STARTF_USESHOWWINDOW) << "start-up flags " << *records[0].startupFlags;
    EXPECT_EQ(*records[0].showWindow, DWORD{SW_SHOWNORMAL});
}

TEST_P(WebLinkClick, TwoClicksInARowOpenTheAddressTwice)
{
    const LinkCase& c = GetParam();
    ModFolder mod(false, false);
    Launcher launcher(mod);

    ASSERT_TRUE(ClickAndWait(launcher, c.button));
    ASSERT_TRUE(ClickAndWait(launcher, c.button));

    const auto records = RecordsOnceBrowsersEnded(mod);
    ASSERT_EQ(records.size(), 2u);
    for (const auto& record : records)
        EXPECT_EQ(LastQuotedArgument(record.commandLine), std::wstring(c.url));
}

INSTANTIATE_TEST_SUITE_P(Buttons, WebLinkClick, ::testing::ValuesIn(kLinks),
                         [](const auto& info) { return std::string(info.param.name); });

using KeepCase = std::tuple<LinkCase, bool /*tools present*/, bool /*line edited*/>;

class WebLinkKeepsTheLauncher : public WebLinks, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(WebLinkKeepsTheLauncher, RunningWithEveryControlAsItWas)
{
    const auto& [link, toolsPresent, lineEdited] = GetParam();
    ModFolder mod(toolsPresent, toolsPresent);
    Launcher launcher(mod);
    const std::wstring line =
        lineEdited ? L"-game_dir Karvolt -map \"e1m1 v2.map\" -name \u017dlu\u0165ou\u010dk\u00fd "
                   : std::wstring(kInitialArgumentLine);
    if (lineEdited)
        launcher.SetArgumentLine(line);
    const auto before = ControlStates(launcher);
    ASSERT_EQ(WindowText(launcher.Control(Text1)), line);
    ASSERT_EQ(IsWindowEnabled(launcher.Control(Command1)) != 0, toolsPresent);
    ASSERT_EQ(IsWindowEnabled(launcher.Control(Command2)) != 0, toolsPresent);

    ASSERT_TRUE(ClickAndWait(launcher, link.button));
    ASSERT_EQ(RecordsOnceBrowsersEnded(mod).size(), 1u);

    EXPECT_TRUE(launcher.IsRunning());
    EXPECT_EQ(ControlStates(launcher), before);
    EXPECT_EQ(WindowText(launcher.Control(Text1)), line);
    EXPECT_EQ(launcher.FindOwnWindow(L"#32770"), nullptr);
}

std::string KeepCaseName(const ::testing::TestParamInfo<KeepCase>& info)
{
    const auto& [link, toolsPresent, lineEdited] = info.param;
    return std::string(link.name) + (toolsPresent ? "BothTools" : "NoTools") +
           (lineEdited ? "EditedLine" : "InitialLine");
}

INSTANTIATE_TEST_SUITE_P(Buttons, WebLinkKeepsTheLauncher,
                         ::testing::Combine(::testing::ValuesIn(kLinks), ::testing::Bool(),
                                            ::testing::Bool()),
                         KeepCaseName);

// Closes, at the end, every window that was not there at the start, whoever shows it.
class NewWindowsClosed {
public:
    NewWindowsClosed() : before_(VisibleTopWindows()) {}
    NewWindowsClosed(const NewWindowsClosed&) = delete;
    NewWindowsClosed& operator=(const NewWindowsClosed&) = delete;
    ~NewWindowsClosed()
    {
        for (const TopWindow& window : New())
            PostMessageW(window.window, WM_CLOSE, 0, 0);
        WaitUntil([&] { return New().empty(); }, 5s);
    }

    std::vector<TopWindow> New() const
    {
        std::vector<TopWindow> added;
        for (const TopWindow& window : VisibleTopWindows())
            if (!before_.contains(window))
                added.push_back(window);
        return added;
    }

private:
    std::set<TopWindow> before_;
};

class WebLinkWithoutBrowser : public WebLinks, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(WebLinkWithoutBrowser, ShowsNothingAndLeavesTheLauncherAsItWas)
{
    // Wine 8's ShellExecuteA asks for no error UI, and without an open command for the
    // scheme it starts nothing else either (no winebrowser, no dialog from explorer).
    RemoveHandlers();
    ModFolder mod(true, false);
    Launcher launcher(mod);
    const auto before = ControlStates(launcher);
    NewWindowsClosed windows;

    ASSERT_TRUE(ClickAndWait(launcher, GetParam().button)) << "the click did not come back";

    // A window shown by some other process would take a moment to appear.
    EXPECT_FALSE(WaitUntil([&] { return !windows.New().empty(); }, 2s));
    for (const TopWindow& window : windows.New())
        ADD_FAILURE() << "new window " << testing::PrintToString(window.className) << " "
                      << testing::PrintToString(window.title) << " of process " << window.processId
                      << (window.processId == launcher.ProcessId() ? " (the launcher)" : "");
    EXPECT_EQ(launcher.FindOwnWindow(L"#32770"), nullptr);
    EXPECT_TRUE(launcher.IsRunning());
    EXPECT_EQ(ControlStates(launcher), before);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
}

INSTANTIATE_TEST_SUITE_P(Buttons, WebLinkWithoutBrowser, ::testing::ValuesIn(kLinks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WebLinkWithoutShell, AShellThatCannotBeLoadedIsReportedAndEndsTheLauncher)
{
    ModFolder mod(false, false);
    const LauncherWithoutDll withoutShell(mod, L"shell32");

    Launcher launcher({withoutShell.Exe(), mod.folder, mod.stubRecord});
    launcher.Click(Command5);

    HWND report = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (report = launcher.FindOwnWindow(L"#32770")) != nullptr; }))
        << "no failure report";
    if (report) {
        EXPECT_EQ(WindowText(report), L"Karvolt Launcher");
        PostMessageW(report, WM_COMMAND, IDOK, 0);
    }
    const auto exitCode = launcher.WaitForExit();
    EXPECT_TRUE(exitCode.has_value() && *exitCode != 0) << "the launcher must end with a failure code";
}

} // namespace
} // namespace karvolt::e2e
