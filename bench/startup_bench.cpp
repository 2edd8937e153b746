// Start-up time, peak working set and exe size of "Karvolt Launcher.exe" beside
// bare_window.exe, the floor built the same way, and the time from a click on Play to the
// tool's start. The two programs take turns, round by round. Prints figures and whether
// each target is met; it fails only when it cannot measure.
//
//   startup_bench.exe [rounds]      30 rounds each by default, after 2 warm-up rounds each
#include "control_table.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUpRounds = 2;
constexpr double kStartupRatioTarget = 1.10;
constexpr double kWorkingSetMarginKiB = 1024;
constexpr double kExeSizeTarget = 256 * 1024;

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

long long Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(long long ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// "/work/x" (a build path) as Wine's Windows path "Z:\work\x".
std::wstring WindowsPath(const char* path)
{
    std::wstring wide(path, path + std::strlen(path));
    if (!wide.empty() && wide[0] == L'/')
        wide = L"Z:" + wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path)
{
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (file.Get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.Get(), &size))
        return {};
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        read = 0;
    bytes.resize(read);
    return bytes;
}

// The DLL names in a 32-bit exe's import table.
std::vector<std::string> ImportedDlls(const std::vector<unsigned char>& exe)
{
    std::vector<std::string> dlls;
    auto at = [&](size_t offset, size_t size) {
        return offset + size <= exe.size() ? exe.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return dlls;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS32)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return dlls;
    const WORD sectionCount = nt->FileHeader.NumberOfSections;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           sectionCount * sizeof(IMAGE_SECTION_HEADER)));
    if (!sections)
        return dlls;
    auto fileOffset = [&](DWORD rva) -> std::optional<size_t> {
        for (WORD i = 0; i < sectionCount; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return std::nullopt;
    };
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto offset = fileOffset(imports.VirtualAddress); offset; *offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(*offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        const auto name = entry && entry->Name ? fileOffset(entry->Name) : std::nullopt;
        if (!name || *name >= exe.size())
            break;
        const char* text = reinterpret_cast<const char*>(exe.data() + *name);
        dlls.emplace_back(text, strnlen(text, exe.size() - *name));
    }
    return dlls;
}

bool IsSystemDll(const std::string& name)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const DWORD attributes = GetFileAttributesW(
        (std::wstring(folder, length) + L"\\" + std::wstring(name.begin(), name.end())).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD processId)
{
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Clicks Play and takes the counter value the stub tool wrote at its entry. Nothing when the
// stub did not start, or its value does not lie between the click and its sighting.
std::optional<double> ClickPlay(HWND window, const std::wstring& record)
{
    DeleteFileW(record.c_str());
    const HWND play = GetDlgItem(window, karvolt::Command1);
    if (!IsWindowEnabled(play))
        return std::nullopt;
    const long long clicked = Ticks();
    PostMessageW(play, BM_CLICK, 0, 0);
    for (;;) {
        Sleep(1);
        const long long seen = Ticks();
        const std::vector<unsigned char> bytes = ReadFileBytes(record);
        if (bytes.size() == sizeof(long long)) {
            long long entered = 0;
            std::memcpy(&entered, bytes.data(), sizeof entered);
            if (entered < clicked || entered > seen)
                return std::nullopt;
            return Milliseconds(entered - clicked);
        }
        if (Milliseconds(seen - clicked) > 10000)
            return std::nullopt;
    }
}

struct Figures {
    double startupMs;
    double peakKiB;
    std::optional<double> playMs;
};

// One start of the program: until its window is shown and idle, then Play (which ends the
// launcher) or WM_CLOSE.
std::optional<Figures> RunOnce(const std::wstring& exe, const std::wstring& folder,
                               const std::wstring& record, bool clickPlay)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const long long before = Ticks();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
        std::fprintf(stderr, "cannot start %ls, error %lu\n", exe.c_str(), GetLastError());
        return std::nullopt;
    }
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);

    HWND window;
    while (!(window = VisibleWindowOf(started.dwProcessId)) && Milliseconds(Ticks() - before) < 20000)
        Sleep(1);
    std::optional<Figures> figures;
    if (window) {
        WaitForInputIdle(process.Get(), 5000);
        DWORD_PTR result;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
        figures = Figures{Milliseconds(Ticks() - before), 0, std::nullopt};

        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.Get(), &memory, sizeof memory))
            figures->peakKiB = static_cast<double>(memory.PeakWorkingSetSize) / 1024;

        if (clickPlay && !(figures->playMs = ClickPlay(window, record)))
            std::fprintf(stderr, "no tool start seen after Play in this round\n");
        if (!figures->playMs)
            PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "no window of %ls within 20 s\n", exe.c_str());
    }
    if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%ls did not end; terminated\n", exe.c_str());
        TerminateProcess(process.Get(), 99);
        WaitForSingleObject(process.Get(), 5000);
    }
    // Let the ended program (and the launcher's tool) leave before the next start.
    Sleep(200);
    return figures;
}

struct Series {
    std::vector<double> values;
    double Min() const { return *std::min_element(values.begin(), values.end()); }
    double Median() const
    {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
};

const char* Verdict(bool met) { return met ? "meets" : "misses"; }

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::wstring launcherBuilt = WindowsPath(KARVOLT_LAUNCHER_EXE);
    const std::wstring bareBuilt = WindowsPath(KARVOLT_BARE_WINDOW_EXE);

