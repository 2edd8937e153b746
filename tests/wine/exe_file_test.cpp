// A built exe checked as a file, without running it: version record, icon, banner,
// manifest, PE headers, relocations and imports. The exe and its architecture come from
// the command line, so a 64-bit test program checks the x86 exe as well as its own:
//
//   exe_file_test.exe EXE x86|x64 [gtest flags]
#include "driver.h"
#include "ico_format.h"
#include "pe_image.h"

#include "resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <span>

namespace karvolt::e2e {
namespace {

// Exit code that CTest reads as "skipped" (SKIP_RETURN_CODE).
constexpr int kSkipped = 77;

std::wstring g_exe;
bool g_x64 = false;

const std::wstring& ExeUnderTest() { return g_exe; }

// The exe opened as a resource file only: none of its code is mapped to run.
class ExeResources {
public:
    explicit ExeResources(const std::wstring& path)
        : module_(LoadLibraryExW(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ExeResources(const ExeResources&) = delete;
    ExeResources& operator=(const ExeResources&) = delete;
    ~ExeResources()
    {
        if (module_)
            FreeLibrary(module_);
    }

    bool Loaded() const { return module_ != nullptr; }

    std::optional<std::vector<unsigned char>> Bytes(const wchar_t* type, const wchar_t* name) const
    {
        const HRSRC found = FindResourceW(module_, name, type);
        if (!found)
            return std::nullopt;
        const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
        if (!data)
            return std::nullopt;
        return std::vector<unsigned char>(data, data + SizeofResource(module_, found));
    }

    // Names as Windows writes them: "#1" for an integer ID, the text otherwise.
    std::vector<std::wstring> Names(const wchar_t* type) const
    {
        std::vector<std::wstring> names;
        EnumResourceNamesW(module_, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

private:
    static BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names)
    {
        reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
            IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
        return TRUE;
    }

    HMODULE module_;
};

template <typename T>
T Read(std::span<const unsigned char> bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// ---- Version record ----

struct VersionString {
    const wchar_t* name;
    const wchar_t* value;
};

// In the order they must stand in the string table.
constexpr VersionString kVersionStrings[] = {
    {L"CompanyName", L"---"},
    {L"FileDescription", L"Karvolt"},
    {L"ProductName", L"Karvolt Launcher"},
    {L"FileVersion", L"1.00"},
    {L"ProductVersion", L"1.00"},
    {L"InternalName", L"Karvolt Launcher"},
    {L"OriginalFilename", L"Karvolt Launcher.exe"},
};

constexpr const wchar_t* kAbsentVersionStrings[] = {
    L"Comments", L"LegalCopyright", L"LegalTrademarks", L"PrivateBuild", L"SpecialBuild",
};

constexpr WORD kTextValue = 1;

std::wstring AsText(const std::vector<unsigned char>& bytes)
{
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

// One node of a version record as laid out in the file: wLength, wValueLength, wType,
// the key, then the value and the children, each on a 32-bit boundary.
struct VersionNode {
    size_t length = 0;
    WORD type = 0;
    std::wstring key;
    std::vector<unsigned char> value;
    std::vector<VersionNode> children;

    std::vector<std::wstring> ChildKeys() const
    {
        std::vector<std::wstring> keys;
        for (const auto& child : children)
            keys.push_back(child.key);
        return keys;
    }
};

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

std::optional<VersionNode> ParseVersionNode(std::span<const unsigned char> record, size_t at)
{
    if (at + 6 > record.size())
        return std::nullopt;
    VersionNode node;
    node.length = Read<WORD>(record, at);
    const size_t valueLength = Read<WORD>(record, at + 2);
    node.type = Read<WORD>(record, at + 4);
    const size_t end = at + node.length;
    if (node.length < 6 || end > record.size())
        return std::nullopt;

    size_t p = at + 6;
    for (; p + 2 <= end && Read<WORD>(record, p) != 0; p += 2)
        node.key += static_cast<wchar_t>(Read<WORD>(record, p));
    if (p + 2 > end)
        return std::nullopt; // the key runs past the node
    p = Align4(p + 2);

    // Text values count characters, binary ones bytes.
    const size_t valueBytes = node.type == kTextValue ? valueLength * 2 : valueLength;
    if (valueBytes > 0) {
        if (p + valueBytes > end)
            return std::nullopt;
        node.value.assign(record.begin() + p, record.begin() + p + valueBytes);
        p = Align4(p + valueBytes);
    }
    while (p < end) {
        auto child = ParseVersionNode(record.first(end), p);
        if (!child)
            return std::nullopt;
        p = Align4(p + child->length);
        node.children.push_back(std::move(*child));
    }
    return node;
}

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring exe = ExeUnderTest();
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
        ASSERT_GT(size, 0u) << "no version record, error " << GetLastError();
        info_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info_.data()));
    }

    // The bytes VerQueryValueW finds for a path, if it finds any.
    std::optional<std::vector<unsigned char>> Query(const std::wstring& path, size_t unit = 1)
    {
        void* data = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(info_.data(), path.c_str(), &data, &length))
            return std::nullopt;
        const auto* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + length * unit);
    }

