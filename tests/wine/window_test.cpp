// The launcher's window as a player meets it: its frame, where each control sits at two
// densities, the banner's pixels, the keyboard, and every way of closing it.
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace karvolt::e2e {
namespace {

const std::wstring kInitialLine = L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";

template <typename Function>
Function User32(const char* name)
{
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

// Another program's window shows its real coordinates and pixels only to a per-monitor
// aware caller: an unaware one would see the 120 dpi window scaled down to 96 dpi. (Wine
// makes every process per-monitor aware anyway.)
const bool kPerMonitorAware = [] {
    const auto set = User32<BOOL(WINAPI*)(HANDLE)>("SetProcessDpiAwarenessContext");
    const auto current = User32<HANDLE(WINAPI*)()>("GetThreadDpiAwarenessContext");
    const auto awareness = User32<int(WINAPI*)(HANDLE)>("GetAwarenessFromDpiAwarenessContext");
    if (!set || !current || !awareness)
        return false;
    if (!set(reinterpret_cast<HANDLE>(-4))) // per monitor v2, else v1
        set(reinterpret_cast<HANDLE>(-3));
    return awareness(current()) == 2; // DPI_AWARENESS_PER_MONITOR_AWARE
}();

int Px(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

std::array<int, 4> LeftTopWidthHeight(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

int FocusedId(const Launcher& launcher)
{
    const HWND focus = launcher.Focus();
    return focus ? GetDlgCtrlID(focus) : 0;
}

bool FocusIs(const Launcher& launcher, int id)
{
    return WaitUntil([&] { return FocusedId(launcher) == id; }, 2s);
}

// The stops Tab visits from Picture1 on, for the tools present.
std::vector<int> TabStops(bool engine, bool editor)
{
    std::vector<int> stops{Picture1, Text1};
    if (engine)
        stops.push_back(Command1);
    if (editor)
        stops.push_back(Command2);
    stops.insert(stops.end(), {Command3, Command4, Command5});
    return stops;
}

void TabTo(const Launcher& launcher, int id, bool engine = true, bool editor = true)
{
    for (int stop : TabStops(engine, editor)) {
        if (stop == id)
            break;
        launcher.Press(VK_TAB);
    }
    ASSERT_TRUE(FocusIs(launcher, id)) << "focus on " << FocusedId(launcher) << ", not " << id;
}

void Settle(HWND window)
{
    std::this_thread::sleep_for(300ms);
    DWORD_PTR result;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
}

// A key with Alt held, typed.
void PressWithAlt(HWND window, WORD virtualKey)
{
    SetForegroundWindow(window);
    std::array<INPUT, 4> inputs{};
    const WORD keys[] = {VK_MENU, virtualKey, virtualKey, VK_MENU};
    for (size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle(window);
}

struct Ending {
    std::optional<DWORD> exitCode;
    bool showedDialog = false;
};

// Waits for the launcher to end, watching for any dialog box it shows meanwhile.
Ending WaitForEnding(const Launcher& launcher)
{
    Ending ending;
    WaitUntil([&] {
        ending.showedDialog |= launcher.FindOwnWindow(L"#32770") != nullptr;
        return !launcher.IsRunning();
    });
    ending.exitCode = launcher.WaitForExit(0ms);
    return ending;
}

// Records of tools started; a second start, if any, gets time to show up as well.
std::vector<StubRecord> StartedTools(const ModFolder& mod)
{
    WaitForStubRecords(mod.stubRecord, 1, 5s);
    std::this_thread::sleep_for(500ms);
    return ReadStubRecords(mod.stubRecord);
}

// ---- pixels ----

struct Rgb {
    BYTE r, g, b;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // top row first
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

bool NearlyWhite(Rgb c) { return c.r >= 230 && c.g >= 230 && c.b >= 230; }

Image CaptureScreen(const RECT& area)
{
    Image image{area.right - area.left, area.bottom - area.top, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), image.width, -image.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* bgrx = static_cast<const BYTE*>(bits);
    for (int i = 0; i < image.width * image.height; ++i)
        image.pixels.push_back({bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]});
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

Image ReadBmp(const std::wstring& path)
{
    const auto bytes = ReadFileBytes(path);
    Image image;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER header;
    if (bytes.size() < sizeof file + sizeof header)
        return image;
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&header, bytes.data() + sizeof file, sizeof header);
    if (header.biBitCount != 24 || header.biCompression != BI_RGB)
        return image;
    const int width = header.biWidth;
    const int height = std::abs(header.biHeight);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (bytes.size() < file.bfOffBits + stride * height)
        return image;
    image = {width, height, {}};
    for (int y = 0; y < height; ++y) {
        const int row = header.biHeight > 0 ? height - 1 - y : y;
        const BYTE* bgr = bytes.data() + file.bfOffBits + stride * row;
        for (int x = 0; x < width; ++x)
            image.pixels.push_back({bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]});
    }
    return image;
}

void SaveBmp(const std::wstring& path, const Image& image)
{
    const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t{3};
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{sizeof header, image.width, image.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * image.height);
    std::vector<BYTE> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &header, sizeof header);
    for (int y = 0; y < image.height; ++y) {
        BYTE* bgr = bytes.data() + file.bfOffBits + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.At(x, y);
            bgr[3 * x] = c.b;
            bgr[3 * x + 1] = c.g;
            bgr[3 * x + 2] = c.r;
        }
    }
    WriteFileBytes(path, bytes.data(), bytes.size());
}

void BringToTop(HWND window)
{
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Settle(window);
}

RECT ClientOnScreen(HWND window)
{
    RECT rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// ---- the frame ----

TEST(Frame, IsAFixedSizeWindowWithCaptionSystemMenuAndItsOwnClass)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND window = launcher.Window();

    EXPECT_EQ(WindowText(window), L"Karvolt Launcher");
    EXPECT_EQ(ClassName(window), L"KarvoltLauncherForm1");
    const DWORD style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
}

TEST(Frame, HasTheProgramIcon)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);

    // The window has its class's icons only: WM_GETICON answers 0 for those.
    const auto icon = GetClassLongPtrW(launcher.Window(), GCLP_HICON);
    if (!icon && GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine does not give another process's class icon; "
                        "RunningWindow.ShowsTheProgramIconInItsTitleBar looks at the title bar instead";
    EXPECT_NE(icon, 0u);
}

BOOL CALLBACK CollectId(HWND child, LPARAM ids)
{
    reinterpret_cast<std::vector<int>*>(ids)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

TEST(Frame, NoControlAnswersToTheIdsEnterAndEscapeSend)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);

    std::vector<int> ids;
    EnumChildWindows(launcher.Window(), CollectId, reinterpret_cast<LPARAM>(&ids));
    EXPECT_EQ(ids.size(), 8u);
    for (int id : ids) {
        EXPECT_NE(id, IDOK);
        EXPECT_NE(id, IDCANCEL);
    }
}

TEST(SystemMenu, HoldsOnlyMoveAndClose)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);

    const HMENU menu = GetSystemMenu(launcher.Window(), FALSE);
    const int count = menu ? GetMenuItemCount(menu) : -1;
    if (count < 0)
        GTEST_SKIP() << "this system does not let another process read a window's system menu; "
                        "SystemMenuLetters reads it through its keyboard instead";
    std::vector<UINT> commands;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        if (!(item.fType & MFT_SEPARATOR))
            commands.push_back(item.wID);
    }
    EXPECT_EQ(commands, (std::vector<UINT>{SC_MOVE, SC_CLOSE}));
}

