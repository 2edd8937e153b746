#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <thread>

namespace karvolt::e2e {
namespace {

constexpr wchar_t kFormClass[] = L"KarvoltLauncherForm1";

std::wstring Widen(const char* text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring BuildEnvironment(const LaunchOptions& options)
{
    // The current environment, with the stub's settings put in.
    const std::pair<const wchar_t*, const std::wstring*> settings[] = {
        {L"KARVOLT_STUB_RECORD=", &options.stubRecord},
        {L"KARVOLT_STUB_HOLD=", &options.stubHold},
    };
    std::wstring block;
    const wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        bool ours = false;
        for (const auto& [name, value] : settings)
            ours = ours || _wcsnicmp(entry, name, wcslen(name)) == 0;
        if (!ours) {
            block += entry;
            block += L'\0';
        }
    }
    FreeEnvironmentStringsW(const_cast<wchar_t*>(current));
    for (const auto& [name, value] : settings) {
        if (!value->empty()) {
            block += name + *value;
            block += L'\0';
        }
    }
    block += L'\0';
    return block;
}

// A stub record's marked field, "\x1fname=value".
void ReadMarkedField(const std::wstring& field, StubRecord& record)
{
    const size_t equals = field.find(L'=');
    if (equals == std::wstring::npos)
        return;
    const std::wstring name = field.substr(1, equals - 1);
    const DWORD value = wcstoul(field.c_str() + equals + 1, nullptr, 10);
    if (name == L"process")
        record.processId = value;
    else if (name == L"startupFlags")
        record.startupFlags = value;
    else if (name == L"showWindow")
        record.showWindow = value;
}

// Puts text on the clipboard; a window of ours owns it, as SetClipboardData needs one.
void PutOnClipboard(const std::wstring& text)
{
    const HWND owner = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    // Another process of the prefix may hold the clipboard for a moment.
    const bool opened = WaitUntil([&] { return OpenClipboard(owner) != 0; }, 5s);
    bool placed = false;
    if (opened) {
        EmptyClipboard();
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (memory) {
            memcpy(GlobalLock(memory), text.c_str(), bytes);
            GlobalUnlock(memory);
            placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            if (!placed)
                GlobalFree(memory);
        }
        CloseClipboard();
    }
    DestroyWindow(owner);
    ASSERT_TRUE(opened) << "the clipboard stays busy";
    ASSERT_TRUE(placed) << "cannot put text on the clipboard, error " << GetLastError();
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && ClassName(window) == search->className) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::wstring WindowsPath(const char* path)
{
    std::wstring wide = Widen(path);
    if (!wide.empty() && wide[0] == L'/')
        wide = L"Z:" + wide;
    for (auto& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

std::wstring LauncherExe() { return WindowsPath(KARVOLT_LAUNCHER_EXE); }
std::wstring StubExe() { return WindowsPath(KARVOLT_STUB_EXE); }
std::wstring SourcePath(const wchar_t* relative) { return WindowsPath(KARVOLT_SOURCE_DIR) + L"\\" + relative; }
std::wstring ArtifactsFolder()
{
    const std::wstring folder = WindowsPath(KARVOLT_ARTIFACTS_DIR);
    CreateFolders(folder);
    return folder;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const void* data, size_t size)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << path.size();
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
}

void CopyFileOrFail(const std::wstring& from, const std::wstring& to)
{
    ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << "copy failed, error " << GetLastError();
}

void CreateFolders(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); ; at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        if (at == std::wstring::npos)
            break;
    }
}

bool PathIsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TempFolder::TempFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    CreateFolders(path_);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

ModFolder::ModFolder(bool withEngine, bool withEditor, const std::wstring& below)
{
    folder = below.empty() ? temp.Path() : temp / below;
    CreateFolders(folder + L"\\distr");
    launcher = folder + L"\\Karvolt Launcher.exe";
    stubRecord = temp / L"stub-record.bin";
    CopyFileOrFail(LauncherExe(), launcher);
    if (withEngine)
        CopyFileOrFail(StubExe(), folder + L"\\distr\\eduke32.exe");
    if (withEditor)
        CopyFileOrFail(StubExe(), folder + L"\\distr\\mapster32.exe");
}

std::vector<StubRecord> ReadStubRecords(const std::wstring& recordFile)
{
    const auto bytes = ReadFileBytes(recordFile);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> fields;
    for (size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    std::vector<StubRecord> records;
    for (size_t i = 0; i < fields.size();) {
        if (fields[i].starts_with(L'\x1f')) {
            if (!records.empty())
                ReadMarkedField(fields[i], records.back());
            ++i;
        } else if (i + 2 < fields.size()) {
            StubRecord record;
            record.commandLine = fields[i];
            record.currentFolder = fields[i + 1];
            record.program = fields[i + 2];
            records.push_back(std::move(record));
            i += 3;
        } else {
            break; // a record still being written
        }
    }
    return records;
}

std::vector<StubRecord> WaitForStubRecords(const std::wstring& recordFile, size_t count,
                                           std::chrono::milliseconds timeout)
{
    WaitUntil([&] { return ReadStubRecords(recordFile).size() >= count; }, timeout);
    return ReadStubRecords(recordFile);
}

StubHold::StubHold()
{
    static int counter = 0;
    name_ = L"karvolt-stub-hold-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    event_ = CreateEventW(nullptr, TRUE, FALSE, name_.c_str());
    EXPECT_NE(event_, nullptr) << "cannot create the stub's hold event, error " << GetLastError();
}

StubHold::~StubHold()
{
    if (event_) {
        Release();
        CloseHandle(event_);
    }
}

void StubHold::Release() const { SetEvent(event_); }

LauncherWithoutDll::LauncherWithoutDll(const ModFolder& mod, const wchar_t* dll)
{
    const std::wstring exeName = std::wstring(L"launcher-without-") + dll + L".exe";
    exe_ = mod.folder + L"\\" + exeName;
    overridesKey_ = L"Software\\Wine\\AppDefaults\\" + exeName + L"\\DllOverrides";
    CopyFileOrFail(mod.launcher, exe_);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, overridesKey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot write Wine's DLL overrides";
        return;
    }
    RegSetValueExW(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(key);
}

LauncherWithoutDll::~LauncherWithoutDll() { RegDeleteKeyW(HKEY_CURRENT_USER, overridesKey_.c_str()); }

void SetLogPixels(DWORD dpi)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    RegCloseKey(key);
}

Launcher::Launcher(const LaunchOptions& options) { Start(options); }

Launcher::Launcher(const ModFolder& mod) { Start({mod.launcher, mod.folder, mod.stubRecord}); }

void Launcher::Start(const LaunchOptions& options)
{
    std::wstring commandLine = L"\"" + options.exe + L"\"";
    std::wstring environment = BuildEnvironment(options);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(options.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_UNICODE_ENVIRONMENT, environment.data(),
                               options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(),
                               &startup, &started))
        << "launcher did not start, error " << GetLastError();
    process_ = started.hProcess;
    processId_ = started.dwProcessId;
    threadId_ = started.dwThreadId;
    CloseHandle(started.hThread);
    if (options.waitForWindow) {
        ASSERT_TRUE(WaitUntil([&] { return (window_ = FindOwnWindow(kFormClass)) != nullptr; }, 20s))
            << "the launcher's window did not appear";
        // Let the launcher finish showing and go idle before the test looks at it.
        WaitForInputIdle(process_, 5000);
        DWORD_PTR result;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
    }
}

