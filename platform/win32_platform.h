#pragma once

#include "platform_services.h"

namespace karvolt {

// The launcher's platform: the real Windows calls behind each operation.
class Win32Platform final : public Platform {
public:
    std::optional<std::wstring> ApplicationFolder() override;
    std::unique_ptr<FileExistenceTest> CreateFileExistenceTest() override;
    std::optional<PlatformFailure> StartProcess(const std::wstring& commandLine,
                                                int windowStyle) override;
    std::optional<PlatformFailure> ShellOpen(std::intptr_t ownerWindow, const std::string& operation,
                                             const std::string& file, const std::string& parameters,
                                             const std::string& directory, int showCommand) override;
    [[noreturn]] void EndProgram() override;
    [[noreturn]] void ReportFailure(const PlatformFailure& failure) override;
};

} // namespace karvolt