    // A mod folder as a player has it, with the floor beside the launcher.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp + (L"karvolt-bench-" + std::to_wstring(GetCurrentProcessId()));
    const std::wstring launcher = folder + L"\\Karvolt Launcher.exe";
    const std::wstring bare = folder + L"\\bare_window.exe";
    const std::wstring engine = folder + L"\\distr\\eduke32.exe";
    const std::wstring editor = folder + L"\\distr\\mapster32.exe";
    const std::wstring record = folder + L"\\stub-record.bin";
    const std::wstring stub = WindowsPath(KARVOLT_BENCH_STUB_EXE);
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\distr").c_str(), nullptr);
    if (!CopyFileW(launcherBuilt.c_str(), launcher.c_str(), FALSE) ||
        !CopyFileW(bareBuilt.c_str(), bare.c_str(), FALSE) ||
        !CopyFileW(stub.c_str(), engine.c_str(), FALSE) || !CopyFileW(stub.c_str(), editor.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot make the mod folder %ls, error %lu\n", folder.c_str(), GetLastError());
        return 1;
    }
    SetEnvironmentVariableW(L"KARVOLT_STUB_RECORD", record.c_str());

    std::printf("Launcher and floor (bare_window.exe) under Wine: %d rounds each, taking turns, "
                "after %d warm-up rounds each\n\n", rounds, kWarmUpRounds);
    Series startup[2], peak[2], play;
    int failed = 0;
    for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
        for (int program = 0; program < 2; ++program) {
            const auto figures = RunOnce(program == 0 ? launcher : bare, folder, record, program == 0);
            if (round < kWarmUpRounds)
                continue;
            if (!figures) {
                ++failed;
                continue;
            }
            startup[program].values.push_back(figures->startupMs);
            peak[program].values.push_back(figures->peakKiB);
            if (figures->playMs)
                play.values.push_back(*figures->playMs);
        }
    }
    for (const std::wstring& file : {launcher, bare, engine, editor, record})
        DeleteFileW(file.c_str());
    RemoveDirectoryW((folder + L"\\distr").c_str());
    RemoveDirectoryW(folder.c_str());
    if (startup[0].values.empty() || startup[1].values.empty() || play.values.empty()) {
        std::fprintf(stderr, "too few rounds measured (%d failed)\n", failed);
        return 1;
    }

    const std::vector<unsigned char> launcherBytes = ReadFileBytes(launcherBuilt);
    const double launcherSize = static_cast<double>(launcherBytes.size());
    const double bareSize = static_cast<double>(ReadFileBytes(bareBuilt).size());
    const double medianRatio = startup[0].Median() / startup[1].Median();
    const double minRatio = startup[0].Min() / startup[1].Min();
    const double peakDifference = peak[0].Median() - peak[1].Median();

    std::printf("%-38s %10s %10s   %s\n", "", "launcher", "floor", "launcher/floor");
    std::printf("%-38s %10.1f %10.1f   %.2f\n", "start-up to shown and idle, ms     min",
                startup[0].Min(), startup[1].Min(), minRatio);
    std::printf("%-38s %10.1f %10.1f   %.2f\n", "                                median",
                startup[0].Median(), startup[1].Median(), medianRatio);
    std::printf("%-38s %10.0f %10.0f   %+.0f KiB\n", "peak working set, KiB              min",
                peak[0].Min(), peak[1].Min(), peak[0].Min() - peak[1].Min());
    std::printf("%-38s %10.0f %10.0f   %+.0f KiB\n", "                                median",
                peak[0].Median(), peak[1].Median(), peakDifference);
    std::printf("%-38s %10.0f %10.0f   %.2f\n", "exe size, bytes", launcherSize, bareSize,
                launcherSize / bareSize);
    std::printf("%-38s %10.1f\n", "Play click to tool start, ms       min", play.Min());
    std::printf("%-38s %10.1f\n", "                                median", play.Median());
    std::printf("(%zu Play rounds, from just before the posted BM_CLICK to the counter value the stub\n"
                " tool wrote at its entry: Wine's QueryPerformanceCounter is one clock for all processes.)\n",
                play.values.size());
    if (failed)
        std::printf("%d round(s) failed and are left out.\n", failed);

    bool systemOnly = true;
    std::printf("\nKarvolt Launcher.exe imports:");
    const std::vector<std::string> dlls = ImportedDlls(launcherBytes);
    for (const std::string& dll : dlls) {
        const bool system = IsSystemDll(dll);
        systemOnly = systemOnly && system;
        std::printf(" %s%s", dll.c_str(), system ? "" : " (not in the system folder)");
    }
    systemOnly = systemOnly && !dlls.empty();

    char figure[4][32];
    std::snprintf(figure[0], sizeof figure[0], "%.2f", medianRatio);
    std::snprintf(figure[1], sizeof figure[1], "%+.0f KiB", peakDifference);
    std::snprintf(figure[2], sizeof figure[2], "%.0f bytes", launcherSize);
    std::snprintf(figure[3], sizeof figure[3], "%zu DLLs", dlls.size());
    std::printf("\n\nTargets\n");
    std::printf("  %-52s %-14s %s\n", "start-up, median/median, at most 1.10", figure[0],
                Verdict(medianRatio <= kStartupRatioTarget));
    std::printf("  %-52s %-14s %s\n", "peak working set (medians), at most floor + 1024 KiB", figure[1],
                Verdict(peakDifference <= kWorkingSetMarginKiB));
    std::printf("  %-52s %-14s %s\n", "exe size, at most 256 KiB (262144 bytes)", figure[2],
                Verdict(launcherSize <= kExeSizeTarget));
    std::printf("  %-52s %-14s %s\n", "imports only from Windows system DLLs", figure[3], Verdict(systemOnly));
    std::printf("\nSingle rounds under Wine on these machines can be several times slower than usual,\n"
                "so a start-up ratio difference below about 0.15 is noise. The working set is what Wine\n"
                "reports: the peak resident memory of the whole Wine process, Wine's own code included.\n");
    return 0;
}
