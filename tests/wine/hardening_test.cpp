// The built exe's own protections, read from its PE headers, and DLL planting: copies of
// a DLL of ours under the names of system DLLs, beside the launcher and in its current
// folder, must never be loaded.
#include "driver.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

namespace karvolt::e2e {
namespace {

std::wstring PlantedDll() { return WindowsPath(KARVOLT_PLANTED_DLL); }
std::wstring DllSearchProbe() { return WindowsPath(KARVOLT_DLL_SEARCH_PROBE); }

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return towlower(c); });
    return text;
}

// The parts of a PE image the checks need, read from the file's bytes with every offset
// checked against its size.
class PeImage {
public:
    explicit PeImage(std::vector<unsigned char> bytes) : bytes_(std::move(bytes))
    {
        IMAGE_DOS_HEADER dos{};
        if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || !Read(dos.e_lfanew, nt_) ||
            nt_.Signature != IMAGE_NT_SIGNATURE)
            return;
        const size_t sectionTable = static_cast<size_t>(dos.e_lfanew) +
                                    offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                    nt_.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            if (!Read(sectionTable + i * sizeof section, section))
                return;
            sections_.push_back(section);
        }
        valid_ = true;
    }

    bool Valid() const { return valid_; }
    const IMAGE_NT_HEADERS32& Headers() const { return nt_; }

    IMAGE_DATA_DIRECTORY Directory(int index) const
    {
        return index < static_cast<int>(nt_.OptionalHeader.NumberOfRvaAndSizes)
                   ? nt_.OptionalHeader.DataDirectory[index]
                   : IMAGE_DATA_DIRECTORY{};
    }

    // Where an RVA lies in the file: in the raw data of the section that maps it.
    std::optional<size_t> FileOffset(DWORD rva) const
    {
        for (const auto& s : sections_) {
            const DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size &&
                rva - s.VirtualAddress < s.SizeOfRawData)
                return size_t{s.PointerToRawData} + (rva - s.VirtualAddress);
        }
        return std::nullopt;
    }

    template <typename T>
    bool ReadAtRva(DWORD rva, T& out) const
    {
        const auto offset = FileOffset(rva);
        return offset && Read(*offset, out);
    }

    std::optional<std::string> StringAtRva(DWORD rva) const
    {
        const auto offset = FileOffset(rva);
        if (!offset)
            return std::nullopt;
        const auto* begin = bytes_.data() + *offset;
        const auto* end = std::find(begin, bytes_.data() + bytes_.size(), '\0');
        if (end == bytes_.data() + bytes_.size())
            return std::nullopt;
        return std::string(begin, end);
    }

    // Every DLL the loader binds at start or on a delay-load thunk's first call.
    std::vector<std::string> ImportedDlls() const
    {
        std::vector<std::string> names;
        const DWORD imports = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
        IMAGE_IMPORT_DESCRIPTOR descriptor{};
        for (DWORD at = imports; imports && ReadAtRva(at, descriptor) && descriptor.Name;
             at += sizeof descriptor)
            names.push_back(StringAtRva(descriptor.Name).value_or("<unreadable name>"));
        const DWORD delayed = Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress;
        IMAGE_DELAYLOAD_DESCRIPTOR delay{};
        for (DWORD at = delayed; delayed && ReadAtRva(at, delay) && delay.DllNameRVA;
             at += sizeof delay) {
            // Old-style descriptors hold virtual addresses instead of RVAs.
            const DWORD name = delay.Attributes.RvaBased
                                   ? delay.DllNameRVA
                                   : delay.DllNameRVA - nt_.OptionalHeader.ImageBase;
            names.push_back(StringAtRva(name).value_or("<unreadable name>"));
        }
        return names;
    }

private:
    template <typename T>
    bool Read(size_t offset, T& out) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof out)
            return false;
        std::memcpy(&out, bytes_.data() + offset, sizeof out);
        return true;
    }

    std::vector<unsigned char> bytes_;
    IMAGE_NT_HEADERS32 nt_{};
    std::vector<IMAGE_SECTION_HEADER> sections_;
    bool valid_ = false;
};

class ExeHeaders : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Image().Valid()) << "not a PE image"; }
    static const PeImage& Image()
    {
        static const PeImage image(ReadFileBytes(LauncherExe()));
        return image;
    }
};

TEST_F(ExeHeaders, IsA32BitWindowsGuiProgram)
{
    const auto& headers = Image().Headers();
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(headers.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_FALSE(headers.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(ExeHeaders, AsksForAslrDepAndTerminalServerAwareness)
{
    const WORD flags = Image().Headers().OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
}

TEST_F(ExeHeaders, KeepsItsRelocationsSoAslrCanMoveIt)
{
    // DYNAMIC_BASE alone is a promise: without relocations the loader cannot keep it.
    EXPECT_FALSE(Image().Headers().FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    const IMAGE_DATA_DIRECTORY relocations = Image().Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    ASSERT_GT(relocations.Size, sizeof(IMAGE_BASE_RELOCATION));
    IMAGE_BASE_RELOCATION firstBlock{};
    ASSERT_TRUE(Image().ReadAtRva(relocations.VirtualAddress, firstBlock))
        << "the relocation directory lies outside the file's sections";
    EXPECT_GT(firstBlock.SizeOfBlock, sizeof firstBlock) << "the first relocation block is empty";
}

TEST_F(ExeHeaders, ImportsExactlyTheExpectedSystemDllsAndEachIsInTheSystemFolder)
{
    // Exact on purpose: a new import, even of a system DLL, has to be looked at and added.
    const std::set<std::wstring> expected = {L"kernel32.dll", L"user32.dll",   L"gdi32.dll",
                                             L"ole32.dll",    L"oleaut32.dll", L"msvcrt.dll"};
    std::set<std::wstring> imported;
    for (const std::string& name : Image().ImportedDlls())
        imported.insert(Lower(std::wstring(name.begin(), name.end())));
    EXPECT_EQ(imported, expected);

    const std::wstring system = SystemFolder();
    ASSERT_FALSE(system.empty());
    for (const auto& dll : imported)
        EXPECT_TRUE(PathIsFile(system + L"\\" + dll)) << dll << " is not in " << system;
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
