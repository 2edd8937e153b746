// DLL planting: copies of a DLL of ours under the names of system DLLs, beside the
// launcher and in its current folder, must never be loaded. (The exe's own protections in
// its PE headers are checked by exe_file_test.)
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

namespace karvolt::e2e {
namespace {

std::wstring PlantedDll() { return WindowsPath(KARVOLT_PLANTED_DLL); }
std::wstring DllSearchProbe() { return WindowsPath(KARVOLT_DLL_SEARCH_PROBE); }

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return towlower(c); });
    return text;
}

// DLLs the launcher loads at start, through COM and the common controls, on demand at the
// Donate click (shell32 and what it pulls in, on Windows too), and its static imports.
const wchar_t* const kPlantedNames[] = {
    L"shell32.dll", L"shlwapi.dll", L"shcore.dll",  L"uxtheme.dll", L"comctl32.dll",
    L"version.dll", L"dwmapi.dll",  L"scrrun.dll",  L"msimg32.dll", L"imm32.dll",
    L"ole32.dll",   L"oleaut32.dll", L"msvcrt.dll", L"user32.dll",  L"gdi32.dll",
    L"advapi32.dll", L"combase.dll", L"rpcrt4.dll", L"propsys.dll", L"cryptbase.dll",
};

void Plant(const std::wstring& folder)
{
    for (const wchar_t* name : kPlantedNames)
        CopyFileOrFail(PlantedDll(), folder + L"\\" + name);
}

// Records of planted copies only: a browser stand-in another test left registered may
// write stub records to the same file.
std::wstring PlantedLoads(const std::wstring& recordFile)
{
    std::wstring loads;
    for (const auto& record : ReadStubRecords(recordFile))
        if (Lower(record.program).ends_with(L".dll"))
            loads += record.program + L" loaded by " + record.commandLine + L"\n";
    return loads;
}

TEST(DllPlanting, TheControlProgramWithoutARestrictedSearchLoadsAPlantedCopy)
{
    // Shows a planted copy is loaded where nothing stops it, so the test below can fail.
    // Wine prefers its built-in DLLs for most names; shcore.dll is one it takes from the
    // program's folder, and shell32 pulls it in at the launcher's Donate click.
    TempFolder folder(L"planted-control");
    const std::wstring probe = folder / L"probe.exe";
    CopyFileOrFail(DllSearchProbe(), probe);
    Plant(folder.Path());
    const std::wstring record = folder / L"record.bin";

    Launcher control({probe, folder.Path(), record, false});

    EXPECT_EQ(control.WaitForExit(20s), 0u) << "the control could not load shell32";
    EXPECT_FALSE(PlantedLoads(record).empty())
        << "no planted copy was loaded: the planting test proves nothing here";
}

TEST(DllPlanting, NoCopyBesideTheLauncherOrInItsCurrentFolderIsLoaded)
{
    ModFolder mod(true, true);
    TempFolder current(L"planted-current");
    Plant(mod.folder);
    Plant(current.Path());

    Launcher launcher({mod.launcher, current.Path(), mod.stubRecord});
    ASSERT_TRUE(IsWindowEnabled(launcher.Control(Command1))) << "the check did not find the tools";
    // The shell, loaded on demand, and whatever it loads in turn.
    launcher.Click(Command4);
    launcher.Click(Command5);
    DWORD_PTR result;
    SendMessageTimeoutW(launcher.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
    std::this_thread::sleep_for(1s); // the shell may load more on a thread of its own
    PostMessageW(launcher.Window(), WM_CLOSE, 0, 0);

    EXPECT_EQ(launcher.WaitForExit(20s), 0u);
    const std::wstring loads = PlantedLoads(mod.stubRecord);
    EXPECT_TRUE(loads.empty()) << loads;
}

} // namespace
} // namespace karvolt::e2e
