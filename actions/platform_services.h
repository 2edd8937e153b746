#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace karvolt {

// A platform call that could not be carried out, in words for the user.
struct PlatformFailure {
    std::wstring operation; // what could not be done, e.g. the program that did not start
    unsigned long errorCode = 0; // the system's error code, 0 where there is none
};

// Window style asking for a normal-sized window that takes the focus (SW_SHOWNORMAL).
inline constexpr int kShowNormal = 1;

class FileExistenceTest {
public:
    virtual ~FileExistenceTest() = default;
    // True exactly when a file (not a folder) exists at the path; empty when the test
    // itself failed.
    virtual std::optional<bool> FileExists(const std::wstring& path) = 0;
};

// The operating system as the actions see it.
class Platform {
public:
    // Folder of the running executable, without a trailing separator; empty when it
    // cannot be read.
    virtual std::optional<std::wstring> ApplicationFolder() = 0;
    // Null when no file-existence test can be had on this system.
    virtual std::unique_ptr<FileExistenceTest> CreateFileExistenceTest() = 0;
    // Starts the program at the head of the command line, in the current directory,
    // without waiting for it. Gives back why it could not, if it could not.
    virtual std::optional<PlatformFailure> StartProcess(const std::wstring& commandLine,
                                                        int windowStyle) = 0;
    // The desktop shell's narrow open operation. Gives back a failure only when the
    // operation itself cannot be reached; what the shell answers is not looked at.
    virtual std::optional<PlatformFailure> ShellOpen(std::intptr_t ownerWindow,
                                                     const std::string& operation,
                                                     const std::string& file,
                                                     const std::string& parameters,
                                                     const std::string& directory,
                                                     int showCommand) = 0;
    // Ends the process at once; the real platform never returns.
    virtual void EndProgram() = 0;
    // Tells the user what failed and ends the process with a failure code; the real
    // platform never returns.
    virtual void ReportFailure(const PlatformFailure& failure) = 0;

protected:
    ~Platform() = default;
};

} // namespace karvolt
