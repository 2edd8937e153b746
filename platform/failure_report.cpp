#include "failure_report.h"

#include <windows.h>

#include <string>

namespace karvolt {
namespace {

std::wstring SystemErrorText(unsigned long code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) {
        // Codes without a system text (HRESULTs from elsewhere) are shown as hex.
        text = L"Error 0x00000000.";
        for (int digit = 0; digit < 8; ++digit)
            text[16 - digit] = L"0123456789ABCDEF"[(code >> (4 * digit)) & 0xF];
    }
    return text;
}

} // namespace

void ReportFailureAndExit(const PlatformFailure& failure)
{
    std::wstring message = failure.operation;
    if (failure.errorCode != 0)
        message += L"\n\n" + SystemErrorText(failure.errorCode);
    MessageBoxW(nullptr, message.c_str(), L"Karvolt Launcher",
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ExitProcess(1);
}

} // namespace karvolt
