#pragma once

#include <iterator>

namespace karvolt {

// Control IDs start above IDOK and IDCANCEL on purpose: the dialog manager sends those for
// Enter and Escape, and neither key may click anything here.
enum ControlId : int {
    Picture1 = 100,
    Label1,
    Text1,
    Command1,
    Command2,
    Command3,
    Command4,
    Command5,
};

enum class ControlKind { Picture, Label, TextBox, PushButton };

// Positions and sizes in twips (1/1440 inch), scaled to pixels for the window's density.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlSpec {
    ControlId id;
    ControlKind kind;
    ControlId container; // 0 for the window itself
    const wchar_t* text;
    TwipsRect rect;
    bool enabled;
    int tabIndex;
};

inline constexpr wchar_t kInitialArgumentLine[] =
    L"-game_dir Karvolt -grp Karvolt.grp -cfg Karvolt\\kvt.cfg ";

// Client area of the window, in twips.
inline constexpr int kClientWidthTwips = 6015;
inline constexpr int kClientHeightTwips = 3225;

// In tab order: the controls are created in this order, which is the order Tab follows.
inline constexpr ControlSpec kControls[] = {
    {Picture1, ControlKind::Picture, ControlId{}, nullptr, {120, 120, 5775, 1575}, true, 0},
    {Text1, ControlKind::TextBox, ControlId{}, kInitialArgumentLine, {120, 1800, 5775, 315}, true, 1},
    {Command1, ControlKind::PushButton, ControlId{}, L"Play Ostravane", {1440, 2220, 3135, 915}, false, 2},
    {Command2, ControlKind::PushButton, ControlId{}, L"Mapster32", {4680, 2220, 1215, 375}, false, 3},
    {Command3, ControlKind::PushButton, ControlId{}, L"Exit", {4680, 2760, 1215, 375}, true, 4},
    {Label1, ControlKind::Label, Picture1, L"Launcher by [Tessik\u00AE]", {4080, 60, 1695, 315}, true, 5},
    {Command4, ControlKind::PushButton, ControlId{}, L"Donate", {120, 2760, 1215, 375}, true, 6},
    {Command5, ControlKind::PushButton, ControlId{}, L"My website", {120, 2220, 1215, 375}, true, 7},
};

constexpr bool InTabOrder()
{
    for (int i = 0; i < static_cast<int>(std::size(kControls)); ++i)
        if (kControls[i].tabIndex != i)
            return false;
    return true;
}
static_assert(InTabOrder(), "controls are created in tab order");

} // namespace karvolt