Launcher::~Launcher()
{
    if (process_) {
        if (IsRunning()) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

HWND Launcher::Control(int id) const
{
    if (id == Label1)
        return GetDlgItem(GetDlgItem(window_, Picture1), Label1);
    return GetDlgItem(window_, id);
}

HWND Launcher::FindOwnWindow(const wchar_t* className) const
{
    WindowSearch search{processId_, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Launcher::Focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId_, &info);
    return info.hwndFocus;
}

void Launcher::Click(int id) const
{
    const HWND button = Control(id);
    ASSERT_TRUE(IsWindowEnabled(button)) << "button " << id << " is disabled";
    PostMessageW(button, BM_CLICK, 0, 0);
}

void Launcher::SettleInput() const
{
    // Input goes through the X server and back; give it time, then wait for the queue.
    std::this_thread::sleep_for(150ms);
    DWORD_PTR result;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
}

void Launcher::Press(WORD virtualKey, bool shift) const
{
    SetForegroundWindow(window_);
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (shift)
        key(VK_SHIFT, false);
    key(virtualKey, false);
    key(virtualKey, true);
    if (shift)
        key(VK_SHIFT, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    SettleInput();
}

void Launcher::TypeText(const std::wstring& text) const
{
    SetForegroundWindow(window_);
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    SettleInput();
}

void Launcher::SetArgumentLine(const std::wstring& text) const
{
    // WM_SETTEXT stands for the user's editing: the launcher reads the box at the click.
    DWORD_PTR result;
    SendMessageTimeoutW(Control(Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_BLOCK, 5000, &result);
}

void Launcher::PasteArgumentLine(const std::wstring& text) const
{
    PutOnClipboard(text);
    DWORD_PTR result;
    const HWND box = Control(Text1);
    SendMessageTimeoutW(box, EM_SETSEL, 0, -1, SMTO_BLOCK, 5000, &result);
    ASSERT_TRUE(SendMessageTimeoutW(box, WM_PASTE, 0, 0, SMTO_BLOCK, 10000, &result)) << "the paste did not come back";
}

bool Launcher::IsRunning() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Launcher::WaitForExit(std::chrono::milliseconds timeout) const
{
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::wstring WindowText(HWND window)
{
    // WM_GETTEXT reads another process's controls, edit boxes included.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_BLOCK, 5000, &copied);
    text.resize(copied);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

RECT RectInParent(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND window)
{
    RECT rect;
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

} // namespace karvolt::e2e