    std::vector<unsigned char> info_;
};

TEST_F(VersionRecord, FixedPartSaysVersion1000OfAReleasedWindowsApplication)
{
    const auto fixed = Query(L"\\");
    ASSERT_TRUE(fixed);
    ASSERT_EQ(fixed->size(), sizeof(VS_FIXEDFILEINFO));
    const auto info = Read<VS_FIXEDFILEINFO>(*fixed, 0);
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0u);
    EXPECT_EQ(info.dwFileFlags & info.dwFileFlagsMask, 0u) << "no debug, pre-release or patched flag";
    EXPECT_EQ(info.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionRecord, OneTranslationUsEnglishInUnicode)
{
    const auto translation = Query(L"\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    ASSERT_EQ(translation->size(), 4u) << "exactly one language and code page pair";
    EXPECT_EQ(Read<WORD>(*translation, 0), 0x0409);
    EXPECT_EQ(Read<WORD>(*translation, 2), 1200);
}

TEST_F(VersionRecord, NamedStringsReadAsStoredAndNoOthersAreFound)
{
    for (const auto& [name, value] : kVersionStrings) {
        const auto text = Query(std::wstring(L"\\StringFileInfo\\040904B0\\") + name, sizeof(wchar_t));
        ASSERT_TRUE(text) << "missing " << testing::PrintToString(std::wstring(name));
        EXPECT_EQ(AsText(*text), std::wstring(value) + L'\0') << testing::PrintToString(std::wstring(name));
    }
    for (const wchar_t* name : kAbsentVersionStrings)
        EXPECT_FALSE(Query(std::wstring(L"\\StringFileInfo\\040904B0\\") + name))
            << testing::PrintToString(std::wstring(name));
}

TEST(VersionRecordLayout, HoldsOneTableOfExactlyTheSevenStringsInOrderAndOneTranslation)
{
    // Read from the resource itself: the version API answers only questions by name.
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    ASSERT_EQ(exe.Names(RT_VERSION), std::vector<std::wstring>{L"#1"});
    const auto record = exe.Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_TRUE(record);
    const auto root = ParseVersionNode(*record, 0);
    ASSERT_TRUE(root) << "the record's lengths do not add up";
    EXPECT_EQ(root->length, record->size());
    EXPECT_EQ(root->key, L"VS_VERSION_INFO");
    EXPECT_EQ(root->value.size(), sizeof(VS_FIXEDFILEINFO));
    ASSERT_EQ(root->ChildKeys(), (std::vector<std::wstring>{L"StringFileInfo", L"VarFileInfo"}));

    const VersionNode& stringFileInfo = root->children[0];
    ASSERT_EQ(stringFileInfo.ChildKeys(), std::vector<std::wstring>{L"040904B0"});
    const VersionNode& table = stringFileInfo.children[0];
    ASSERT_EQ(table.children.size(), std::size(kVersionStrings));
    for (size_t i = 0; i < table.children.size(); ++i) {
        const VersionNode& entry = table.children[i];
        EXPECT_EQ(entry.key, kVersionStrings[i].name) << "entry " << i;
        EXPECT_EQ(entry.type, kTextValue) << "entry " << i;
        EXPECT_EQ(AsText(entry.value), std::wstring(kVersionStrings[i].value) + L'\0') << "entry " << i;
        EXPECT_TRUE(entry.children.empty()) << "entry " << i;
    }

    const VersionNode& varFileInfo = root->children[1];
    ASSERT_EQ(varFileInfo.ChildKeys(), std::vector<std::wstring>{L"Translation"});
    const std::vector<unsigned char> usEnglishUnicode{0x09, 0x04, 0xB0, 0x04};
    EXPECT_EQ(varFileInfo.children[0].value, usEnglishUnicode);
}

// ---- Icon ----


struct IconImage {
    GroupIconEntry entry;
    std::vector<unsigned char> bytes; // the RT_ICON resource
};

std::vector<IconImage> ReadIconGroup(const ExeResources& exe, const wchar_t* name)
{
    std::vector<IconImage> images;
    const auto group = exe.Bytes(RT_GROUP_ICON, name);
    if (!group || group->size() < sizeof(GroupIconHeader)) {
        ADD_FAILURE() << "no icon group";
        return images;
    }
    const auto header = Read<GroupIconHeader>(*group, 0);
    EXPECT_EQ(header.reserved, 0);
    EXPECT_EQ(header.type, 1);
    if (group->size() != sizeof header + header.count * sizeof(GroupIconEntry)) {
        ADD_FAILURE() << "group size " << group->size() << " does not fit " << header.count << " entries";
        return images;
    }
    for (size_t i = 0; i < header.count; ++i) {
        const auto entry = Read<GroupIconEntry>(*group, sizeof header + i * sizeof(GroupIconEntry));
        auto image = exe.Bytes(RT_ICON, MAKEINTRESOURCEW(entry.id));
        if (!image) {
            ADD_FAILURE() << "no icon image " << entry.id;
            return {};
        }
        images.push_back({entry, std::move(*image)});
    }
    return images;
}

// The .ico file the group came from: the same entries, the images laid out one after the
// other in entry order.
std::vector<unsigned char> IcoFileOf(const std::vector<IconImage>& images)
{
    const GroupIconHeader header{0, 1, static_cast<WORD>(images.size())};
    std::vector<unsigned char> file(sizeof header + images.size() * sizeof(IcoFileEntry));
    std::memcpy(file.data(), &header, sizeof header);
    for (size_t i = 0; i < images.size(); ++i) {
        const GroupIconEntry& g = images[i].entry;
        const IcoFileEntry entry{g.width,  g.height,   g.colorCount, g.reserved,
                                 g.planes, g.bitCount, g.bytesInRes, static_cast<DWORD>(file.size())};
        std::memcpy(file.data() + sizeof header + i * sizeof entry, &entry, sizeof entry);
        file.insert(file.end(), images[i].bytes.begin(), images[i].bytes.end());
    }
    return file;
}

TEST(ProgramIcon, IsTheOnlyIconGroupAndHasId1)
{
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded()) << "error " << GetLastError();
    EXPECT_EQ(exe.Names(RT_GROUP_ICON), std::vector<std::wstring>{L"#1"});
}

TEST(ProgramIcon, RebuildsTheIcoFileByteForByte)
{
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    const auto images = ReadIconGroup(exe, MAKEINTRESOURCEW(IDI_PROGRAM));
    ASSERT_FALSE(images.empty());
    const auto expected = ReadFileBytes(SourcePath(L"resources\\karvolt.ico"));
    ASSERT_FALSE(expected.empty());
    const auto rebuilt = IcoFileOf(images);
    ASSERT_EQ(rebuilt.size(), expected.size());
    EXPECT_TRUE(rebuilt == expected)
        << "first difference at byte "
        << (std::mismatch(rebuilt.begin(), rebuilt.end(), expected.begin()).first - rebuilt.begin());
}

TEST(ProgramIcon, HoldsNineImagesLargeToSmallIn16ColoursThen256ThenTrueColour)
{
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    const auto images = ReadIconGroup(exe, MAKEINTRESOURCEW(IDI_PROGRAM));
    struct Shape {
        int size;
        int bitCount;
        bool operator==(const Shape&) const = default;
    };
    const std::vector<Shape> expected{{48, 4}, {32, 4},  {16, 4},  {48, 8}, {32, 8},
                                      {16, 8}, {48, 32}, {32, 24}, {16, 32}};
    std::vector<Shape> inGroup, inImages;
    for (const auto& image : images) {
        EXPECT_EQ(image.entry.width, image.entry.height);
        inGroup.push_back({image.entry.width, image.entry.bitCount});
        // What a reader that looks at the image itself (LoadImage) sees.
        ASSERT_GE(image.bytes.size(), sizeof(BITMAPINFOHEADER));
        const auto bitmap = Read<BITMAPINFOHEADER>(image.bytes, 0);
        EXPECT_EQ(bitmap.biHeight, 2 * bitmap.biWidth) << "colour and mask halves";
        inImages.push_back({bitmap.biWidth, bitmap.biBitCount});
    }
    auto print = [](const std::vector<Shape>& shapes) {
        std::string text;
        for (const auto& s : shapes)
            text += std::to_string(s.size) + "/" + std::to_string(s.bitCount) + " ";
        return text;
    };
    EXPECT_EQ(inGroup, expected) << print(inGroup);
    EXPECT_EQ(inImages, expected) << print(inImages);
}

// ---- Banner and manifest ----

TEST(Banner, BitmapResourceIsTheBannerFileWithoutItsFileHeader)
{
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    const auto resource = exe.Bytes(RT_BITMAP, MAKEINTRESOURCEW(IDB_BANNER));
    ASSERT_TRUE(resource);
    const auto file = ReadFileBytes(SourcePath(L"resources\\banner.bmp"));
    ASSERT_GT(file.size(), sizeof(BITMAPFILEHEADER));
    EXPECT_TRUE(
        std::equal(resource->begin(), resource->end(), file.begin() + sizeof(BITMAPFILEHEADER), file.end()))
        << "resource " << resource->size() << " bytes, file " << file.size();
}

std::string ElementText(const std::string& xml, const std::string& element)
{
    // The element's first occurrence; "<dpiAware" must not match "<dpiAwareness".
    for (size_t at = xml.find("<" + element); at != std::string::npos; at = xml.find("<" + element, at + 1)) {
        const char next = xml[at + 1 + element.size()];
        if (next != ' ' && next != '>')
            continue;
        const size_t start = xml.find('>', at) + 1;
        const size_t end = xml.find("</" + element + ">", start);
        return end == std::string::npos ? std::string() : xml.substr(start, end - start);
    }
    return {};
}

TEST(Manifest, AsksForPerMonitorDpiCommonControls6AndNamesEverySupportedWindows)
{
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    EXPECT_EQ(exe.Names(RT_MANIFEST), std::vector<std::wstring>{L"#1"});
    const auto bytes = exe.Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_TRUE(bytes);
    const std::string xml(bytes->begin(), bytes->end());

    EXPECT_NE(ElementText(xml, "dpiAwareness").find("PerMonitorV2"), std::string::npos);
    EXPECT_EQ(ElementText(xml, "dpiAware"), "true/pm");

    const size_t controls = xml.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos);
    const size_t identityStart = xml.rfind("<assemblyIdentity", controls);
    const size_t identityEnd = xml.find("/>", controls);
    const std::string identity = xml.substr(identityStart, identityEnd - identityStart);
    EXPECT_NE(identity.find("version=\"6.0.0.0\""), std::string::npos) << identity;

