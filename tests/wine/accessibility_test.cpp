// The launcher as a screen reader meets it: from this separate process, through MSAA
// (the one accessibility interface that works across processes under Wine), each
// control's name and role, the names announced as Tab moves the focus, the cost of all
// this for a player without one, and the lifetime of the objects handed out.
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace karvolt::e2e {
namespace {

// ---- a time limit of the test program's own ----

// A crash under Wine starts winedbg, which waits for ever, and a hung launcher holds this
// program in SendMessage or a COM call: past the limit the program ends itself and says why.
class TimeLimit : public ::testing::EmptyTestEventListener {
public:
    static constexpr auto kLimit = 60s;

    TimeLimit()
        : watcher_([this] {
              std::unique_lock lock(mutex_);
              while (!stopping_) {
                  if (test_.empty()) {
                      changed_.wait(lock);
                  } else if (!changed_.wait_for(lock, kLimit, [&] { return stopping_ || test_ != running_; })) {
                      std::fprintf(stderr, "\n%s ran past the test program's limit of %d s: the launcher "
                                           "hangs or crashed into the debugger\n",
                                   test_.c_str(), static_cast<int>(kLimit.count()));
                      std::fflush(stderr);
                      TerminateProcess(GetCurrentProcess(), 3);
                  }
                  running_ = test_;
              }
          })
    {
    }
    ~TimeLimit() override
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        watcher_.join();
    }

    void OnTestStart(const ::testing::TestInfo& info) override
    {
        Set(std::string(info.test_suite_name()) + "." + info.name());
    }
    void OnTestEnd(const ::testing::TestInfo&) override { Set({}); }

private:
    void Set(std::string test)
    {
        {
            const std::lock_guard lock(mutex_);
            test_ = std::move(test);
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string test_;    // the test running now, empty between tests
    std::string running_; // the test the watcher times
    bool stopping_ = false;
    std::thread watcher_;
};

const bool kTimeLimited = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TimeLimit);
    return true;
}();

// ---- an MSAA client ----

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, Releaser>;

// oleacc.dll's client functions, as a screen reader calls them.
struct Oleacc {
    HMODULE module = LoadLibraryW(L"oleacc.dll");
    template <typename Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
    decltype(&AccessibleObjectFromWindow) fromWindow = Get<decltype(fromWindow)>("AccessibleObjectFromWindow");
    decltype(&AccessibleObjectFromEvent) fromEvent = Get<decltype(fromEvent)>("AccessibleObjectFromEvent");
    decltype(&WindowFromAccessibleObject) windowOf = Get<decltype(windowOf)>("WindowFromAccessibleObject");
};

const Oleacc& Msaa()
{
    static const Oleacc oleacc;
    return oleacc;
}

VARIANT ChildId(LONG id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}
const VARIANT kSelf = ChildId(CHILDID_SELF);

// A BSTR answer as text; a failure or no text at all is empty.
std::wstring TakeText(HRESULT result, BSTR text)
{
    std::wstring taken = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return taken;
}

std::wstring Name(IAccessible* object, const VARIANT& child = kSelf)
{
    BSTR name = nullptr;
    const HRESULT result = object->get_accName(child, &name);
    return TakeText(result, name);
}

std::wstring Value(IAccessible* object)
{
    BSTR value = nullptr;
    const HRESULT result = object->get_accValue(kSelf, &value);
    return TakeText(result, value);
}

LONG Role(IAccessible* object)
{
    VARIANT role;
    VariantInit(&role);
    const HRESULT result = object->get_accRole(kSelf, &role);
    const LONG answer = SUCCEEDED(result) && role.vt == VT_I4 ? role.lVal : -1;
    VariantClear(&role);
    return answer;
}

// What a screen reader gets for the window's client area, or a test failure.
Com<IAccessible> ClientObject(HWND window)
{
    IAccessible* object = nullptr;
    const HRESULT result = Msaa().fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&object));
    EXPECT_TRUE(SUCCEEDED(result) && object) << "AccessibleObjectFromWindow: 0x" << std::hex << result;
    return Com<IAccessible>(SUCCEEDED(result) ? object : nullptr);
}

