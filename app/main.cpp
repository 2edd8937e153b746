#include "com_ptr.h"
#include "form1.h"
#include "message_loop.h"
#include "system_library.h"
#include "win32_platform.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    karvolt::RestrictDllSearchToSystemFolder();
    const karvolt::ComApartment com;
    karvolt::Win32Platform platform;
    karvolt::Form1 form(instance, platform);
    if (!form.Create())
        return 1;
    form.Load();
    form.Show();
    return karvolt::RunMessageLoop(form.Handle());
}