    // Windows 7 to 11, and nothing older: the exe imports nothing Windows 7 lacks.
    const std::set<std::string> windows7To11 = {
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
    };
    std::set<std::string> claimed;
    const std::string tag = "<supportedOS Id=\"";
    for (size_t at = xml.find(tag); at != std::string::npos; at = xml.find(tag, at + 1))
        claimed.insert(xml.substr(at + tag.size(), xml.find('"', at + tag.size()) - at - tag.size()));
    EXPECT_EQ(claimed, windows7To11);
}

TEST(Manifest, NamesTheExesOwnArchitecture)
{
    // Windows refuses to start a program whose manifest names another architecture (a
    // side-by-side configuration error); Wine does not check it.
    ExeResources exe(ExeUnderTest());
    ASSERT_TRUE(exe.Loaded());
    const auto bytes = exe.Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_TRUE(bytes);
    const std::string xml(bytes->begin(), bytes->end());
    const size_t identityStart = xml.find("<assemblyIdentity");
    ASSERT_NE(identityStart, std::string::npos);
    const std::string identity = xml.substr(identityStart, xml.find("/>", identityStart) - identityStart);
    EXPECT_NE(identity.find("name=\"Karvolt.Launcher\""), std::string::npos) << identity;
    const std::string expected = g_x64 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    EXPECT_NE(identity.find(expected), std::string::npos) << identity;
}

