#pragma once

// The parts of a PE image that the checks of a built exe need, read from the file's bytes
// with every offset checked against its size. Reads PE32 (x86) and PE32+ (x64) alike, so a
// test program of either architecture reads the exes of both.

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace karvolt::e2e {

struct PeImport {
    std::string dll;      // as the image names it
    std::string function; // empty for an import by ordinal
    WORD ordinal = 0;
};

class PeImage {
public:
    explicit PeImage(std::vector<unsigned char> bytes) : bytes_(std::move(bytes))
    {
        IMAGE_DOS_HEADER dos{};
        DWORD signature = 0;
        if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
            !Read(static_cast<size_t>(dos.e_lfanew), signature) || signature != IMAGE_NT_SIGNATURE)
            return;
        const size_t fileHeader = static_cast<size_t>(dos.e_lfanew) + sizeof signature;
        const size_t optionalHeader = fileHeader + sizeof(IMAGE_FILE_HEADER);
        if (!Read(fileHeader, file_) || !Read(optionalHeader, magic_))
            return;

        if (magic_ == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            IMAGE_OPTIONAL_HEADER32 optional{};
            if (!Read(optionalHeader, optional))
                return;
            TakeOptionalHeader(optional);
        } else if (magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            IMAGE_OPTIONAL_HEADER64 optional{};
            if (!Read(optionalHeader, optional))
                return;
            TakeOptionalHeader(optional);
        } else {
            return;
        }

        const size_t sectionTable = optionalHeader + file_.SizeOfOptionalHeader;
        for (WORD i = 0; i < file_.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section{};
            if (!Read(sectionTable + i * sizeof section, section))
                return;
            sections_.push_back(section);
        }
        valid_ = true;
    }

    bool Valid() const { return valid_; }
    bool IsPe32Plus() const { return magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC; }
    WORD Magic() const { return magic_; }
    const IMAGE_FILE_HEADER& FileHeader() const { return file_; }
    WORD Subsystem() const { return subsystem_; }
    WORD DllCharacteristics() const { return dllCharacteristics_; }
    ULONGLONG ImageBase() const { return imageBase_; }

    IMAGE_DATA_DIRECTORY Directory(int index) const
    {
        return index < static_cast<int>(std::min<DWORD>(directoryCount_, IMAGE_NUMBEROF_DIRECTORY_ENTRIES))
                   ? directories_[index]
                   : IMAGE_DATA_DIRECTORY{};
    }

    // Where an RVA lies in the file: in the raw data of the section that maps it.
    std::optional<size_t> FileOffset(DWORD rva) const
    {
        for (const auto& s : sections_) {
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.SizeOfRawData)
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
        if (!offset || *offset >= bytes_.size())
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
        ForEachImportDescriptor([&](const std::string& dll, DWORD) { names.push_back(dll); });
        const DWORD delayed = Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress;
        IMAGE_DELAYLOAD_DESCRIPTOR delay{};
        for (DWORD at = delayed; delayed && ReadAtRva(at, delay) && delay.DllNameRVA;
             at += sizeof delay) {
            // Old-style descriptors hold virtual addresses instead of RVAs.
            const DWORD name = delay.Attributes.RvaBased
                                   ? delay.DllNameRVA
                                   : static_cast<DWORD>(delay.DllNameRVA - imageBase_);
            names.push_back(StringAtRva(name).value_or("<unreadable name>"));
        }
        return names;
    }

    // The functions bound at start, from each DLL's lookup table (its thunks are 4 bytes in
    // PE32 and 8 in PE32+, with the ordinal flag in the top bit).
    std::vector<PeImport> ImportedFunctions() const
    {
        std::vector<PeImport> imports;
        ForEachImportDescriptor([&](const std::string& dll, DWORD lookupTable) {
            const size_t thunkSize = IsPe32Plus() ? 8 : 4;
            for (DWORD at = lookupTable;; at += static_cast<DWORD>(thunkSize)) {
                ULONGLONG thunk = 0;
                const bool read = IsPe32Plus() ? ReadAtRva(at, thunk) : ReadThunk32(at, thunk);
                if (!read) {
                    imports.push_back({dll, "<unreadable lookup table>", 0});
                    return;
                }
                if (thunk == 0)
                    return;
                const ULONGLONG ordinalFlag = IsPe32Plus() ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
                if (thunk & ordinalFlag) {
                    imports.push_back({dll, "", static_cast<WORD>(thunk & 0xFFFF)});
                    continue;
                }
                // IMAGE_IMPORT_BY_NAME: a two-byte hint, then the name.
                const auto name = StringAtRva(static_cast<DWORD>(thunk) + 2);
                imports.push_back({dll, name.value_or("<unreadable name>"), 0});
            }
        });
        return imports;
    }

private:
    template <typename Optional>
    void TakeOptionalHeader(const Optional& optional)
    {
        subsystem_ = optional.Subsystem;
        dllCharacteristics_ = optional.DllCharacteristics;
        imageBase_ = optional.ImageBase;
        directoryCount_ = optional.NumberOfRvaAndSizes;
        std::copy(std::begin(optional.DataDirectory), std::end(optional.DataDirectory), directories_);
    }

    bool ReadThunk32(DWORD rva, ULONGLONG& out) const
    {
        DWORD thunk = 0;
        if (!ReadAtRva(rva, thunk))
            return false;
        out = thunk;
        return true;
    }

    template <typename Visit>
    void ForEachImportDescriptor(Visit visit) const
    {
        const DWORD imports = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
        IMAGE_IMPORT_DESCRIPTOR descriptor{};
        for (DWORD at = imports; imports && ReadAtRva(at, descriptor) && descriptor.Name;
             at += sizeof descriptor) {
            // Some linkers leave the lookup table out; the address table then holds the same.
            const DWORD lookup = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk
                                                               : descriptor.FirstThunk;
            visit(StringAtRva(descriptor.Name).value_or("<unreadable name>"), lookup);
        }
    }

    template <typename T>
    bool Read(size_t offset, T& out) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof out)
            return false;
        std::memcpy(&out, bytes_.data() + offset, sizeof out);
        return true;
    }

    std::vector<unsigned char> bytes_;
    IMAGE_FILE_HEADER file_{};
    WORD magic_ = 0;
    WORD subsystem_ = 0;
    WORD dllCharacteristics_ = 0;
    ULONGLONG imageBase_ = 0;
    DWORD directoryCount_ = 0;
    IMAGE_DATA_DIRECTORY directories_[IMAGE_NUMBEROF_DIRECTORY_ENTRIES]{};
    std::vector<IMAGE_SECTION_HEADER> sections_;
    bool valid_ = false;
};

} // namespace karvolt::e2e