// The system menu read through its keyboard: the letter of a command it holds runs that
// command; the letter of one it lacks leaves the menu open and the window as it was.
struct MenuLetterCase {
    const char* name;
    WORD letter;
    bool present;
};

class SystemMenuLetters : public ::testing::TestWithParam<MenuLetterCase> {};

TEST_P(SystemMenuLetters, RunOnlyMoveAndClose)
{
    const MenuLetterCase& c = GetParam();
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND window = launcher.Window();
    RECT before;
    GetWindowRect(window, &before);

    PressWithAlt(window, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return launcher.FindOwnWindow(L"#32768") != nullptr; }, 5s))
        << "Alt+Space opened no system menu";
    launcher.Press(c.letter);

    if (c.letter == 'C') {
        const Ending ending = WaitForEnding(launcher);
        EXPECT_EQ(ending.exitCode, 0u);
        EXPECT_FALSE(ending.showedDialog);
        return;
    }
    const bool menuOpen = launcher.FindOwnWindow(L"#32768") != nullptr;
    EXPECT_EQ(menuOpen, !c.present) << "the menu's reaction to its letter";
    // Leave a move loop or the menu.
    launcher.Press(VK_ESCAPE);
    launcher.Press(VK_ESCAPE);
    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(LeftTopWidthHeight(after), LeftTopWidthHeight(before));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(launcher.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Letters, SystemMenuLetters,
                         ::testing::Values(MenuLetterCase{"Move", 'M', true},
                                           MenuLetterCase{"Close", 'C', true},
                                           MenuLetterCase{"Restore", 'R', false},
                                           MenuLetterCase{"Size", 'S', false},
                                           MenuLetterCase{"Minimize", 'N', false},
                                           MenuLetterCase{"Maximize", 'X', false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Things a user does to resize a window; none may change this one.
struct ResizeCase {
    const char* name;
    void (*attempt)(const Launcher&);
};

class FixedSize : public ::testing::TestWithParam<ResizeCase> {};

void DoubleClickTitleBar(const Launcher& launcher)
{
    RECT frame;
    GetWindowRect(launcher.Window(), &frame);
    const int x = (frame.left + frame.right) / 2;
    const int y = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    SetForegroundWindow(launcher.Window());
    std::array<INPUT, 5> inputs{};
    for (auto& input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].mi = {MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1),
                    MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1), 0,
                    MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
    const DWORD clicks[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (size_t i = 0; i < 4; ++i)
        inputs[i + 1].mi.dwFlags = clicks[i];
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle(launcher.Window());
}

void PostMaximize(const Launcher& launcher)
{
    PostMessageW(launcher.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Settle(launcher.Window());
}

void PostMinimize(const Launcher& launcher)
{
    PostMessageW(launcher.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Settle(launcher.Window());
}

void SizeWithKeyboard(const Launcher& launcher)
{
    PostMessageW(launcher.Window(), WM_SYSCOMMAND, SC_SIZE, 0);
    Settle(launcher.Window());
    for (WORD key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})
        launcher.Press(key);
}

TEST_P(FixedSize, KeepsItsSize)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND window = launcher.Window();
    RECT before;
    GetWindowRect(window, &before);
    const SIZE clientBefore = ClientSize(window);

    GetParam().attempt(launcher);

    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(ClientSize(window).cx, clientBefore.cx);
    EXPECT_EQ(ClientSize(window).cy, clientBefore.cy);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(launcher.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Attempts, FixedSize,
                         ::testing::Values(ResizeCase{"TitleBarDoubleClick", DoubleClickTitleBar},
                                           ResizeCase{"SysCommandMaximize", PostMaximize},
                                           ResizeCase{"SysCommandMinimize", PostMinimize},
                                           ResizeCase{"SysCommandSize", SizeWithKeyboard}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- layout and pixels at two densities ----

struct ControlCase {
    const char* name;
    int id;
    const wchar_t* className;
    std::wstring text;
    TwipsRect twips; // in the parent's client area: Picture1's for Label1, the window's else
};

const ControlCase kControlCases[] = {
    {"Picture1", Picture1, L"KarvoltPictureBox", L"", {120, 120, 5775, 1575}},
    {"Text1", Text1, L"Edit", kInitialLine, {120, 1800, 5775, 315}},
    {"Command1", Command1, L"Button", L"Play Ostravane", {1440, 2220, 3135, 915}},
    {"Command2", Command2, L"Button", L"Mapster32", {4680, 2220, 1215, 375}},
    {"Command3", Command3, L"Button", L"Exit", {4680, 2760, 1215, 375}},
    {"Command4", Command4, L"Button", L"Donate", {120, 2760, 1215, 375}},
    {"Command5", Command5, L"Button", L"My website", {120, 2220, 1215, 375}},
    {"Label1", Label1, L"Static", L"Launcher by [Tessik\u00AE]", {4080, 60, 1695, 315}},
};

constexpr TwipsRect kLabelTwips{4080, 60, 1695, 315};

// Each test starts the launcher at the density and sets 96 back whatever happens.
class AtDensity : public ::testing::TestWithParam<UINT> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kPerMonitorAware) << "the test must read physical pixels";
        SetLogPixels(GetParam());
    }
    void TearDown() override { SetLogPixels(96); }
    int Px(int twips) const { return e2e::Px(twips, GetParam()); }
};

TEST_P(AtDensity, ClientAreaIsTheTwipsSizeCentredOnTheWorkArea)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND window = launcher.Window();

    const SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, Px(6015));
    EXPECT_EQ(client.cy, Px(3225));
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_NEAR(frame.left - work.left, work.right - frame.right, 1);
    EXPECT_NEAR(frame.top - work.top, work.bottom - frame.bottom, 1);
}

TEST_P(AtDensity, EveryControlHasItsClassTextPlaceAndState)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);

    for (const ControlCase& c : kControlCases) {
        SCOPED_TRACE(c.name);
        const HWND control = launcher.Control(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control), c.id == Label1 ? launcher.Control(Picture1) : launcher.Window());
        EXPECT_EQ(ClassName(control), c.className);
        EXPECT_EQ(WindowText(control), c.text);
        EXPECT_EQ(LeftTopWidthHeight(RectInParent(control)),
                  (std::array{Px(c.twips.left), Px(c.twips.top), Px(c.twips.width), Px(c.twips.height)}));
        EXPECT_TRUE(IsWindowEnabled(control));
    }
    const HWND picture = launcher.Control(Picture1);
    EXPECT_TRUE(GetWindowLongW(picture, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(ClientSize(picture).cx, Px(5775) - 4);
    EXPECT_EQ(ClientSize(picture).cy, Px(1575) - 4);
}

TEST_P(AtDensity, BannerIsDrawnAtItsOwnSizeWithTheLabelWhiteOverIt)
{
    const Image banner = ReadBmp(SourcePath(L"resources\\banner.bmp"));
    ASSERT_EQ(banner.width, 381);
    ASSERT_EQ(banner.height, 101);
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND picture = launcher.Control(Picture1);
    BringToTop(launcher.Window());

    const RECT area = ClientOnScreen(picture);
    const RECT label{Px(kLabelTwips.left), Px(kLabelTwips.top), Px(kLabelTwips.left) + Px(kLabelTwips.width),
                     Px(kLabelTwips.top) + Px(kLabelTwips.height)};
    auto inLabel = [&](int x, int y) { return x >= label.left && x < label.right && y >= label.top && y < label.bottom; };
    auto inBanner = [&](int x, int y) { return x < banner.width && y < banner.height; };
    Rgb fill{GetRValue(GetSysColor(COLOR_MENUTEXT)), GetGValue(GetSysColor(COLOR_MENUTEXT)),
             GetBValue(GetSysColor(COLOR_MENUTEXT))};
    // Pixels outside the label that differ from the banner or, beyond it, from the fill.
    auto strayPixels = [&](const Image& shot) {
        int stray = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (!inLabel(x, y) && !Near(shot.At(x, y), inBanner(x, y) ? banner.At(x, y) : fill, 2))
                    ++stray;
        return stray;
    };

    Image shot;
    WaitUntil([&] { return strayPixels(shot = CaptureScreen(area)) == 0; }, 5s);
    ASSERT_EQ(shot.width, Px(5775) - 4);
    ASSERT_EQ(shot.height, Px(1575) - 4);
    EXPECT_EQ(strayPixels(shot), 0) << "the banner is not drawn unscaled from the top-left corner";

    int white = 0, whiteInBanner = 0, bannerShowing = 0, bannerArea = 0;
    for (int y = label.top; y < std::min<int>(label.bottom, shot.height); ++y) {
        for (int x = label.left; x < std::min<int>(label.right, shot.width); ++x) {
            white += NearlyWhite(shot.At(x, y));
            if (inBanner(x, y)) {
                ++bannerArea;
                whiteInBanner += NearlyWhite(banner.At(x, y));
                bannerShowing += Near(shot.At(x, y), banner.At(x, y), 2);
            }
        }
    }
    EXPECT_GE(white - whiteInBanner, 30) << "the label's text is not drawn white";
    EXPECT_GE(bannerShowing * 2, bannerArea) << "the label hides the banner behind it";
}

TEST_P(AtDensity, ScreenshotForPeople)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    BringToTop(launcher.Window());
    RECT frame;
    GetWindowRect(launcher.Window(), &frame);

    const Image shot = CaptureScreen(frame);
    const std::wstring path = ArtifactsFolder() + L"\\window-" + std::to_wstring(GetParam()) + L"dpi.bmp";
    SaveBmp(path, shot);
    EXPECT_TRUE(PathIsFile(path));
}

