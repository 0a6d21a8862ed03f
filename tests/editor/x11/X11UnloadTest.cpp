// A host that keeps its own X error handler: it loads the plug-in, shows and closes the
// editor, closes the effect and unloads the module, then meets an X error. Its own handler must
// take the error (nothing of the plug-in's may still be installed in the process), and while
// the editor is open the plug-in must not have replaced it either.
#include "EditorWindow.h"
#include "PluginHost.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

using vsthost::EditorWindow;
using vsthost::PluginHost;

int hostErrors = 0;

int hostHandler(Display*, XErrorEvent* error)
{
    if (error->error_code == BadWindow)
        ++hostErrors;
    return 0;
}

// Whether the process's error handler is still the host's (put back at once).
bool hostHandlerInstalled()
{
    const XErrorHandler current = XSetErrorHandler(hostHandler);
    XSetErrorHandler(current);
    return current == hostHandler;
}

// Exits 0 when every step went as a host expects, else with the failed step's number (and its
// reason on stderr).
void showCloseUnloadThenFail(int cycles)
{
    auto fail = [](int step, const char* reason) {
        std::fprintf(stderr, "step %d: %s\n", step, reason);
        std::_Exit(step);
    };
    XSetErrorHandler(hostHandler);
    std::string error;
    std::unique_ptr<PluginHost> host = PluginHost::load(ORVANNE_PLUGIN, error);
    if (!host)
        fail(1, error.c_str());
    host->start(44100.f, 512);
    for (int i = 0; i < cycles; ++i) {
        std::unique_ptr<EditorWindow> window = EditorWindow::open(*host, "Orvanne unload host", error);
        if (!window)
            fail(2, error.c_str());
        for (int step = 0; step < 5; ++step)
            window->step();
        if (!hostHandlerInstalled())
            fail(3, "the plug-in replaced the host's X error handler while its editor is open");
    }
    if (!hostHandlerInstalled())
        fail(4, "an X error handler of the plug-in is left after its editor closed");
    host.reset(); // effClose, then the module is unloaded
#if !defined(__SANITIZE_ADDRESS__)
    // (The sanitized host keeps modules mapped for its leak report.)
    if (dlopen(ORVANNE_PLUGIN, RTLD_NOW | RTLD_NOLOAD) != nullptr)
        fail(5, "the module stayed loaded: the test would prove nothing");
#endif
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        fail(6, "no X display");
    XMapWindow(display, 0x1fffff0); // no such window
    XSync(display, False);
    if (hostErrors != 1)
        fail(7, "the host's X error handler did not see the error");
    XCloseDisplay(display);
    std::_Exit(0);
}

TEST(X11Unload, TheHostsErrorHandlerTakesAnErrorAfterTheModuleIsUnloaded)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under a virtual X display (xvfb-run)";
    // In a child: before the fix the process died there with SIGSEGV.
    EXPECT_EXIT(showCloseUnloadThenFail(1), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(showCloseUnloadThenFail(3), ::testing::ExitedWithCode(0), "");
}

} // namespace
