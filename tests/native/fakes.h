#pragma once

#include "launcher_form.h"
#include "platform_services.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace karvolt::testing {

// Records what the actions did to the window; a button can be made to refuse enabling.
class FakeForm final : public LauncherForm {
public:
    void EnableButton(ToolButton button) override
    {
        log.push_back(button == ToolButton::Command1 ? "enable Command1" : "enable Command2");
        if (!failingButtons.count(button))
            enabled.insert(button);
    }
    std::wstring ArgumentLine() const override { return argumentLine; }

    std::wstring argumentLine;
    std::set<ToolButton> enabled;
    std::set<ToolButton> failingButtons;
    std::vector<std::string> log;
};

struct ShellCall {
    std::intptr_t owner;
    std::string operation, file, parameters, directory;
    int show;
    bool operator==(const ShellCall&) const = default;
};

// A platform whose every answer is scripted and every call is written to one log, in order.
class FakePlatform final : public Platform {
public:
    struct FakeTest final : FileExistenceTest {
        explicit FakeTest(FakePlatform& owner) : owner(owner) {}
        std::optional<bool> FileExists(const std::wstring& path) override
        {
            owner.log.push_back("test " + Narrow(path));
            if (owner.failingPaths.count(path))
                return std::nullopt;
            return owner.files.count(path) > 0;
        }
        FakePlatform& owner;
    };

    std::optional<std::wstring> ApplicationFolder() override
    {
        log.push_back("read folder");
        if (!folderReadable)
            return std::nullopt;
        return applicationFolder;
    }
    std::unique_ptr<FileExistenceTest> CreateFileExistenceTest() override
    {
        log.push_back("create test");
        if (failingCreations.count(++creations))
            return nullptr;
        return std::make_unique<FakeTest>(*this);
    }
    std::optional<PlatformFailure> StartProcess(const std::wstring& commandLine, int windowStyle) override
    {
        log.push_back("start");
        startedCommandLines.push_back(commandLine);
        startedWindowStyles.push_back(windowStyle);
        return startFailure;
    }
    std::optional<PlatformFailure> ShellOpen(std::intptr_t owner, const std::string& operation,
                                             const std::string& file, const std::string& parameters,
                                             const std::string& directory, int show) override
    {
        log.push_back("shell open");
        shellCalls.push_back({owner, operation, file, parameters, directory, show});
        return shellFailure;
    }
    void EndProgram() override { log.push_back("end"); }
    void ReportFailure(const PlatformFailure& failure) override
    {
        log.push_back("report " + Narrow(failure.operation));
    }

    static std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }

    std::wstring applicationFolder = L"D:\\Games\\Launcher";
    bool folderReadable = true;
    std::set<int> failingCreations; // which creations of a file test fail, counted from 1
    int creations = 0;
    std::set<std::wstring> files;
    std::set<std::wstring> failingPaths;
    std::optional<PlatformFailure> startFailure;
    std::optional<PlatformFailure> shellFailure;

    std::vector<std::string> log;
    std::vector<std::wstring> startedCommandLines;
    std::vector<int> startedWindowStyles;
    std::vector<ShellCall> shellCalls;
};

} // namespace karvolt::testing