// COM for this thread, as a screen reader has it; every object is released before it ends.
class ScreenReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(Msaa().fromWindow && Msaa().fromEvent && Msaa().windowOf) << "no oleacc.dll for the test";
    }
    void TearDown() override { CoUninitialize(); }
};

BOOL CALLBACK AddChild(HWND child, LPARAM children)
{
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildWindows(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool LoadedIn(DWORD processId, const wchar_t* module)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE) << "cannot list the launcher's modules";
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, module) == 0;
    CloseHandle(snapshot);
    return found;
}

constexpr LONG kRoleUnchecked = 0;

// Names every control must be announced by. Roles only where the launcher sets them, or
// where Wine's standard object gives the one Windows does: Wine calls a standard button or
// label a mere client.
struct ExpectedControl {
    int id;
    const wchar_t* name;
    LONG role;
};

constexpr ExpectedControl kExpected[] = {
    {Picture1, L"Karvolt: Ostravane", ROLE_SYSTEM_GRAPHIC},
    {Text1, L"Command-line options", ROLE_SYSTEM_TEXT},
    {Command1, L"Play Ostravane", kRoleUnchecked},
    {Command2, L"Mapster32", kRoleUnchecked},
    {Command3, L"Exit", kRoleUnchecked},
    {Command4, L"Donate", kRoleUnchecked},
    {Command5, L"My website", kRoleUnchecked},
    {Label1, L"Launcher by [Tessik\u00AE]", kRoleUnchecked},
};

const std::wstring kInitialLine = L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";

// ---- names and roles ----

using Controls = ScreenReaderTest;

TEST_F(Controls, EachChildWindowHasItsNameAndTheRolesTheLauncherSets)
{
    ModFolder mod(false, false); // disabled buttons are read as well
    Launcher launcher(mod);

    std::map<int, int> seen;
    for (HWND child : ChildWindows(launcher.Window())) {
        const int id = GetDlgCtrlID(child);
        const auto expected = std::find_if(std::begin(kExpected), std::end(kExpected),
                                           [&](const ExpectedControl& c) { return c.id == id; });
        if (expected == std::end(kExpected)) {
            ADD_FAILURE() << "a child window no one expects, id " << id;
            continue;
        }
        ++seen[id];
        const Com<IAccessible> object = ClientObject(child);
        if (!object)
            continue;
        const std::wstring name = Name(object.get());
        EXPECT_FALSE(name.empty()) << "control " << id << " has no name";
        EXPECT_EQ(name, expected->name) << "control " << id;
        if (expected->role != kRoleUnchecked) {
            EXPECT_EQ(Role(object.get()), expected->role) << "control " << id;
        }
    }
    for (const ExpectedControl& c : kExpected)
        EXPECT_EQ(seen[c.id], 1) << "control " << c.id << " was met " << seen[c.id] << " times";
}

TEST_F(Controls, TheArgumentLinesValueIsItsTextAsEditedAndItsNameStays)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const Com<IAccessible> text = ClientObject(launcher.Control(Text1));
    ASSERT_TRUE(text);

    EXPECT_EQ(Value(text.get()), kInitialLine);
    for (const std::wstring line : {L"-map e1l1.map", L""}) {
        launcher.SetArgumentLine(line);
        EXPECT_EQ(Value(text.get()), line);
        EXPECT_EQ(Name(text.get()), L"Command-line options");
    }
}

// ---- following the focus ----

struct FocusEvent {
    HWND window;
    LONG object;
    LONG child;
};
std::vector<FocusEvent> focusEvents; // filled on this thread while it pumps messages

void CALLBACK OnFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    focusEvents.push_back({window, object, child});
}

class WinEventHook {
public:
    WinEventHook()
        : hook_(SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocus, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS))
    {
    }
    WinEventHook(const WinEventHook&) = delete;
    WinEventHook& operator=(const WinEventHook&) = delete;
    ~WinEventHook()
    {
        if (hook_)
            UnhookWinEvent(hook_);
    }
    explicit operator bool() const { return hook_ != nullptr; }

private:
    HWINEVENTHOOK hook_;
};

// Out-of-context events arrive while this thread takes its messages.
void PumpMessagesFor(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < end);
}