INSTANTIATE_TEST_SUITE_P(Densities, AtDensity, ::testing::Values(96u, 120u),
                         [](const auto& info) { return "Dpi" + std::to_string(info.param); });

// ---- the keyboard ----

struct PresenceCase {
    const char* name;
    bool engine;
    bool editor;
};

class TabOrder : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(TabOrder, VisitsEachEnabledStopFromThePictureOnAndShiftTabGoesBack)
{
    const PresenceCase& c = GetParam();
    ModFolder mod(c.engine, c.editor);
    Launcher launcher(mod);
    EXPECT_EQ(IsWindowEnabled(launcher.Control(Command1)) != 0, c.engine);
    EXPECT_EQ(IsWindowEnabled(launcher.Control(Command2)) != 0, c.editor);
    for (int id : {Text1, Command3, Command4, Command5})
        EXPECT_TRUE(IsWindowEnabled(launcher.Control(id)));
    ASSERT_TRUE(FocusIs(launcher, Picture1)) << "the picture does not have the focus at start";

    const std::vector<int> stops = TabStops(c.engine, c.editor);
    const size_t n = stops.size();
    for (size_t i = 1; i <= n; ++i) {
        launcher.Press(VK_TAB);
        EXPECT_TRUE(FocusIs(launcher, stops[i % n])) << "Tab #" << i << " reached " << FocusedId(launcher);
    }
    for (size_t i = 1; i <= n; ++i) {
        launcher.Press(VK_TAB, true);
        EXPECT_TRUE(FocusIs(launcher, stops[n - i])) << "Shift+Tab #" << i << " reached " << FocusedId(launcher);
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, TabOrder,
                         ::testing::Values(PresenceCase{"Both", true, true},
                                           PresenceCase{"EngineOnly", true, false},
                                           PresenceCase{"EditorOnly", false, true},
                                           PresenceCase{"Neither", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, EnterInTheTextBoxStartsNothingAndEndsNothing)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    TabTo(launcher, Text1);

    launcher.Press(VK_RETURN);

    Settle(launcher.Window());
    EXPECT_TRUE(launcher.IsRunning());
    EXPECT_EQ(WindowText(launcher.Control(Text1)), kInitialLine);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
}

TEST(Keys, EscapeDoesNothingOnAnyStop)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);

