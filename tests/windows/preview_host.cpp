// A stand-in for Screen Saver Settings in the end-to-end tests under Wine (windows_e2e.sh): a
// window with a little "monitor" child of 320 x 240, as that page has, and the saver started the
// way the system starts it.
//
//   preview_host /p SAVER [CLOSE-FILE]  starts "SAVER /p <monitor>", says when the saver's window
//                                       appears in the monitor, and once CLOSE-FILE exists (without
//                                       one: after 5 seconds) destroys its window and waits for
//                                       the saver to end by itself, with exit code 0.
//   preview_host /c SAVER               starts "SAVER /c:<window>", says whether the settings
//                                       dialog is owned by that window, and waits for the saver
//                                       to end with exit code 0.
//
// It prints each step on standard output; exit code 0 when the saver did what it should.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr int kMonitorWidth = 320;
constexpr int kMonitorHeight = 240;
// Where the monitor sits in the window's client area, and the margin round it, pixels.
constexpr int kMonitorLeft = 40;
constexpr int kMonitorTop = 40;
// How long the saver may take to show its window, to end, and how long the preview runs,
// milliseconds.
constexpr DWORD kShowDeadlineMs = 60000;
constexpr DWORD kEndDeadlineMs = 10000;
constexpr DWORD kPreviewMs = 5000;
constexpr DWORD kCloseFileDeadlineMs = 120000;
// The monitor's plain fill, which the saver's window covers.
constexpr COLORREF kMonitorFill = RGB(0, 0, 0);

void Say(const char* format, unsigned long long value = 0) {
    std::printf(format, value);
    std::printf("\n");
    std::fflush(stdout);
}

// A window's handle as the system writes it on a command line: decimal.
std::wstring Decimal(HWND window) {
    return std::to_wstring(reinterpret_cast<std::uintptr_t>(window));
}

// Handles this thread's messages until `done` holds or `ms` milliseconds have passed; false on
// time-out. `waitFor` (optional) also wakes the loop when it is signalled.
bool PumpUntil(const std::function<bool()>& done, DWORD ms, HANDLE waitFor = nullptr) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        const DWORD left = static_cast<DWORD>(end - now);
        MsgWaitForMultipleObjects(waitFor != nullptr ? 1 : 0, &waitFor, FALSE,
                                  left < 50 ? left : 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

HWND MakeWindow(const wchar_t* className, const wchar_t* title, DWORD style, RECT rect, HWND parent,
                HBRUSH fill) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = fill;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, nullptr, windowClass.hInstance, nullptr);
}

// Starts `commandLine`; a null process handle when it cannot be started.
PROCESS_INFORMATION Start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Say("cannot start the saver (error %llu)", GetLastError());
        return {};
    }
    CloseHandle(process.hThread);
    return process;
}

