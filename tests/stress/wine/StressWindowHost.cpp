// orvanne-stress-window: a Windows command-line host for the stress tests under Wine, with its
// editor in a real top-level window.
//
//   orvanne-stress-window PLUGIN.dll race SECONDS CYCLES
//     A second thread plays automation of parameters 2 to 4 without pause while the window
//     thread opens the editor, idles it and closes it again: for at least SECONDS and CYCLES
//     cycles. Then the knobs' automation still reaches the effect's state unchanged.
//   orvanne-stress-window PLUGIN.dll close-window|close-effect ARMFILE STOPFILE REPORT
//     Opens the editor and idles it from a 20 ms timer, as hosts do. Once ARMFILE exists, the
//     host's next idle (its timer, which also runs inside pop-up menus and dialogs, or the
//     plug-in's audioMasterIdle from inside a drag) closes the editor, or the whole plug-in.
//     Runs until STOPFILE exists and writes what it saw to REPORT. On standard output, for
//     the driving script: "client X Y" once the editor is open, "up menu|dialog|none" when a
//     pop-up menu or dialog comes or goes, "up plug-in idle" when the plug-in first idles the
//     host from a loop of its own, and "closed FROM" once the host has closed.
#include "LcgNoise.h"
#include "PluginHost.h"
#include "Win32TestSupport.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kWindowClass = "OrvanneStressHostWindow";

bool fileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

struct ClosingRun {
    vsthost::PluginHost* host = nullptr;
    const char* armFile = nullptr;
    bool closeEffect = false;
    bool closed = false;
    const char* closedFrom = "nowhere";
    bool editorOpen = false;
    // What was up on the window thread when the host closed: a pop-up menu, a dialog
    // (message box or Save-As), or neither.
    const char* inside = "none";
};
ClosingRun run;

// What is up on the window thread: a pop-up menu, a dialog (message box or Save-As), or
// neither.
const char* whatIsUp()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    char className[16] = {};
    HWND active = GetActiveWindow();
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0)
        return "menu";
    if (active != nullptr && GetClassNameA(active, className, sizeof className) > 0 &&
        std::strcmp(className, "#32770") == 0)
        return "dialog";
    return "none";
}

// A line on standard output for the driving script, which waits for it.
void announce(const char* what, const char* detail)
{
    std::printf("%s %s\n", what, detail);
    std::fflush(stdout);
}

void closeIfArmed(const char* from)
{
    if (run.closed || run.armFile == nullptr || !fileExists(run.armFile))
        return;
    run.closed = true;
    run.closedFrom = from;
    run.inside = whatIsUp();
    if (run.closeEffect) {
        run.host->dispatch(effClose);
    } else {
        run.host->dispatch(effEditClose);
        run.editorOpen = false;
    }
    announce("closed", from);
}

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        return 0;
    if (message == WM_TIMER && run.host != nullptr) {
        // The timer also runs inside menus' and dialogs' own loops: it tells when one is up.
        static const char* announced = "none";
        const char* up = whatIsUp();
        if (std::strcmp(up, announced) != 0)
            announce("up", announced = up);
        closeIfArmed("timer");
        if (run.editorOpen)
            run.host->dispatch(effEditIdle);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

struct Automation {
    AEffect* effect;
    std::atomic<bool> stop{false};
    std::atomic<long> changes{0};
};

DWORD WINAPI automationThread(void* argument)
{
    Automation* a = static_cast<Automation*>(argument);
    test_support::Lcg lcg{12345};
    long n = 0;
    while (!a->stop.load(std::memory_order_relaxed)) {
        const uint32_t step = lcg.next();
        a->effect->setParameter(a->effect, 2 + VstInt32((step >> 16) % 3), test_support::Lcg::unitOf(step));
        ++n;
    }
    a->changes.store(n);
    return 0;
}

int runRace(vsthost::PluginHost& host, HWND window, DWORD seconds, int minimumCycles)
{
    Automation automation;
    automation.effect = host.effect();
    HANDLE thread = CreateThread(nullptr, 0, automationThread, &automation, 0, nullptr);
    if (thread == nullptr)
        return 1;
    const DWORD start = GetTickCount();
    int cycles = 0;
    while (cycles < minimumCycles || GetTickCount() - start < seconds * 1000u) {
        if (host.dispatch(effEditOpen, 0, 0, window) != 1) {
            std::fprintf(stderr, "the editor did not open\n");
            break;
        }
        for (int i = 0; i < 3; ++i) {
            pump();
            host.dispatch(effEditIdle);
        }
        host.dispatch(effEditClose);
        pump();
        ++cycles;
    }
    automation.stop.store(true);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    std::printf("cycles %d automation %ld\n", cycles, automation.changes.load());
    const bool childLeft = GetWindow(window, GW_CHILD) != nullptr;
    if (childLeft)
        std::printf("an editor window was left behind\n");
    return cycles >= minimumCycles && automation.changes.load() > 1000 && !childLeft ? 0 : 1;
}

int runClosing(vsthost::PluginHost& host, HWND window, const char* stopFile, const char* reportPath)
{
    run.host = &host;
    run.editorOpen = host.dispatch(effEditOpen, 0, 0, window) == 1;
    host.record().onIdle = [] {
        // The plug-in idles the host from inside its own loops (a drag, a held arrow).
        static bool announced = false;
        if (!announced)
            announce("up", "plug-in idle");
        announced = true;
        closeIfArmed("plug-in idle");
    };
    UpdateWindow(window);
    SetTimer(window, 1, 20, nullptr);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %d %d\n", int(origin.x), int(origin.y));
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (!fileExists(stopFile) && GetTickCount() - start < 120000u) {
        MSG message;
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(window, 1);
    pump();
    std::FILE* report = std::fopen(reportPath, "w");
    if (report == nullptr)
        return 1;
    std::fprintf(report, "closed %s\n", run.closed ? run.closedFrom : "no");
    std::fprintf(report, "inside %s\n", run.inside);
    std::fprintf(report, "editor-window %s\n", GetWindow(window, GW_CHILD) != nullptr ? "left" : "gone");
    std::fprintf(report, "plug-in %s\n", host.isClosed() ? "closed" : "open");
    std::fclose(report);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: orvanne-stress-window PLUGIN.dll race SECONDS CYCLES\n"
                     "       orvanne-stress-window PLUGIN.dll close-window|close-effect ARM STOP REPORT\n");
        return 2;
    }
    int width = 0, height = 0;
    std::unique_ptr<vsthost::PluginHost> host = win32_test::startEditorHost(argv[1], width, height);
    if (!host)
        return 1;
    HWND window = win32_test::createHostWindow(kWindowClass, "Orvanne Stress Host", hostWindowProcedure, width, height);
    if (window == nullptr)
        return 1;
    int status = 1;
    const std::string mode = argv[2];
    if (mode == "race") {
        status = runRace(*host, window, DWORD(std::atoi(argv[3])), std::atoi(argv[4]));
    } else if ((mode == "close-window" || mode == "close-effect") && argc >= 6) {
        run.armFile = argv[3];
        run.closeEffect = mode == "close-effect";
        status = runClosing(*host, window, argv[4], argv[5]);
    }
    if (!host->isClosed())
        host->dispatch(effEditClose);
    DestroyWindow(window);
    host.reset();
    return status;
}