    for (int stop : TabStops(true, true)) {
        ASSERT_TRUE(FocusIs(launcher, stop));
        launcher.Press(VK_ESCAPE);
        Settle(launcher.Window());
        ASSERT_TRUE(launcher.IsRunning()) << "Escape on " << stop << " ended the launcher";
        EXPECT_EQ(FocusedId(launcher), stop);
        launcher.Press(VK_TAB);
    }
    EXPECT_EQ(WindowText(launcher.Control(Text1)), kInitialLine);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
    EXPECT_EQ(launcher.FindOwnWindow(L"#32770"), nullptr);
}

struct ButtonKeyCase {
    const char* name;
    bool engine;
    bool editor;
    int button;
    WORD key;
    const wchar_t* tool; // the program started, none for Exit
};

class ButtonKeys : public ::testing::TestWithParam<ButtonKeyCase> {};

TEST_P(ButtonKeys, PressTheFocusedButtonOnce)
{
    const ButtonKeyCase& c = GetParam();
    ModFolder mod(c.engine, c.editor);
    Launcher launcher(mod);
    TabTo(launcher, c.button, c.engine, c.editor);

    launcher.Press(c.key);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    if (!c.tool) {
        EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
        return;
    }
    const auto records = StartedTools(mod);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\" + c.tool);
    EXPECT_EQ(records[0].commandLine, L"distr\\" + std::wstring(c.tool) + L" " + kInitialLine);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ButtonKeys,
    ::testing::Values(ButtonKeyCase{"EnterOnPlay", true, true, Command1, VK_RETURN, L"eduke32.exe"},
                      ButtonKeyCase{"SpaceOnPlay", true, true, Command1, VK_SPACE, L"eduke32.exe"},
                      ButtonKeyCase{"EnterOnMapster", true, true, Command2, VK_RETURN, L"mapster32.exe"},
                      ButtonKeyCase{"SpaceOnMapster", true, true, Command2, VK_SPACE, L"mapster32.exe"},
                      ButtonKeyCase{"EnterOnMapsterWithoutEngine", false, true, Command2, VK_RETURN,
                                    L"mapster32.exe"},
                      ButtonKeyCase{"SpaceOnExit", true, true, Command3, VK_SPACE, nullptr},
                      ButtonKeyCase{"EnterOnExit", true, true, Command3, VK_RETURN, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- closing ----

struct CloseCase {
    const char* name;
    void (*close)(const Launcher&);
};

class Closing : public ::testing::TestWithParam<CloseCase> {};

TEST_P(Closing, EndsWithExitCodeZeroAndNoQuestionAfterTheLineWasEdited)
{
    ModFolder mod(true, true);
    Launcher launcher(mod);
    TabTo(launcher, Text1);
    launcher.Press(VK_END);
    launcher.TypeText(L"-edited");
    ASSERT_EQ(WindowText(launcher.Control(Text1)), kInitialLine + L"-edited");

    GetParam().close(launcher);

    const Ending ending = WaitForEnding(launcher);
    EXPECT_EQ(ending.exitCode, 0u);
    EXPECT_FALSE(ending.showedDialog);
    EXPECT_TRUE(ReadStubRecords(mod.stubRecord).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Closing,
    ::testing::Values(
        CloseCase{"ExitButton", [](const Launcher& l) { l.Click(Command3); }},
        CloseCase{"SysCommandClose", [](const Launcher& l) { PostMessageW(l.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        CloseCase{"AltF4", [](const Launcher& l) { PressWithAlt(l.Window(), VK_F4); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- clicks and the argument line ----

struct DoubleClickCase {
    const char* name;
    int button;
    std::vector<UINT> messages; // posted back to back to the button
};

class DoubleClick : public ::testing::TestWithParam<DoubleClickCase> {};

TEST_P(DoubleClick, StartsTheToolOnce)
{
    const DoubleClickCase& c = GetParam();
    ModFolder mod(true, true);
    Launcher launcher(mod);
    const HWND button = launcher.Control(c.button);

    for (UINT message : c.messages) {
        const bool down = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
        PostMessageW(button, message, down ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    }

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    EXPECT_EQ(StartedTools(mod).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, DoubleClick,
    ::testing::Values(
        DoubleClickCase{"PlayTwoButtonClicks", Command1, {BM_CLICK, BM_CLICK}},
        DoubleClickCase{"MapsterTwoButtonClicks", Command2, {BM_CLICK, BM_CLICK}},
        DoubleClickCase{"PlayMouseDoubleClick", Command1, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        DoubleClickCase{"MapsterMouseDoubleClick", Command2,
                        {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArgumentLine, TypedTextReachesTheGameAndANewStartShowsTheInitialLineAgain)
{
    ModFolder mod(true, true);
    {
        Launcher launcher(mod);
        TabTo(launcher, Text1);
        launcher.Press(VK_END);
        launcher.TypeText(L"-map e1l1.map");
        ASSERT_EQ(WindowText(launcher.Control(Text1)), kInitialLine + L"-map e1l1.map");

        launcher.Click(Command1);

        EXPECT_EQ(launcher.WaitForExit(), 0u);
        const auto records = StartedTools(mod);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].commandLine, L"distr\\eduke32.exe " + kInitialLine + L"-map e1l1.map");
    }
    Launcher again(mod);
    EXPECT_EQ(WindowText(again.Control(Text1)), kInitialLine);
}

TEST(SecondCopy, OpensItsOwnWindowAndOutlivesTheFirst)
{
    ModFolder mod(true, true);
    Launcher first(mod);
    Launcher second(mod);
    EXPECT_NE(second.Window(), first.Window());
    EXPECT_NE(second.ProcessId(), first.ProcessId());
    second.SetArgumentLine(L"-second");
    first.SetArgumentLine(L"-first");

    first.Click(Command3);

    EXPECT_EQ(first.WaitForExit(), 0u);
    Settle(second.Window());
    EXPECT_TRUE(second.IsRunning());
    EXPECT_TRUE(IsWindowVisible(second.Window()));
    EXPECT_EQ(WindowText(second.Control(Text1)), L"-second");
    EXPECT_TRUE(IsWindowEnabled(second.Control(Command1)));
}

} // namespace
} // namespace karvolt::e2e
