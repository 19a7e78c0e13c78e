// Chronivo.scr in the system folder, where Screen Saver Settings looks for screen savers: it
// starts the installed Chronivo.scr (whose Qt libraries stay in the installation folder) with
// this program's own arguments, waits for it and hands back its exit code. Plain Win32, linked
// statically, so it needs nothing but the system's own libraries.
#include "launcher/launcher_command.h"

#include <string>

#include <windows.h>

namespace {

// Where the installer records the installation folder.
constexpr wchar_t kInstallKey[] = L"Software\\Chronivo";
constexpr wchar_t kInstallValue[] = L"InstallDir";

// The installation folder as the installer recorded it; empty when there is none.
std::wstring InstallDir() {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return {};
    }
    std::wstring dir(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, RRF_RT_REG_SZ, nullptr,
                     dir.data(), &bytes) != ERROR_SUCCESS) {
        return {};
    }
    dir.resize(bytes / sizeof(wchar_t));
    while (!dir.empty() && dir.back() == L'\0') {
        dir.pop_back();
    }
    return dir;
}

// Says what is wrong in one message box; 1 is the exit code of every failure.
int Complain(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Chronivo", MB_OK | MB_ICONERROR);
    return 1;
}

// A job that ends the saver when this program ends, however it ends: Screen Saver Settings may
// end its preview by ending the process it started, which is this one. Null when the system
// refuses one; the saver then simply runs on its own.
HANDLE KillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring dir = InstallDir();
    if (dir.empty()) {
        return Complain(L"Chronivo is not installed: the registry has no installation folder "
                        L"(HKEY_LOCAL_MACHINE\\Software\\Chronivo, value InstallDir). Install "
                        L"Chronivo again.");
    }
    const std::wstring program = chronivo::ProgramInFolder(dir);
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return Complain(L"Chronivo is not installed: " + program +
                        L" is missing. Install Chronivo again.");
    }

    std::wstring commandLine =
        chronivo::ChildCommandLine(program, chronivo::ArgumentsAfterProgram(GetCommandLineW()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, dir.c_str(), &startup, &process)) {
        return Complain(L"Chronivo could not start " + program + L" (error " +
                        std::to_wstring(GetLastError()) + L").");
    }
    HANDLE job = KillOnCloseJob();
    if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (job != nullptr) {
        CloseHandle(job);
    }
    return static_cast<int>(code);
}
