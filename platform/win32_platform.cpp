#include "win32_platform.h"

#include "application_folder.h"
#include "failure_report.h"
#include "file_system_object.h"
#include "process_start.h"
#include "shell_open.h"

#include <windows.h>

namespace karvolt {

std::optional<std::wstring> Win32Platform::ApplicationFolder() { return ReadApplicationFolder(); }

std::unique_ptr<FileExistenceTest> Win32Platform::CreateFileExistenceTest()
{
    return CreateFileSystemObjectTest();
}

std::optional<PlatformFailure> Win32Platform::StartProcess(const std::wstring& commandLine,
                                                           int windowStyle)
{
    return StartProgram(commandLine, windowStyle);
}

std::optional<PlatformFailure> Win32Platform::ShellOpen(std::intptr_t ownerWindow,
                                                        const std::string& operation,
                                                        const std::string& file,
                                                        const std::string& parameters,
                                                        const std::string& directory,
                                                        int showCommand)
{
    return ShellExecuteNarrow(ownerWindow, operation, file, parameters, directory, showCommand);
}

void Win32Platform::EndProgram() { ExitProcess(0); }

void Win32Platform::ReportFailure(const PlatformFailure& failure) { ReportFailureAndExit(failure); }

} // namespace karvolt
