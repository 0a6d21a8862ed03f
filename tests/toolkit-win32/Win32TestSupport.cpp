#include "Win32TestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace win32_test {

namespace {

// Under Wine without a window manager, destroying a managed top-level window waits two
// seconds for a state change that never comes. Windows of this test program (and only of
// it) are made unmanaged. Wine's X11 driver reads the setting when the program starts, so
// this takes effect from the next start; tools/wine-run.sh writes it before the first one
// when the test asks (ORVANNE_WINE_UNMANAGED=1).
void unmanagedWindowsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr)
        return;
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p != 0; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    const std::string key = std::string("Software\\Wine\\AppDefaults\\") + name + "\\X11 Driver";
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(handle, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        RegCloseKey(handle);
    }
}

const char* hostClass()
{
    static bool registered = false;
    if (!registered) {
        unmanagedWindowsUnderWine();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = "OrvanneTestHost";
        RegisterClassA(&windowClass);
        registered = true;
    }
    return "OrvanneTestHost";
}

} // namespace

HostWindow::HostWindow(int clientWidth, int clientHeight)
{
    RECT r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    window = CreateWindowExA(0, hostClass(), "Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    pumpMessages();
}

HostWindow::~HostWindow()
{
    if (window != nullptr)
        DestroyWindow(window);
    pumpMessages();
}

HWND createHostWindow(const char* className, const char* title, WNDPROC procedure, int clientWidth, int clientHeight)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowA(className, title, style, 40, 40, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr)
        ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

std::unique_ptr<vsthost::PluginHost> startEditorHost(const char* path, int& editorWidth, int& editorHeight)
{
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(path, error);
    if (!host) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, error.c_str());
        return nullptr;
    }
    host->start(44100.0f, 512);
    ERect* rect = nullptr;
    if ((host->effect()->flags & effFlagsHasEditor) != 0)
        host->dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) {
        std::fprintf(stderr, "%s has no editor\n", path);
        return nullptr;
    }
    editorWidth = rect->right - rect->left;
    editorHeight = rect->bottom - rect->top;
    return host;
}

void pumpMessages()
{
    MSG message;
    for (int round = 0; round < 6; ++round) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(15);
    }
}

scene::Image readWindow(HWND window)
{
    scene::Image image;
    RECT client;
    if (!GetClientRect(window, &client))
        return image;
    const int width = client.right;
    const int height = client.bottom;
    HDC windowDC = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDC);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib != nullptr && bits != nullptr) {
        HGDIOBJ previous = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
        GdiFlush();
        image.width = width;
        image.height = height;
        const auto* pixels = static_cast<const uint32_t*>(bits);
        image.pixels.assign(pixels, pixels + size_t(width) * size_t(height));
        for (uint32_t& p : image.pixels)
            p &= 0x00ffffffu;
        SelectObject(memory, previous);
    }
    if (dib != nullptr)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, windowDC);
    return image;
}

int gdiObjects()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return int(counted);
    // Wine does not count; its handle table answers for handles given by index alone.
    int live = 0;
    for (ULONG_PTR handle = 1; handle < 0x10000; ++handle)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0)
            ++live;
    return live;
}

std::string pathFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == 0)
        return std::string();
    std::string path = value;
    // An absolute Unix path: through Wine's drive for the root.
    if (path[0] == '/')
        path = "Z:" + path;
    return path;
}

} // namespace win32_test
