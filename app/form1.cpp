#include "form1.h"

#include "accessible_name.h"
#include "check_tools.h"
#include "launch_tool.h"
#include "layout.h"
#include "picture_box.h"
#include "resource_ids.h"
#include "tool_table.h"
#include "web_links.h"

namespace karvolt {
namespace {

constexpr wchar_t kWindowClass[] = L"KarvoltLauncherForm1";
constexpr wchar_t kCaption[] = L"Karvolt Launcher";
// Fixed single border with a system menu, no minimise or maximise box.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Picture:
        return {kPictureBoxClass, WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        // Clipped at its box rather than wrapped onto a half-hidden second line.
        return {L"STATIC", SS_LEFTNOWORDWRAP, 0};
    case ControlKind::TextBox:
        return {L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    }
    return {};
}

HWND ButtonOf(HWND window, ToolButton button)
{
    return GetDlgItem(window, button == ToolButton::Command1 ? Command1 : Command2);
}

HICON LoadProgramIcon(HINSTANCE instance, int systemMetricX, int systemMetricY)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                         GetSystemMetrics(systemMetricX),
                                         GetSystemMetrics(systemMetricY), LR_SHARED));
}

// The menu no longer offers these, but other programs can still send them.
bool ChangesTheSize(WPARAM command)
{
    const auto kind = static_cast<UINT>(command & 0xFFF0);
    return kind == SC_SIZE || kind == SC_MAXIMIZE || kind == SC_MINIMIZE;
}

void RemoveInapplicableSystemCommands(HWND window)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
        DeleteMenu(menu, command, MF_BYCOMMAND);
}

} // namespace

Form1::Form1(HINSTANCE instance, Platform& platform) : instance_(instance), platform_(platform) {}

bool Form1::Create()
{
    RegisterPictureBoxClass(instance_);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadProgramIcon(instance_, SM_CXICON, SM_CYICON);
    windowClass.hIconSm = LoadProgramIcon(instance_, SM_CXSMICON, SM_CYSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    return CreateWindowExW(kWindowExStyle, kWindowClass, kCaption, kWindowStyle, 0, 0, 0, 0,
                           nullptr, nullptr, instance_, this) != nullptr;
}

void Form1::Load() { CheckTools(*this, platform_); }

void Form1::Show()
{
    const SIZE size = WindowSize();
    const POINT topLeft = CentredOnMonitor(window_, size);
    SetWindowPos(window_, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(Control(Picture1));
}

void Form1::EnableButton(ToolButton button) { EnableWindow(ButtonOf(window_, button), TRUE); }

std::wstring Form1::ArgumentLine() const
{
    const HWND text = Control(Text1);
    std::wstring line(static_cast<std::size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
    line.resize(static_cast<std::size_t>(GetWindowTextW(text, line.data(), static_cast<int>(line.size()))));
    return line;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case DM_GETDEFID:
        return OnGetDefId();
    case WM_SYSCOMMAND:
        if (ChangesTheSize(wParam))
            return 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

bool Form1::OnCreate()
{
    banner_ = Bitmap(static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    for (const ControlSpec& spec : kControls)
        CreateControl(spec);
    // Neither has a caption or a label before it to give a screen reader its name: the
    // banner is a picture of the mod's name and title.
    SetAccessibleName(Control(Picture1), {L"Karvolt: Ostravane", ROLE_SYSTEM_GRAPHIC});
    SetAccessibleName(Control(Text1), {L"Command-line options", 0});
    SetPictureBoxBitmap(Control(Picture1), banner_.Get());
    // The text box takes any length; the edit control's own default would cut it short.
    SendMessageW(Control(Text1), EM_SETLIMITTEXT, 0, 0);
    RemoveInapplicableSystemCommands(window_);
    ApplyDpi(DpiOfWindow(window_));
    return true;
}

void Form1::CreateControl(const ControlSpec& spec)
{
    const ControlClass cls = ClassOf(spec.kind);
    const HWND container = spec.container ? Control(spec.container) : window_;
    const DWORD style = WS_CHILD | WS_VISIBLE | cls.style | (spec.enabled ? 0 : WS_DISABLED);
    CreateWindowExW(cls.exStyle, cls.className, spec.text, style, 0, 0, 0, 0, container,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance_, nullptr);
}

HWND Form1::Control(ControlId id) const
{
    return id == Label1 ? GetDlgItem(GetDlgItem(window_, Picture1), Label1) : GetDlgItem(window_, id);
}

SIZE Form1::WindowSize() const
{
    return WindowSizeForClient({TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)},
                               kWindowStyle, kWindowExStyle, dpi_);
}

// Lays the window and every control out at the density, with a font to match.
void Form1::ApplyDpi(UINT dpi)
{
    dpi_ = dpi;
    Font font = DialogFontForDpi(dpi);
    for (const ControlSpec& spec : kControls) {
        const HWND control = Control(spec.id);
        const RECT r = TwipsToPixels(spec.rect, dpi);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }
    font_ = std::move(font); // the old font goes only once no control uses it
    const SIZE size = WindowSize();
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::OnCommand(int id, int notification)
{
    if (notification != BN_CLICKED)
        return;
    switch (id) {
    case Command1:
        LaunchTool(GameEngineTool, *this, platform_);
        break;
    case Command2:
        LaunchTool(MapEditorTool, *this, platform_);
        break;
    case Command3:
        platform_.EndProgram();
        break;
    case Command4:
        OpenSite(platform_, std::string(DonationUrl));
        break;
    case Command5:
        OpenSite(platform_, std::string(WebsiteUrl));
        break;
    }
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    ApplyDpi(dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Keeps the focused control across task switches, as dialogs do.
void Form1::OnActivate(bool active)
{
    if (!active)
        focusBeforeDeactivation_ = GetFocus();
    else if (focusBeforeDeactivation_ && IsChild(window_, focusBeforeDeactivation_))
        SetFocus(focusBeforeDeactivation_);
}

// Enter clicks the focused push button and nothing else: no button is the default one.
LRESULT Form1::OnGetDefId() const
{
    const HWND focus = GetFocus();
    const int id = focus && GetParent(focus) == window_ ? GetDlgCtrlID(focus) : 0;
    if (id >= Command1 && id <= Command5 && IsWindowEnabled(focus))
        return MAKELRESULT(id, DC_HASDEFID);
    return 0;
}

} // namespace karvolt
