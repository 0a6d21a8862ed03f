// orvanne-editor-window: a Windows command-line host that loads a plug-in, opens its editor
// in a real top-level window and idles it about 50 times a second, as a host does, until a
// stop file appears (or a time limit passes). Then it writes the window's picture as a PPM
// and a report of the parameters and of what the plug-in reported to the host. Given a NAME,
// the report also holds the width of that text, and of its first 23 characters, in the font
// of the editor's preset name (12-pixel bold Arial), so the check can tell whether the name
// was shown whole. While it runs, it prints the edits and automation the plug-in reports.
//
// usage: orvanne-editor-window PLUGIN.dll OUT.ppm REPORT.txt STOPFILE [SECONDS [NAME]]
#include "PluginHost.h"
#include "SceneImage.h"
#include "Win32TestSupport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kWindowClass = "OrvanneEditorHostWindow";
const char* const kWindowTitle = "Orvanne Editor Host";

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        return 0; // the run ends through the stop file only
    return DefWindowProcA(window, message, wParam, lParam);
}

bool fileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The window's client area as a PPM file, compared with the Linux rendering.
bool writeWindowPicture(HWND window, const char* path)
{
    const scene::Image image = win32_test::readWindow(window);
    return image.width > 0 && image.height > 0 && scene::writePpm(image, path);
}

// Width in pixels of text in the editor's preset-name font.
int nameTextWidth(const std::string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTA logFont = {};
    logFont.lfHeight = -12;
    logFont.lfWeight = 700;
    logFont.lfCharSet = ANSI_CHARSET;
    logFont.lfOutPrecision = OUT_STRING_PRECIS;
    logFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = 34;
    lstrcpyA(logFont.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return int(size.cx);
}

void pumpAndIdle(vsthost::PluginHost& host, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        host.dispatch(effEditIdle);
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
}

// What the plug-in told the host since the last call, as lines on standard output ("begin 2",
// "end 2", "automate 1 1"), which the driving script waits for.
void showNewEvents(const vsthost::HostRecord& record, size_t& editsShown, size_t& automationShown)
{
    for (; editsShown < record.edits.size(); ++editsShown)
        std::printf("%s %d\n", record.edits[editsShown].begin ? "begin" : "end", int(record.edits[editsShown].index));
    for (; automationShown < record.automation.size(); ++automationShown)
        std::printf("automate %d %.9g\n", int(record.automation[automationShown].index),
                    double(record.automation[automationShown].value));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: orvanne-editor-window PLUGIN.dll OUT.ppm REPORT.txt STOPFILE [SECONDS [NAME]]\n");
        return 2;
    }
    const DWORD limit = argc > 5 ? DWORD(std::atoi(argv[5])) * 1000u : 120000u;
    int width = 0, height = 0;
    std::unique_ptr<vsthost::PluginHost> host = win32_test::startEditorHost(argv[1], width, height);
    if (!host)
        return 1;

    HWND window = win32_test::createHostWindow(kWindowClass, kWindowTitle, hostWindowProcedure, width, height);
    if (window == nullptr)
        return 1;
    host->dispatch(effEditOpen, 0, 0, window);
    UpdateWindow(window);
    pumpAndIdle(*host, 200);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %d %d %d %d\n", int(origin.x), int(origin.y), width, height);
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    size_t editsShown = 0;
    size_t automationShown = 0;
    // A drag runs its own loop, from which the plug-in idles the host.
    host->record().onIdle = [&] { showNewEvents(host->record(), editsShown, automationShown); };
    while (!fileExists(argv[4]) && GetTickCount() - start < limit) {
        pumpAndIdle(*host, 50);
        showNewEvents(host->record(), editsShown, automationShown);
    }
    // Let the last redraws land, then read the editor's window back.
    pumpAndIdle(*host, 300);
    HWND editorWindow = GetWindow(window, GW_CHILD);
    const bool pictureWritten = writeWindowPicture(editorWindow != nullptr ? editorWindow : window, argv[2]);

    std::FILE* report = std::fopen(argv[3], "w");
    if (report != nullptr) {
        for (VstInt32 i = 1; i <= 4; ++i)
            std::fprintf(report, "param %d %.9g\n", int(i), double(host->getParameter(i)));
        for (const vsthost::EditEvent& e : host->record().edits)
            std::fprintf(report, "%s %d\n", e.begin ? "begin" : "end", int(e.index));
        for (const vsthost::AutomationEvent& a : host->record().automation)
            std::fprintf(report, "automate %d %.9g\n", int(a.index), double(a.value));
        if (argc > 6) {
            const std::string name = argv[6];
            std::fprintf(report, "namewidth %d %d\n", nameTextWidth(name), nameTextWidth(name.substr(0, 23)));
        }
        std::fprintf(report, "picture %s\n", pictureWritten ? "written" : "missing");
        std::fclose(report);
    }
    host->dispatch(effEditClose);
    DestroyWindow(window);
    host.reset();
    return pictureWritten ? 0 : 1;
}