// What a screen reader says for a focus event: the name of the object the event names.
std::wstring Announce(const FocusEvent& event)
{
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    const HRESULT result = Msaa().fromEvent(event.window, static_cast<DWORD>(event.object),
                                            static_cast<DWORD>(event.child), &object, &child);
    if (FAILED(result) || !object)
        return L"(AccessibleObjectFromEvent failed)";
    const Com<IAccessible> held(object);
    const std::wstring name = Name(object, child);
    VariantClear(&child);
    return name;
}

// The announcements for focus moves in the launcher since the last call, one for each event.
std::vector<std::wstring> NewAnnouncements(const Launcher& launcher, size_t& handled)
{
    std::vector<std::wstring> names;
    for (; handled < focusEvents.size(); ++handled) {
        const FocusEvent event = focusEvents[handled];
        DWORD processId = 0;
        GetWindowThreadProcessId(event.window, &processId);
        if (processId == launcher.ProcessId())
            names.push_back(Announce(event));
    }
    return names;
}

std::wstring Joined(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const auto& name : names)
        text += (text.empty() ? L"" : L" | ") + name;
    return text;
}

struct ToolsCase {
    const char* name;
    bool engine;
    bool editor;
};

void PrintTo(const ToolsCase& c, std::ostream* out) { *out << c.name; }

class FocusAnnouncements : public ScreenReaderTest, public ::testing::WithParamInterface<ToolsCase> {};

TEST_P(FocusAnnouncements, FollowTheTabOrderFromThePictureAndSkipDisabledButtons)
{
    const ToolsCase& c = GetParam();
    focusEvents.clear();
    const WinEventHook hook;
    ASSERT_TRUE(hook) << "SetWinEventHook failed";
    ModFolder mod(c.engine, c.editor);
    Launcher launcher(mod);

    std::vector<std::wstring> expected{L"Karvolt: Ostravane", L"Command-line options"};
    if (c.engine)
        expected.push_back(L"Play Ostravane");
    if (c.editor)
        expected.push_back(L"Mapster32");
    expected.insert(expected.end(), {L"Exit", L"Donate", L"My website", L"Karvolt: Ostravane"});

    size_t handled = 0;
    PumpMessagesFor(300ms);
    std::vector<std::wstring> heard = NewAnnouncements(launcher, handled);
    ASSERT_EQ(Joined(heard), expected.front()) << "announced at start";
    for (size_t tab = 1; tab < expected.size(); ++tab) {
        launcher.Press(VK_TAB);
        std::vector<std::wstring> now;
        WaitUntil([&] {
            PumpMessagesFor(20ms);
            const auto more = NewAnnouncements(launcher, handled);
            now.insert(now.end(), more.begin(), more.end());
            return !now.empty();
        }, 5s);
        EXPECT_EQ(Joined(now), expected[tab]) << "announced after Tab #" << tab;
        heard.insert(heard.end(), now.begin(), now.end());
    }
    EXPECT_EQ(Joined(heard), Joined(expected));
    std::printf("Announced: %ls\n", Joined(heard).c_str());
}

