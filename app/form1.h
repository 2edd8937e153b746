#pragma once

#include "control_table.h"
#include "gdi_object.h"
#include "launcher_form.h"
#include "platform_services.h"

#include <windows.h>

#include <string>

namespace karvolt {

// The launcher's one window. Created hidden, loaded (which runs the availability check),
// then shown; every click calls exactly one action.
class Form1 final : public LauncherForm {
public:
    Form1(HINSTANCE instance, Platform& platform);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls, hidden. Returns false when Windows refuses.
    bool Create();
    void Load();
    void Show();
    HWND Handle() const { return window_; }

    void EnableButton(ToolButton button) override;
    std::wstring ArgumentLine() const override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnCommand(int id, int notification);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnActivate(bool active);
    LRESULT OnGetDefId() const;

    void CreateControl(const ControlSpec& spec);
    void ApplyDpi(UINT dpi);
    SIZE WindowSize() const;
    HWND Control(ControlId id) const;

    HINSTANCE instance_;
    Platform& platform_;
    HWND window_ = nullptr;
    UINT dpi_ = 96;
    Font font_;
    Bitmap banner_;
    HWND focusBeforeDeactivation_ = nullptr;
};

} // namespace karvolt
