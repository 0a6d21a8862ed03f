// Helpers of the Windows layer's tests and the Windows test hosts: a host window, a started
// plug-in with an editor, the message pump, reading a window's pixels back, the process's GDI
// object count.
#pragma once

#include "PluginHost.h"
#include "SceneImage.h"

#include <windows.h>

#include <memory>
#include <string>

namespace win32_test {

// A top-level window with a caption, standing in for the host's editor window; its client
// area has the given size.
class HostWindow {
public:
    HostWindow(int clientWidth, int clientHeight);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return window; }

private:
    HWND window = nullptr;
};

// The top-level window of a command-line host program: captioned, not resizable, at 40,40
// with a client area of the given size, of a class of its own (registered on first use) with
// the host's window procedure; shown. Null when it could not be made.
HWND createHostWindow(const char* className, const char* title, WNDPROC procedure, int clientWidth, int clientHeight);

// The plug-in at path loaded through the host library and started at 44.1 kHz with 512-frame
// blocks, with its editor's size; null, after one line on stderr, when it cannot be loaded or
// has no editor.
std::unique_ptr<vsthost::PluginHost> startEditorHost(const char* path, int& editorWidth, int& editorHeight);

// Dispatches every pending message, a few rounds with short pauses so the window system
// delivers paints.
void pumpMessages();

// The client area's pixels, read from the window's device context.
scene::Image readWindow(HWND window);

// Live GDI objects of the process (GetGuiResources where the system counts them, otherwise by
// asking the handle table about every handle).
int gdiObjects();

// A Unix path from the environment as Wine sees it; empty when the variable is not set.
std::string pathFromEnvironment(const char* name);

} // namespace win32_test
