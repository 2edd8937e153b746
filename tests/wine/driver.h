#pragma once

// A test driver for the real launcher exe: temporary mod folders, starting the launcher,
// finding and reading its window through the Win32 API, clicks and typed keys, and the
// records the stub tool leaves.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace karvolt::e2e {

using namespace std::chrono_literals;

// "/work/x" (a build path) as Wine's Windows path "Z:\work\x"; Windows paths unchanged.
std::wstring WindowsPath(const char* path);
std::wstring LauncherExe();
std::wstring StubExe();
std::wstring SourcePath(const wchar_t* relative); // a file of the source tree
std::wstring ArtifactsFolder(); // where tests leave screenshots for people to look at

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = 10s);

std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const void* data, size_t size);
void CopyFileOrFail(const std::wstring& from, const std::wstring& to);
void CreateFolders(const std::wstring& path); // all missing folders of the path
bool PathIsFile(const std::wstring& path);

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"karvolt");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// The mod's folder as a player has it: the launcher and, if asked, stub tools in distr.
struct ModFolder {
    explicit ModFolder(bool withEngine, bool withEditor, const std::wstring& below = L"");
    TempFolder temp;
    std::wstring folder;     // where the launcher lies
    std::wstring launcher;   // its full path
    std::wstring stubRecord; // the file the stub tools append to
};

struct StubRecord {
    std::wstring commandLine;
    std::wstring currentFolder;
    std::wstring program;
    // Written by the stub tool only: a planted DLL's record has the three fields above.
    std::optional<DWORD> processId;
    std::optional<DWORD> startupFlags; // GetStartupInfoW's dwFlags
    std::optional<DWORD> showWindow;   // and its wShowWindow
};
std::vector<StubRecord> ReadStubRecords(const std::wstring& recordFile);
// Waits until the stub tools have written at least `count` records, then gives all there
// are (fewer when they did not come in time).
std::vector<StubRecord> WaitForStubRecords(const std::wstring& recordFile, size_t count = 1,
                                           std::chrono::milliseconds timeout = 10s);

// Keeps every stub tool started under it (KARVOLT_STUB_HOLD) running after it wrote its
// record, until released here; a stub lets itself go after a minute regardless.
class StubHold {
public:
    StubHold();
    StubHold(const StubHold&) = delete;
    StubHold& operator=(const StubHold&) = delete;
    ~StubHold(); // releases
    const std::wstring& Name() const { return name_; }
    void Release() const;

private:
    std::wstring name_;
    HANDLE event_ = nullptr;
};

// A copy of the mod's launcher under a name of its own, for which Wine refuses to load
// one DLL (a per-program DllOverrides entry), so no other test is affected.
class LauncherWithoutDll {
public:
    LauncherWithoutDll(const ModFolder& mod, const wchar_t* dll);
    LauncherWithoutDll(const LauncherWithoutDll&) = delete;
    LauncherWithoutDll& operator=(const LauncherWithoutDll&) = delete;
    ~LauncherWithoutDll();
    const std::wstring& Exe() const { return exe_; }

private:
    std::wstring exe_;
    std::wstring overridesKey_;
};

// Sets the density each new process reads (Wine: HKCU\Control Panel\Desktop\LogPixels).
void SetLogPixels(DWORD dpi);

struct LaunchOptions {
    std::wstring exe;
    std::wstring workingFolder;
    std::wstring stubRecord;     // given to child processes as KARVOLT_STUB_RECORD
    bool waitForWindow = true;
    std::wstring stubHold = {};  // given to child processes as KARVOLT_STUB_HOLD
};

// One running launcher. Killed at the end of the test if it is still running.
class Launcher {
public:
    explicit Launcher(const LaunchOptions& options);
    explicit Launcher(const ModFolder& mod); // started in its own folder
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;
    ~Launcher();

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    HWND Control(int id) const;
    // A top-level window of the launcher's process with this class, visible, if any.
    HWND FindOwnWindow(const wchar_t* className) const;
    HWND Focus() const;

    // A mouse-free click: BM_CLICK on an enabled button (BM_CLICK clicks even a disabled
    // one, so the enabled state is asserted first).
    void Click(int id) const;
    // Keys as typed, into the launcher's foreground window.
    void Press(WORD virtualKey, bool shift = false) const;
    void TypeText(const std::wstring& text) const;
    void SetArgumentLine(const std::wstring& text) const;
    // As a user pastes: the whole box selected, then WM_PASTE from the clipboard. Unlike
    // WM_SETTEXT this is held to the edit box's typing limit.
    void PasteArgumentLine(const std::wstring& text) const;

    bool IsRunning() const;
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = 10s) const;

private:
    void Start(const LaunchOptions& options);
    void SettleInput() const;

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
SIZE ClientSize(HWND window);

} // namespace karvolt::e2e