// ---- PE headers and imports ----

class ExeHeaders : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Image().Valid()) << "not a PE image"; }
    static const PeImage& Image()
    {
        static const PeImage image(ReadFileBytes(ExeUnderTest()));
        return image;
    }
};

TEST_F(ExeHeaders, IsAWindowsGuiProgramOfItsArchitecture)
{
    const PeImage& image = Image();
    EXPECT_EQ(image.FileHeader().Machine, g_x64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(image.Magic(), g_x64 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(image.Subsystem(), IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_FALSE(image.FileHeader().Characteristics & IMAGE_FILE_DLL);
}

TEST_F(ExeHeaders, AsksForAslrDepAndTerminalServerAwareness)
{
    const WORD flags = Image().DllCharacteristics();
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
    // A 64-bit exe can be placed anywhere in the address space, not only below 4 GiB.
    if (g_x64) {
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
}

TEST_F(ExeHeaders, KeepsItsRelocationsSoAslrCanMoveIt)
{
    // DYNAMIC_BASE alone is a promise: without relocations the loader cannot keep it.
    EXPECT_FALSE(Image().FileHeader().Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    const IMAGE_DATA_DIRECTORY relocations = Image().Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    ASSERT_GT(relocations.Size, sizeof(IMAGE_BASE_RELOCATION));
    IMAGE_BASE_RELOCATION firstBlock{};
    ASSERT_TRUE(Image().ReadAtRva(relocations.VirtualAddress, firstBlock))
        << "the relocation directory lies outside the file's sections";
    EXPECT_GT(firstBlock.SizeOfBlock, sizeof firstBlock) << "the first relocation block is empty";
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); });
    return text;
}

TEST_F(ExeHeaders, ImportsExactlyTheExpectedSystemDllsAndEachIsInTheSystemFolder)
{
    // Exact on purpose: a new import, even of a system DLL, has to be looked at and added.
    const std::set<std::string> expected = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                            "ole32.dll",    "oleaut32.dll", "msvcrt.dll"};
    std::set<std::string> imported;
    for (const std::string& name : Image().ImportedDlls())
        imported.insert(Lower(name));
    EXPECT_EQ(imported, expected);

    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    for (const auto& dll : imported)
        EXPECT_TRUE(PathIsFile(std::wstring(system) + L"\\" + std::wstring(dll.begin(), dll.end())))
            << dll << " is not in the system folder";
}

// "dll function" pairs, one a line; '#' starts a comment.
std::set<std::string> AllowedImports()
{
    std::set<std::string> allowed;
    std::ifstream list(SourcePath(L"tests\\wine\\windows7_imports.txt").c_str());
    std::string line;
    while (std::getline(list, line)) {
        line = line.substr(0, line.find('#'));
        while (!line.empty() && isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (!line.empty())
            allowed.insert(Lower(line.substr(0, line.find(' '))) + " " + line.substr(line.find(' ') + 1));
    }
    return allowed;
}

TEST_F(ExeHeaders, ImportsOnlyFunctionsThatWindows7AlreadyHad)
{
    // Anything newer must be looked up at run time with a fallback, or the exe would not
    // even load on Windows 7.
    const auto allowed = AllowedImports();
    ASSERT_FALSE(allowed.empty()) << "tests\\wine\\windows7_imports.txt could not be read";
    const auto imports = Image().ImportedFunctions();
    ASSERT_FALSE(imports.empty());
    for (const PeImport& import : imports) {
        EXPECT_FALSE(import.function.empty())
            << import.dll << " ordinal " << import.ordinal << ": imports by ordinal cannot be checked";
        const std::string key = Lower(import.dll) + " " + import.function;
        EXPECT_TRUE(allowed.contains(key)) << key << " is not in the list of Windows 7 imports";
    }
}


} // namespace
} // namespace karvolt::e2e

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    using karvolt::e2e::g_exe;
    const std::string arch = argc == 3 ? argv[2] : "";
    if (argc != 3 || (arch != "x86" && arch != "x64")) {
        fprintf(stderr, "usage: exe_file_test EXE x86|x64 [gtest flags]\n");
        return 2;
    }
    g_exe = karvolt::e2e::WindowsPath(argv[1]);
    karvolt::e2e::g_x64 = arch == "x64";
    if (!karvolt::e2e::PathIsFile(g_exe)) {
        printf("not run: %s is not built (build its preset first)\n", argv[1]);
        return karvolt::e2e::kSkipped;
    }
    return RUN_ALL_TESTS();
}