// Waits for the saver to end within `ms` milliseconds; true when it ended with exit code 0.
bool EndedWithZero(HANDLE process, DWORD ms) {
    const bool ended = PumpUntil(
        [process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms, process);
    if (!ended) {
        Say("the saver is still running");
        TerminateProcess(process, 99);
        return false;
    }
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    Say("the saver ended with exit code %llu", code);
    return code == 0;
}

// A visible top-level window of another process that `owner` owns; null when there is none.
HWND OwnedWindowOf(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != GetCurrentProcessId() && IsWindowVisible(window) &&
                GetWindow(window, GW_OWNER) == s->owner) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int RunPreview(const std::wstring& saver, const std::wstring& closeFile) {
    // The window's client area holds the monitor with a margin of the same size round it.
    RECT frame{100, 100, 100 + kMonitorWidth + 2 * kMonitorLeft,
               100 + kMonitorHeight + 2 * kMonitorTop};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const HWND host = MakeWindow(L"ChronivoPreviewHost", L"Chronivo preview host",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, frame, nullptr,
                                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    const HWND monitor = MakeWindow(
        L"ChronivoPreviewMonitor", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
        RECT{kMonitorLeft, kMonitorTop, kMonitorLeft + kMonitorWidth, kMonitorTop + kMonitorHeight},
        host, CreateSolidBrush(kMonitorFill));
    if (host == nullptr || monitor == nullptr) {
        Say("cannot make the host's windows (error %llu)", GetLastError());
        return 1;
    }
    UpdateWindow(host);
    POINT origin{0, 0};
    ClientToScreen(monitor, &origin);
    std::printf("monitor %dx%d+%ld+%ld\n", kMonitorWidth, kMonitorHeight, origin.x, origin.y);
    std::fflush(stdout);

    const PROCESS_INFORMATION saver_process = Start(L"\"" + saver + L"\" /p " + Decimal(monitor));
    if (saver_process.hProcess == nullptr) {
        return 1;
    }
    // The saver's window is a visible child of the monitor that fills it.
    const bool shown = PumpUntil(
        [monitor] {
            const HWND preview = GetWindow(monitor, GW_CHILD);
            RECT area{};
            return preview != nullptr && IsWindowVisible(preview) &&
                   GetClientRect(preview, &area) && area.right - area.left == kMonitorWidth &&
                   area.bottom - area.top == kMonitorHeight;
        },
        kShowDeadlineMs);
    if (!shown) {
        Say("the saver's window never filled the monitor");
        TerminateProcess(saver_process.hProcess, 99);
        return 1;
    }
    Say("the saver's window fills the monitor");

    if (closeFile.empty()) {
        PumpUntil([] { return false; }, kPreviewMs);
    } else {
        PumpUntil(
            [&closeFile] {
                return GetFileAttributesW(closeFile.c_str()) != INVALID_FILE_ATTRIBUTES;
            },
            kCloseFileDeadlineMs);
    }
    // As Screen Saver Settings does when another saver is chosen or the page closes: the window
    // goes without a word to the saver, which must notice and end.
    DestroyWindow(host);
    Say("the host's window is destroyed");
    const bool ended = EndedWithZero(saver_process.hProcess, kEndDeadlineMs);
    CloseHandle(saver_process.hProcess);
    return ended ? 0 : 1;
}

int RunConfigOver(const std::wstring& saver) {
    RECT frame{100, 100, 500, 400};
    const HWND host = MakeWindow(L"ChronivoSettingsHost", L"Chronivo settings host",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, frame, nullptr,
                                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    if (host == nullptr) {
        Say("cannot make the host's window (error %llu)", GetLastError());
        return 1;
    }
    Say("host window %llu", reinterpret_cast<std::uintptr_t>(host));
    const PROCESS_INFORMATION saver_process = Start(L"\"" + saver + L"\" /c:" + Decimal(host));
    if (saver_process.hProcess == nullptr) {
        return 1;
    }
    // The dialog is owned by this window, as the system's own dialogs over it are.
    PumpUntil(
        [host, &saver_process] {
            return OwnedWindowOf(host) != nullptr ||
                   WaitForSingleObject(saver_process.hProcess, 0) == WAIT_OBJECT_0;
        },
        kShowDeadlineMs);
    const bool owned = OwnedWindowOf(host) != nullptr;
    if (owned) {
        Say("the settings dialog is owned by the host's window");
    } else {
        Say("no window of the saver's is owned by the host's window");
    }
    const bool ended = EndedWithZero(saver_process.hProcess, kCloseFileDeadlineMs);
    CloseHandle(saver_process.hProcess);
    DestroyWindow(host);
    return ended && owned ? 0 : 1;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) {
        Say("usage: preview_host /p SAVER [CLOSE-FILE] | /c SAVER");
        return 2;
    }
    const std::wstring mode = argv[1];
    const std::wstring saver = argv[2];
    const std::wstring closeFile = argc > 3 ? argv[3] : L"";
    LocalFree(argv);
    if (mode == L"/p") {
        return RunPreview(saver, closeFile);
    }
    if (mode == L"/c") {
        return RunConfigOver(saver);
    }
    Say("usage: preview_host /p SAVER [CLOSE-FILE] | /c SAVER");
    return 2;
}