INSTANTIATE_TEST_SUITE_P(Tools, FocusAnnouncements,
                         ::testing::Values(ToolsCase{"Both", true, true}, ToolsCase{"Neither", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- what it costs a player without a screen reader ----

using StartUpCost = ScreenReaderTest;

TEST_F(StartUpCost, OleaccIsLoadedOnlyByTheFirstRequestForAClientObject)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    launcher.Press(VK_TAB); // focus moves and the window works without it
    EXPECT_FALSE(LoadedIn(launcher.ProcessId(), L"oleacc.dll")) << "loaded at start";

    // The window's frame is the system's to answer.
    IDispatch* frame = nullptr;
    ASSERT_TRUE(SUCCEEDED(Msaa().fromWindow(launcher.Control(Picture1), static_cast<DWORD>(OBJID_WINDOW),
                                            __uuidof(IDispatch), reinterpret_cast<void**>(&frame))));
    const Com<IDispatch> heldFrame(frame);
    EXPECT_FALSE(LoadedIn(launcher.ProcessId(), L"oleacc.dll")) << "loaded for another object than the client";

    const Com<IAccessible> picture = ClientObject(launcher.Control(Picture1));
    ASSERT_TRUE(picture);
    EXPECT_TRUE(LoadedIn(launcher.ProcessId(), L"oleacc.dll"));
    EXPECT_EQ(Name(picture.get()), L"Karvolt: Ostravane");
}

TEST_F(StartUpCost, WithoutOleaccTheControlsAnswerAsUnnamedAndTheWindowWorksAsBefore)
{
    ModFolder mod(false, false);
    const LauncherWithoutDll withoutOleacc(mod, L"oleacc");
    Launcher launcher({withoutOleacc.Exe(), mod.folder, mod.stubRecord});

    // The system's own objects, as if the launcher had never named anything.
    for (const auto& [id, role] : {std::pair{Picture1, ROLE_SYSTEM_CLIENT}, std::pair{Text1, ROLE_SYSTEM_TEXT}}) {
        const Com<IAccessible> object = ClientObject(launcher.Control(id));
        ASSERT_TRUE(object);
        EXPECT_EQ(Name(object.get()), L"") << "control " << id;
        EXPECT_EQ(Role(object.get()), role) << "control " << id;
    }
    const Com<IAccessible> exit = ClientObject(launcher.Control(Command3));
    ASSERT_TRUE(exit);
    EXPECT_EQ(Name(exit.get()), L"Exit");

    EXPECT_FALSE(LoadedIn(launcher.ProcessId(), L"oleacc.dll"));
    EXPECT_EQ(launcher.FindOwnWindow(L"#32770"), nullptr) << "a failure was reported";
    launcher.Press(VK_TAB);
    EXPECT_EQ(launcher.Focus(), launcher.Control(Text1));
    launcher.Click(Command3);
    EXPECT_EQ(launcher.WaitForExit(), 0u);
}

// ---- lifetime ----

using Lifetime = ScreenReaderTest;

TEST_F(Lifetime, ManyRequestsAndReleasesLeaveTheLauncherWorkingAndEndingCleanly)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    for (int round = 0; round < 100; ++round) {
        for (const ExpectedControl& c : {kExpected[0], kExpected[1]}) {
            const Com<IAccessible> object = ClientObject(launcher.Control(c.id));
            ASSERT_TRUE(object);
            ASSERT_EQ(Name(object.get()), c.name) << "round " << round;
            IDispatch* parent = nullptr;
            if (SUCCEEDED(object->get_accParent(&parent)) && parent)
                parent->Release();
        }
    }
    ASSERT_TRUE(launcher.IsRunning());
    launcher.Press(VK_TAB);
    EXPECT_EQ(launcher.Focus(), launcher.Control(Text1));
    PostMessageW(launcher.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(), 0u);
}

TEST_F(Lifetime, EachCopyAnswersForItsOwnWindowAndAnObjectHeldPastItsWindowFailsCleanly)
{
    ModFolder mod(true, true);
    Launcher first(mod);
    Launcher second(mod);
    ASSERT_NE(first.Window(), second.Window());

    const Com<IAccessible> firstPicture = ClientObject(first.Control(Picture1));
    const Com<IAccessible> secondPicture = ClientObject(second.Control(Picture1));
    const Com<IAccessible> secondText = ClientObject(second.Control(Text1));
    ASSERT_TRUE(firstPicture && secondPicture && secondText);
    const std::pair<IAccessible*, const Launcher*> owners[] = {{firstPicture.get(), &first},
                                                               {secondPicture.get(), &second}};
    for (const auto& [object, owner] : owners) {
        HWND window = nullptr;
        EXPECT_TRUE(SUCCEEDED(Msaa().windowOf(object, &window)));
        EXPECT_EQ(window, owner->Control(Picture1));
    }

    PostMessageW(first.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(), 0u) << "the first copy did not end cleanly while its object was held";

    BSTR name = nullptr;
    const HRESULT late = firstPicture->get_accName(kSelf, &name);
    SysFreeString(name);
    EXPECT_TRUE(FAILED(late)) << "an object answered after its window was gone: 0x" << std::hex << late;

    EXPECT_TRUE(second.IsRunning());
    EXPECT_EQ(Name(secondPicture.get()), L"Karvolt: Ostravane");
    EXPECT_EQ(Name(secondText.get()), L"Command-line options");
    EXPECT_EQ(Value(secondText.get()), kInitialLine);
    PostMessageW(second.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second.WaitForExit(), 0u);
}

} // namespace
} // namespace karvolt::e2e
