#pragma once

#include <string>

namespace karvolt {

// The two buttons that start a tool; the actions never touch any other control.
enum class ToolButton { Command1, Command2 };

// What the actions may do with the launcher's window.
class LauncherForm {
public:
    // A button that cannot be enabled stays as it is; the caller goes on regardless.
    virtual void EnableButton(ToolButton button) = 0;
    // The argument line exactly as it stands in the text box now.
    virtual std::wstring ArgumentLine() const = 0;

protected:
    ~LauncherForm() = default;
};

} // namespace karvolt
