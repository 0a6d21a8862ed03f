// The Linux editor in a real window: a host window on a virtual X display opens the plug-in's
// editor; xdotool moves the real pointer and types on the real keyboard while the host idles
// the editor, as a host's event loop would.
#include "EditorWindow.h"
#include "PluginHost.h"
#include "TempTree.h"
#include "XdoTool.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using vsthost::EditorWindow;
using vsthost::PluginHost;

constexpr int kInputThres = 2;
const int kKnobX = 156; // the "Input Thres" knob's centre
const int kKnobY = 131;

std::string presetRoot(const std::string& dataHome)
{
    return dataHome + "/Tarvelle/Plug-In Settings/Orvanne/";
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Geometry {
    Window window;
    int x, y, width, height;
};

class X11EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under a virtual X display (xvfb-run)";
        ASSERT_FALSE(data.path().empty());
        dataHome = data.path();
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        observer = XOpenDisplay(nullptr);
        ASSERT_NE(observer, nullptr);
    }

    void TearDown() override
    {
        window.reset();
        host.reset();
        if (observer != nullptr)
            XCloseDisplay(observer);
    }

    void load()
    {
        std::string error;
        host = PluginHost::load(ORVANNE_PLUGIN, error);
        ASSERT_TRUE(host) << error;
        host->start(44100.f, 512);
    }

    void openEditor()
    {
        if (!host)
            load();
        std::string error;
        window = EditorWindow::open(*host, "Orvanne test host", error);
        ASSERT_TRUE(window) << error;
        window->runFor(300);
    }

    // Runs script on a second thread while this one idles the editor as a host does (menus and
    // dialogs run their own loops inside the editor's idle), then idles a little more.
    void drive(const std::function<void()>& script, int settleMs = 200)
    {
        EXPECT_TRUE(test_support::driveWhileIdling(
            script, [&](int milliseconds) { window->runFor(milliseconds); }, settleMs))
            << "a menu or dialog stayed open";
    }

    // Runs xdotool (on the driving thread), then gives the editor time to answer.
    void xdo(const std::vector<std::string>& args, int settleMs = 300)
    {
        EXPECT_TRUE(test_support::xdotool(args, settleMs)) << "xdotool failed";
    }

    void run(const std::vector<std::string>& args)
    {
        drive([&]() { xdo(args); });
    }

    void click(int x, int y, int button = 1)
    {
        xdo({"mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button)});
    }

    // The plug-in's own window inside the host's.
    Window editorWindow()
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(observer, Window(window->windowId()), &root, &parent, &children, &count) && count > 0)
            found = children[0];
        if (children != nullptr)
            XFree(children);
        return found;
    }

    unsigned int childCount(Window w)
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(observer, w, &root, &parent, &children, &count);
        if (children != nullptr)
            XFree(children);
        return count;
    }

    // Mapped override-redirect windows on the screen (the open menus), bottom to top.
    std::vector<Geometry> popups()
    {
        std::vector<Geometry> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(observer, DefaultRootWindow(observer), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(observer, children[i], &a) && a.override_redirect && a.map_state == IsViewable)
                found.push_back({children[i], a.x, a.y, a.width, a.height});
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // Pixels 0x00RRGGBB of a window, row by row (each channel scaled to 8 bits from the
    // window's visual).
    std::vector<uint32_t> grab(Window w, int width, int height)
    {
        std::vector<uint32_t> pixels;
        XImage* image = XGetImage(observer, w, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return pixels;
        const unsigned long masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                uint32_t rgb = 0;
                for (unsigned long mask : masks) {
                    const unsigned long shift = unsigned(__builtin_ctzl(mask));
                    const unsigned long top = mask >> shift;
                    rgb = (rgb << 8) | uint32_t((((pixel & mask) >> shift) * 255 + top / 2) / top);
                }
                pixels.push_back(rgb);
            }
        XDestroyImage(image);
        return pixels;
    }

    // How far a channel of window w may be from the 8-bit one it shows: none where its visual
    // has 8 bits or more, else half a step of its levels.
    int channelTolerance(Window w)
    {
        XWindowAttributes a;
        if (!XGetWindowAttributes(observer, w, &a))
            return 0;
        const Visual* visual = a.visual;
        int bits = 8;
        for (unsigned long mask : {visual->red_mask, visual->green_mask, visual->blue_mask})
            bits = std::min(bits, __builtin_popcountl(mask));
        return bits >= 8 ? 0 : (255 / ((1 << bits) - 1) + 1) / 2;
    }

    // The top-left width x height of the screen as a PNG file.
    void writeScreen(const char* path, int width, int height)
    {
        const std::vector<uint32_t> pixels = grab(DefaultRootWindow(observer), width, height);
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < height && !pixels.empty(); ++y)
            std::memcpy(data + y * stride, &pixels[size_t(y) * size_t(width)], size_t(width) * 4);
        cairo_surface_mark_dirty(image);
        cairo_surface_write_to_png(image, path);
        cairo_surface_destroy(image);
    }

    float parameter(int index) { return host->getParameter(index); }

    // Waits up to 10 s for the top-level window whose title starts with title to show the
    // plug-in's window.
    bool waitForEditorIn(const char* title)
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            Window root = 0, parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            bool shown = false;
            XQueryTree(observer, DefaultRootWindow(observer), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count && !shown; ++i) {
                char* name = nullptr;
                if (XFetchName(observer, children[i], &name) && name != nullptr) {
                    if (std::strncmp(name, title, std::strlen(title)) == 0 && childCount(children[i]) > 0) {
                        Window* inner = nullptr;
                        unsigned int innerCount = 0;
                        XWindowAttributes a;
                        if (XQueryTree(observer, children[i], &root, &parent, &inner, &innerCount) && innerCount > 0)
                            shown = XGetWindowAttributes(observer, inner[0], &a) && a.map_state == IsViewable;
                        if (inner != nullptr)
                            XFree(inner);
                    }
                    XFree(name);
                }
            }
            if (children != nullptr)
                XFree(children);
            if (shown) {
                usleep(300000); // its first idles draw it
                return true;
            }
            usleep(50000);
        }
        return false;
    }

    // The resource bases of the server's clients now, and the client that made window.
    std::set<XID> clientBases(XID* maskOut = nullptr)
    {
        std::set<XID> bases;
        int count = 0;
        XResClient* list = nullptr;
        if (!XResQueryClients(observer, &count, &list))
            return bases;
        for (int i = 0; i < count; ++i) {
            bases.insert(list[i].resource_base);
            if (maskOut != nullptr)
                *maskOut = list[i].resource_mask;
        }
        XFree(list);
        return bases;
    }

    XID clientOf(Window w)
    {
        XID mask = 0;
        const std::set<XID> bases = clientBases(&mask);
        return w != 0 && bases.count(w & ~mask) != 0 ? (w & ~mask) : 0;
    }

    // Polls condition until it holds, for at most five seconds.
    static bool waitUntil(const std::function<bool()>& condition)
    {
        for (int i = 0; i < 500; ++i) {
            if (condition())
                return true;
            usleep(10000);
        }
        return condition();
    }

    // Shared-memory segments this process made that still exist (attached or not).
    static int sharedSegments()
    {
        std::ifstream table("/proc/sysvipc/shm");
        std::string line;
        std::getline(table, line); // the column names
        int count = 0;
        while (std::getline(table, line)) {
            std::istringstream fields(line);
            long key = 0, id = 0, perms = 0, creator = 0;
            unsigned long size = 0;
            if (fields >> key >> id >> perms >> size >> creator && creator == long(getpid()))
                ++count;
        }
        return count;
    }

    // The back buffer goes through shared memory unless the run says the server cannot share
    // it (no extension, or a connection over the network).
    static int expectedSegments()
    {
        const char* shared = std::getenv("ORVANNE_EXPECT_SHARED_MEMORY");
        return shared != nullptr && std::strcmp(shared, "0") == 0 ? 0 : 1;
    }

    // Mapped top-level windows on the screen that are not menus (host windows, dialogs).
    int shownWindows()
    {
        int shown = 0;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(observer, DefaultRootWindow(observer), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(observer, children[i], &a) && !a.override_redirect && a.map_state == IsViewable)
                ++shown;
        }
        if (children != nullptr)
            XFree(children);
        return shown;
    }

    // The save menu, then one of its entries (0: "Save New Preset As...", 1: "Save Current Preset").
    void chooseSaveEntry(int entry, int top = 0)
    {
        click(330, top + 9);
        const std::vector<Geometry> menus = popups();
        if (menus.size() == 1)
            xdo({"mousemove", std::to_string(menus[0].x + 20), std::to_string(menus[0].y + 11 + 20 * entry), "click",
                 "1"});
    }

    // A preset file in the user folder, made from the plug-in's state with Input Thres at value.
    void writeUserPreset(const char* name, float value)
    {
        const float before = parameter(kInputThres);
        host->setParameter(kInputThres, value);
        const std::vector<unsigned char> chunk = host->getChunk(true);
        host->setParameter(kInputThres, before);
        ASSERT_FALSE(chunk.empty());
        const std::string folder = presetRoot(dataHome) + "00-User Presets";
        ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
        std::ofstream(folder + "/" + name + ".prg", std::ios::binary)
            .write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    }

    // The mapped top-level window (not a menu) whose title is title, waiting up to 5 s for it.
    bool findShown(const char* title, Geometry& found)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            Window root = 0, parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            bool shown = false;
            XQueryTree(observer, DefaultRootWindow(observer), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count && !shown; ++i) {
                XWindowAttributes a;
                char* name = nullptr;
                if (XGetWindowAttributes(observer, children[i], &a) && a.map_state == IsViewable &&
                    XFetchName(observer, children[i], &name) && name != nullptr) {
                    shown = std::strcmp(name, title) == 0;
                    if (shown)
                        found = {children[i], a.x, a.y, a.width, a.height};
                }
                if (name != nullptr)
                    XFree(name);
            }
            if (children != nullptr)
                XFree(children);
            if (shown)
                return true;
            usleep(50000);
        }
        return false;
    }

    // Pixels of the read-out (the text right of the preset bar).
    std::vector<uint32_t> readout()
    {
        std::vector<uint32_t> all = grab(editorWindow(), 923, 20);
        std::vector<uint32_t> part;
        for (int y = 1; y < 19 && !all.empty(); ++y)
            for (int x = 622; x < 869; ++x)
                part.push_back(all[size_t(y) * 923 + size_t(x)]);
        return part;
    }

    enum class Closing { Editor, Effect };

    // Opens a menu or dialog with openIt; once it shows, the host closes the editor (its window
    // too) or the whole effect from its next idle, which the open menu or dialog runs. The menu
    // or dialog goes with the editor, nothing freed is touched (ASan build), and a new editor
    // (on a new instance after effClose) opens and answers the mouse.
    void closeFromIdleWhileOpen(Closing closing, const std::function<void()>& openIt, const char* what)
    {
        SCOPED_TRACE(what);
        std::atomic<bool> armed(false);
        int closes = 0;
        const int windowsBefore = shownWindows();
        size_t menusShown = 0;
        int windowsShown = 0;
        std::vector<Geometry> menusAfter;
        int windowsAfter = 0;
        // The host's own loop goes on while the menu or dialog waits for the user, and closes
        // from there.
        const auto idleFor = [&](int milliseconds) {
            if (armed.exchange(false)) {
                ++closes;
                if (closing == Closing::Editor)
                    window->close();
                else
                    host->dispatch(effClose);
            }
            window->runFor(milliseconds);
        };
        EXPECT_TRUE(test_support::driveWhileIdling(
            [&]() {
                openIt();
                menusShown = popups().size();
                windowsShown = shownWindows();
                armed = true;
                for (int i = 0; i < 100 && armed; ++i)
                    usleep(20000);
                usleep(300000);
                menusAfter = popups();
                windowsAfter = shownWindows();
            },
            idleFor))
            << "a menu or dialog stayed open";
        EXPECT_EQ(closes, 1) << "the host's loop ran while it was open";
        EXPECT_TRUE(menusShown > 0 || windowsShown > windowsBefore) << "it opened";
        EXPECT_TRUE(menusAfter.empty());
        EXPECT_EQ(windowsAfter, windowsBefore - (closing == Closing::Editor ? 1 : 0)) << "it went with the editor";

        window.reset();
        if (closing == Closing::Effect) {
            EXPECT_TRUE(host->isClosed());
            host.reset();
        }
        openEditor();
        const float before = parameter(kInputThres);
        drive([&]() { click(kKnobX, kKnobY, 4); });
        EXPECT_GT(parameter(kInputThres), before) << "the editor opened again works";
    }

    TempTree data;
    std::string dataHome;
    Display* observer = nullptr;
    std::unique_ptr<PluginHost> host;
    std::unique_ptr<EditorWindow> window;
};

TEST_F(X11EditorWindowTest, WindowShowsTheHeadlessPictureOutsideTheTextFields)
{
    openEditor();
    EXPECT_EQ(sharedSegments(), expectedSegments()) << "the way the pictures go to the server";
    // A step up and back down redraws the knob's part of the window twice, the pointer leaves.
    drive([&]() {
        click(kKnobX, kKnobY, 4);
        click(kKnobX, kKnobY, 5);
        xdo({"mousemove", "640", "900"});
    });
    const Window editor = editorWindow();
    ASSERT_NE(editor, 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(observer, editor, &a));
    EXPECT_EQ(a.width, 923);
    EXPECT_EQ(a.height, 278);
    EXPECT_EQ(a.map_state, IsViewable);
    const std::vector<uint32_t> shown = grab(editor, 923, 278);
    ASSERT_EQ(shown.size(), 923u * 278u);

    const std::string reference = dataHome + "/reference.png";
    const std::string command = std::string(ORVANNE_SNAPSHOT) + " " + reference;
    ASSERT_EQ(std::system(command.c_str()), 0);
    cairo_surface_t* png = cairo_image_surface_create_from_png(reference.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(png), 923);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    // The preset name and the read-out hold text, whose rasterisation may differ.
    auto inText = [](int x, int y) {
        return (x >= 376 && x < 546 && y >= 2 && y < 17) || (x >= 622 && x < 869 && y >= 1 && y < 19);
    };
    // Screens of fewer bits show each channel at the nearest of their levels.
    const int tolerance = channelTolerance(editor);
    auto near = [tolerance](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
                return false;
        return true;
    };
    int differing = 0;
    for (int y = 0; y < 278; ++y)
        for (int x = 0; x < 923; ++x) {
            if (inText(x, y))
                continue;
            const uint32_t expected = reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffffu;
            if (!near(shown[size_t(y) * 923 + size_t(x)], expected) && ++differing <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << std::hex << ": window "
                              << shown[size_t(y) * 923 + size_t(x)] << ", headless " << expected;
        }
    EXPECT_EQ(differing, 0);
    cairo_surface_destroy(png);
}

TEST_F(X11EditorWindowTest, DragWheelAndControlClickOnInputThres)
{
    openEditor();
    const float initial = parameter(kInputThres);
    const size_t before = host->record().editSequence.size();
    const std::string x = std::to_string(kKnobX);
    run({"mousemove", x, std::to_string(kKnobY), "mousedown", "1", "sleep", "0.1", "mousemove", x,
         std::to_string(kKnobY - 20), "sleep", "0.1", "mousemove", x, std::to_string(kKnobY - 40), "sleep", "0.1",
         "mouseup", "1"});
    const float dragged = parameter(kInputThres);
    EXPECT_GT(dragged, initial);
    // The host saw the change as automation inside one begin/end bracket.
    const auto& sequence = host->record().editSequence;
    ASSERT_GE(sequence.size(), before + 3);
    EXPECT_EQ(sequence[before], std::make_pair(VstInt32(audioMasterBeginEdit), VstInt32(kInputThres)));
    EXPECT_EQ(sequence.back(), std::make_pair(VstInt32(audioMasterEndEdit), VstInt32(kInputThres)));
    for (size_t i = before + 1; i + 1 < sequence.size(); ++i)
        EXPECT_EQ(sequence[i], std::make_pair(VstInt32(audioMasterAutomate), VstInt32(kInputThres)));
    EXPECT_FLOAT_EQ(host->record().automation.back().value, dragged);

    drive([&]() { click(kKnobX, kKnobY, 4); });
    const float up = parameter(kInputThres);
    EXPECT_GT(up, dragged);
    drive([&]() { click(kKnobX, kKnobY, 5); });
    EXPECT_FLOAT_EQ(parameter(kInputThres), dragged);

    run({"mousemove", x, std::to_string(kKnobY), "keydown", "ctrl", "click", "1", "keyup", "ctrl"});
    EXPECT_FLOAT_EQ(parameter(kInputThres), initial);

    // The same drag, pressed, moved and let go between two of the host's idles, ends where it
    // let go.
    std::atomic<bool> pause(false), paused(false);
    EXPECT_TRUE(test_support::driveWhileIdling(
        [&]() {
            xdo({"mousemove", x, std::to_string(kKnobY)});
            pause = true;
            EXPECT_TRUE(waitUntil([&]() { return paused.load(); })) << "the host did not stop idling";
            xdo({"mousedown", "1", "mousemove", x, std::to_string(kKnobY - 40), "mouseup", "1"}, 100);
            pause = false;
        },
        [&](int milliseconds) {
            paused = pause.load();
            if (paused)
                usleep(1000 * milliseconds);
            else
                window->runFor(milliseconds);
        }));
    EXPECT_FLOAT_EQ(parameter(kInputThres), dragged) << "the last stretch of a quick drag was lost";
}

TEST_F(X11EditorWindowTest, PresetMenuFolderSubmenuChoosesAPreset)
{
    load();
    // The user folder (the only one, so the first folder of the menu) with one preset: the
    // current state with Input Thres moved.
    host->setParameter(kInputThres, 0.8f);
    const std::vector<unsigned char> chunk = host->getChunk(true);
    host->setParameter(kInputThres, 0.5f);
    ASSERT_FALSE(chunk.empty());
    const std::string folder = presetRoot(dataHome) + "00-User Presets";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    std::ofstream(folder + "/Loud.prg", std::ios::binary)
        .write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    openEditor();

    // The pointer way: press on the name, move onto the folder, across into its submenu.
    std::vector<Geometry> first, second, after;
    drive([&]() {
        click(420, 9);
        first = popups();
        if (first.size() != 1)
            return;
        xdo({"mousemove", std::to_string(first[0].x + 30), std::to_string(first[0].y + 38)});
        second = popups();
        if (second.size() != 2)
            return;
        // ORVANNE_X11_SCREENSHOT=FILE.png keeps a picture of the screen with the menus open.
        if (const char* screenshot = std::getenv("ORVANNE_X11_SCREENSHOT"))
            writeScreen(screenshot, 923, 330);
        xdo({"mousemove", std::to_string(second[1].x + 30), std::to_string(second[1].y + 11), "click", "1"});
        after = popups();
    });
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].x, 376);
    ASSERT_EQ(second.size(), 2u) << "the folder's submenu opens";
    EXPECT_EQ(second[1].x, first[0].x + first[0].width);
    EXPECT_TRUE(after.empty());
    EXPECT_NEAR(parameter(kInputThres), 0.8f, 1e-6);

    // Escape and a click outside dismiss without a choice.
    size_t shown = 0;
    drive([&]() {
        click(420, 9);
        shown = popups().size();
        xdo({"key", "Escape"});
        after = popups();
    });
    EXPECT_EQ(shown, 1u);
    EXPECT_TRUE(after.empty());
    drive([&]() {
        click(420, 9);
        click(800, 250);
        after = popups();
    });
    EXPECT_TRUE(after.empty());
    EXPECT_NEAR(parameter(kInputThres), 0.8f, 1e-6);

    // The keyboard: down to the factory setting and Enter.
    drive([&]() {
        click(420, 9);
        xdo({"key", "Down", "Return"});
    });
    EXPECT_NEAR(parameter(kInputThres), 0.5f, 1e-6);
    // Down over the separator to the folder, Right into it, Enter.
    drive([&]() {
        click(420, 9);
        xdo({"key", "Down", "Down", "Right", "Return"});
    });
    EXPECT_NEAR(parameter(kInputThres), 0.8f, 1e-6);
}

TEST_F(X11EditorWindowTest, SaveAsWritesTheTypedNameAndTheWarningIsAnsweredYesAndNo)
{
    openEditor();
    host->setParameter(kInputThres, 0.7f);
    // The save menu, then its first entry ("Save New Preset As..."), then the name.
    drive([&]() {
        chooseSaveEntry(0);
        xdo({"type", "--delay", "20", "My Presetx"});
        xdo({"key", "BackSpace", "Return"});
    });
    const std::string saved = presetRoot(dataHome) + "00-User Presets/My Preset.prg";
    ASSERT_TRUE(fileExists(saved));
    const std::vector<unsigned char> first = readFile(saved);
    EXPECT_EQ(first.size(), 56u);

    // "Save Current Preset" asks first: No (Escape) keeps the file, Yes (Enter) overwrites it.
    host->setParameter(kInputThres, 0.3f);
    drive([&]() {
        chooseSaveEntry(1);
        xdo({"key", "Escape"});
    });
    EXPECT_EQ(readFile(saved), first);
    drive([&]() {
        chooseSaveEntry(1);
        xdo({"key", "Return"});
    });
    EXPECT_NE(readFile(saved), first);

    // Escape cancels Save-As: nothing new is written.
    drive([&]() {
        chooseSaveEntry(0);
        xdo({"type", "Other"});
        xdo({"key", "Escape"});
    });
    EXPECT_FALSE(fileExists(presetRoot(dataHome) + "00-User Presets/Other.prg"));
}

// The server's keyboard layout for one test (xkb); the US layout again at the end.
struct KeyboardLayout {
    explicit KeyboardLayout(const char* layout) { ok = std::system((std::string("setxkbmap ") + layout).c_str()) == 0; }
    ~KeyboardLayout() { (void)std::system("setxkbmap us"); }
    bool ok = false;
};

TEST_F(X11EditorWindowTest, SaveAsFieldTakesWhatTheKeyboardGives)
{
    struct KeyCase {
        const char* what;
        const char* layout;
        std::vector<std::vector<std::string>> keys;
        const char* saved;
    };
    const std::string field = "FIELD"; // replaced by a click at the field's left end
    const KeyCase cases[] = {
        {"US layout, Shift", "us", {{"type", "Abc DEF"}}, "Abc DEF"},
        {"German layout: umlauts", "de", {{"type", "München äö"}}, "München äö"},
        {"German layout: Shift gives the layout's symbols", "de", {{"type", "Größe & Co (2)"}}, "Größe & Co (2)"},
        {"German layout: dead accent, Shift+umlaut",
         "de",
         {{"type", "Caf"}, {"key", "dead_acute", "e"}, {"type", " Ü"}},
         "Café Ü"},
        {"German layout: dead accent, then the letter",
         "de",
         {{"key", "dead_acute", "e", "dead_circumflex", "a"}},
         "éâ"},
        {"Russian layout", "ru", {{"type", "Жар"}}, "Жар"},
        {"German layout: AltGr", "de", {{"type", "5"}, {"key", "EuroSign"}}, "5€"},
        {"BackSpace removes a whole character", "de", {{"type", "Tönö"}, {"key", "BackSpace"}}, "Tön"},
        {"Ctrl+A selects all, typing replaces it", "us", {{"type", "Old"}, {"key", "ctrl+a"}, {"type", "New"}}, "New"},
        {"Ctrl+A, Ctrl+C, End, Ctrl+V", "de", {{"type", "Äb"}, {"key", "ctrl+a", "ctrl+c", "End", "ctrl+v"}}, "ÄbÄb"},
        {"Ctrl+X cuts, Ctrl+V twice", "us", {{"type", "Xy"}, {"key", "ctrl+a", "ctrl+x", "ctrl+v", "ctrl+v"}}, "XyXy"},
        {"Shift+Left selects, typing replaces",
         "us",
         {{"type", "Bass"}, {"key", "shift+Left", "shift+Left"}, {"type", "ck"}},
         "Back"},
        {"a click moves the cursor", "us", {{"type", "ac"}, {field}, {"type", "Z"}}, "Zac"},
        {"at most 31 bytes, whole characters", "de", {{"type", "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"}}, "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"},
    };
    openEditor();
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        KeyboardLayout layout(c.layout);
        ASSERT_TRUE(layout.ok) << "setxkbmap " << c.layout;
        bool shown = false;
        drive([&]() {
            chooseSaveEntry(0);
            Geometry dialog{};
            shown = findShown("Save Preset As", dialog);
            if (!shown)
                return;
            for (const std::vector<std::string>& step : c.keys) {
                if (step.size() == 1 && step[0] == field)
                    click(dialog.x + 18, dialog.y + 50);
                else
                    xdo(step, 100);
            }
            xdo({"key", "Return"});
        });
        ASSERT_TRUE(shown) << "the Save-As dialog opened";
        EXPECT_TRUE(fileExists(presetRoot(dataHome) + "00-User Presets/" + c.saved + ".prg"))
            << "expected " << c.saved << ".prg";
    }
}

TEST_F(X11EditorWindowTest, AFailedSaveShowsTheDrawnMessage)
{
    openEditor();
    bool prompted = false;
    bool told = false;
    Geometry message{};
    std::vector<uint32_t> pixels;
    drive([&]() {
        chooseSaveEntry(0);
        Geometry dialog{};
        prompted = findShown("Save Preset As", dialog);
        xdo({"type", "Rock/Pop"});
        xdo({"key", "Return"});
        told = findShown("Preset Not Saved", message);
        if (told)
            pixels = grab(message.window, message.width, message.height);
        xdo({"key", "Return"});
    });
    EXPECT_TRUE(prompted);
    ASSERT_TRUE(told) << "a drawn \"Preset Not Saved\" message";
    EXPECT_LT(message.width, 1000) << "the long text is wrapped";
    ASSERT_FALSE(pixels.empty());
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels[0]), std::ptrdiff_t(pixels.size())) << "text drawn";
    EXPECT_FALSE(fileExists(presetRoot(dataHome) + "00-User Presets/Rock"));
    EXPECT_EQ(shownWindows(), 1) << "the message went with its OK";
}

TEST_F(X11EditorWindowTest, ReadoutClearsAfterAPresetChosenWithTheMouse)
{
    load();
    writeUserPreset("Loud", 0.8f);
    openEditor();
    run({"mousemove", "700", "250"});
    const std::vector<uint32_t> blank = readout();
    // Pressed on the name, dragged through the folder into its submenu, released on the preset:
    // the release goes to the menu, which holds the pointer.
    drive([&]() {
        xdo({"mousemove", "420", "9", "mousedown", "1"});
        std::vector<Geometry> menus = popups();
        if (menus.size() == 1) {
            xdo({"mousemove", std::to_string(menus[0].x + 30), std::to_string(menus[0].y + 38)});
            menus = popups();
        }
        if (menus.size() == 2)
            xdo({"mousemove", std::to_string(menus[1].x + 30), std::to_string(menus[1].y + 11)});
        xdo({"mouseup", "1"});
    });
    ASSERT_NEAR(parameter(kInputThres), 0.8f, 1e-6) << "the preset was chosen";
    // The pointer stays where the menu was; the read-out goes blank within 5 s.
    bool cleared = false;
    for (int i = 0; i < 50 && !cleared; ++i) {
        window->runFor(100);
        cleared = readout() == blank;
    }
    EXPECT_TRUE(cleared) << "the read-out still shows the last parameter";
}

TEST_F(X11EditorWindowTest, TheKeyboardStaysWithTheHostUnlessAKnobIsClicked)
{
    openEditor();
    const Window host = Window(window->windowId());
    XSetInputFocus(observer, host, RevertToParent, CurrentTime);
    XSync(observer, False);
    auto focused = [&]() {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(observer, &w, &revert);
        return w;
    };
    drive([&]() { click(700, 250); });
    EXPECT_EQ(focused(), host) << "a click on the background";
    drive([&]() {
        click(330, 9);
        xdo({"key", "Escape"});
    });
    EXPECT_EQ(focused(), host) << "a click on the save menu";
    drive([&]() { click(kKnobX, kKnobY); });
    EXPECT_EQ(focused(), editorWindow()) << "a click on a knob, whose arrows then move it";
    const float before = parameter(kInputThres);
    run({"key", "Up"});
    EXPECT_GT(parameter(kInputThres), before);
}

TEST_F(X11EditorWindowTest, SaveAsBelongsToTheHostWindowNotTheManagersFrame)
{
    openEditor();
    // A reparenting window manager's doing: the host's window inside a frame, marked managed.
    const Window host = Window(window->windowId());
    const Window frame = XCreateSimpleWindow(observer, DefaultRootWindow(observer), 0, 0, 1000, 400, 0, 0, 0);
    XMapWindow(observer, frame);
    XReparentWindow(observer, host, frame, 0, 0);
    const Atom wmState = XInternAtom(observer, "WM_STATE", False);
    const long normal[2] = {NormalState, None};
    XChangeProperty(observer, host, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(normal), 2);
    XMapWindow(observer, host);
    XSync(observer, False);
    window->runFor(200);
    Window owner = 0;
    bool shown = false;
    drive([&]() {
        chooseSaveEntry(0);
        Geometry dialog{};
        shown = findShown("Save Preset As", dialog);
        if (shown)
            XGetTransientForHint(observer, dialog.window, &owner);
        xdo({"key", "Escape"});
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(owner, host);
    XReparentWindow(observer, host, DefaultRootWindow(observer), 0, 0);
    XDestroyWindow(observer, frame);
    XSync(observer, False);
}

TEST_F(X11EditorWindowTest, ArrowsStepThroughPresetsAndAboutOpensAndCloses)
{
    load();
    const std::string folder = presetRoot(dataHome) + "Bank A";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    for (float v : {0.2f, 0.9f}) {
        host->setParameter(kInputThres, v);
        const std::vector<unsigned char> chunk = host->getChunk(true);
        std::ofstream(folder + (v < 0.5f ? "/A.prg" : "/B.prg"), std::ios::binary)
            .write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    }
    host->setParameter(kInputThres, 0.5f);
    openEditor();
    drive([&]() { click(555, 9); });
    const float afterNext = parameter(kInputThres);
    EXPECT_NE(afterNext, 0.5f);
    drive([&]() { click(555, 9); });
    EXPECT_NE(parameter(kInputThres), afterNext);
    drive([&]() { click(360, 9); });
    EXPECT_FLOAT_EQ(parameter(kInputThres), afterNext);

    const Window editor = editorWindow();
    run({"mousemove", "460", "250"});
    const std::vector<uint32_t> plain = grab(editor, 923, 278);
    drive([&]() {
        click(28, 160);
        xdo({"mousemove", "460", "250"});
    });
    EXPECT_NE(grab(editor, 923, 278), plain) << "the About picture is shown";
    drive([&]() {
        click(460, 140);
        xdo({"mousemove", "460", "250"});
    });
    EXPECT_EQ(grab(editor, 923, 278), plain) << "and gone again";
}

TEST_F(X11EditorWindowTest, HostClosesTheEditorFromItsIdleInsideMenuSaveAsAndWarning)
{
    load();
    writeUserPreset("Loud", 0.8f);
    openEditor();
    closeFromIdleWhileOpen(
        Closing::Editor, [&]() { click(420, 9); }, "the preset menu");
    closeFromIdleWhileOpen(
        Closing::Editor, [&]() { chooseSaveEntry(0); }, "the Save-As dialog");
    EXPECT_EQ(readFile(presetRoot(dataHome) + "00-User Presets/Loud.prg").size(), 56u);
    // The user's preset is current, so "Save Current Preset" asks first.
    drive([&]() {
        click(420, 9);
        xdo({"key", "Down", "Down", "Right", "Return"});
    });
    ASSERT_NEAR(parameter(kInputThres), 0.8f, 1e-6);
    host->setParameter(kInputThres, 0.3f);
    const std::vector<unsigned char> saved = readFile(presetRoot(dataHome) + "00-User Presets/Loud.prg");
    closeFromIdleWhileOpen(
        Closing::Editor, [&]() { chooseSaveEntry(1); }, "the Warning question");
    EXPECT_EQ(readFile(presetRoot(dataHome) + "00-User Presets/Loud.prg"), saved) << "closing is no Yes";
}

TEST_F(X11EditorWindowTest, HostClosesTheEffectFromItsIdleInsideMenuSaveAsAndWarning)
{
    load();
    writeUserPreset("Loud", 0.8f);
    openEditor();
    closeFromIdleWhileOpen(
        Closing::Effect, [&]() { click(420, 9); }, "the preset menu");
    closeFromIdleWhileOpen(
        Closing::Effect, [&]() { chooseSaveEntry(0); }, "the Save-As dialog");
    drive([&]() {
        click(420, 9);
        xdo({"key", "Down", "Down", "Right", "Return"});
    });
    ASSERT_NEAR(parameter(kInputThres), 0.8f, 1e-6);
    closeFromIdleWhileOpen(
        Closing::Effect, [&]() { chooseSaveEntry(1); }, "the Warning question");
}

// The editor never holds the host: while a knob is held, a menu is open or a dialog waits, the
// host's own loop goes on (its idle calls return), and what the user does meanwhile reaches the
// editor through those idles.
TEST_F(X11EditorWindowTest, HostLoopGoesOnWhileAKnobIsHeldOrAMenuOrDialogIsOpen)
{
    openEditor();
    struct Case {
        const char* what;
        std::function<void()> open;
        std::function<bool()> isOpen;
        std::function<void()> whileOpen;
        std::function<void()> end;
    };
    const std::string x = std::to_string(kKnobX);
    const int before = shownWindows();
    float heldValue = 0.f;
    const Case cases[] = {
        {"a knob held",
         [&]() {
             xdo({"mousemove", x, std::to_string(kKnobY), "mousedown", "1", "mousemove", x,
                  std::to_string(kKnobY - 5)});
         },
         [&]() { return true; },
         [&]() {
             heldValue = parameter(kInputThres);
             xdo({"mousemove", x, std::to_string(kKnobY - 40)}, 0);
             EXPECT_TRUE(waitUntil([&]() { return parameter(kInputThres) > heldValue; }))
                 << "the drag went on through the host's idles";
         },
         [&]() {
             xdo({"mouseup", "1"});
         }},
        {"the preset menu", [&]() { click(420, 9); }, [&]() { return !popups().empty(); }, nullptr,
         [&]() {
             xdo({"key", "Escape"});
         }},
        {"the Save-As dialog", [&]() { chooseSaveEntry(0); }, [&]() { return shownWindows() > before; }, nullptr,
         [&]() {
             xdo({"key", "Escape"});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<int> idles(0);
        bool opened = false;
        bool stillOpen = false;
        // One host idle per step, each counted when it has returned.
        const auto idleFor = [&](int milliseconds) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
            while (std::chrono::steady_clock::now() < end && window->step()) {
                ++idles;
                usleep(5000);
            }
        };
        EXPECT_TRUE(test_support::driveWhileIdling(
            [&]() {
                c.open();
                opened = waitUntil(c.isOpen);
                const int start = idles.load();
                EXPECT_TRUE(waitUntil([&]() { return idles.load() >= start + 20; })) << "the host's loop stopped";
                if (c.whileOpen)
                    c.whileOpen();
                stillOpen = c.isOpen();
                c.end();
            },
            idleFor));
        EXPECT_TRUE(opened);
        EXPECT_TRUE(stillOpen) << "it stayed open while the host went on";
    }
}

// Two instances with their editors open wait for the user each on its own: a dialog waiting in
// one does not hold the other, and each dialog belongs to the window of the editor it came from.
TEST_F(X11EditorWindowTest, TwoEditorsEachKeepTheirOwnMenusAndDialogs)
{
    openEditor();
    std::string error;
    std::unique_ptr<PluginHost> secondHost = PluginHost::load(ORVANNE_PLUGIN, error);
    ASSERT_TRUE(secondHost) << error;
    secondHost->start(44100.f, 512);
    std::unique_ptr<EditorWindow> second = EditorWindow::open(*secondHost, "Orvanne second host", error);
    ASSERT_TRUE(second) << error;
    const int top = 400;
    XMoveWindow(observer, Window(second->windowId()), 0, top);
    XSync(observer, False);
    const int before = shownWindows();
    std::vector<Window> owners;
    size_t menusInSecond = 0;
    EXPECT_TRUE(test_support::driveWhileIdling(
        [&]() {
            chooseSaveEntry(0);
            EXPECT_TRUE(waitUntil([&]() { return shownWindows() == before + 1; })) << "the first Save-As";
            click(420, top + 9);
            EXPECT_TRUE(waitUntil([&]() { return !popups().empty(); })) << "the second editor's menu";
            menusInSecond = popups().size();
            xdo({"key", "Escape"});
            EXPECT_TRUE(waitUntil([&]() { return popups().empty(); }));
            chooseSaveEntry(0, top);
            EXPECT_TRUE(waitUntil([&]() { return shownWindows() == before + 2; })) << "the second Save-As";
            Window root = 0, parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            XQueryTree(observer, DefaultRootWindow(observer), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count; ++i) {
                Window owner = 0;
                XWindowAttributes a;
                if (XGetWindowAttributes(observer, children[i], &a) && a.map_state == IsViewable &&
                    XGetTransientForHint(observer, children[i], &owner))
                    owners.push_back(owner);
            }
            if (children != nullptr)
                XFree(children);
        },
        [&](int milliseconds) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
            while (std::chrono::steady_clock::now() < end && window->isOpen()) {
                window->step();
                second->step();
                usleep(5000);
            }
        }));
    EXPECT_EQ(menusInSecond, 1u);
    std::sort(owners.begin(), owners.end());
    std::vector<Window> expected{Window(window->windowId()), Window(second->windowId())};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(owners, expected) << "each dialog belongs to its own editor's window";
    // The hosts close their editors while the dialogs wait: both go with them, nothing written.
    second.reset();
    window.reset();
    EXPECT_EQ(shownWindows(), before - 2);
}

TEST_F(X11EditorWindowTest, HundredOpenCloseCyclesLeaveNothingBehind)
{
    load();
    std::string error;
    window = EditorWindow::open(*host, "Orvanne test host", error);
    ASSERT_TRUE(window) << error;
    window->runFor(100);
    // Only the connections this test made count: the server may have other clients come and go.
    const std::set<XID> before = clientBases();
    const XID hostClient = clientOf(Window(window->windowId()));
    const XID editorClient = clientOf(editorWindow());
    ASSERT_NE(hostClient, 0u);
    ASSERT_NE(editorClient, 0u);
    EXPECT_NE(hostClient, editorClient) << "the editor has a connection of its own";
    EXPECT_EQ(sharedSegments(), expectedSegments());
    window.reset();
    EXPECT_EQ(sharedSegments(), 0) << "the back buffer's segment is gone with the editor";
    EXPECT_TRUE(waitUntil([&]() {
        const std::set<XID> now = clientBases();
        return now.count(hostClient) == 0 && now.count(editorClient) == 0;
    })) << "the host's and the editor's connections are gone";
    const std::set<XID> baseline = clientBases();
    for (int i = 0; i < 100; ++i) {
        window = EditorWindow::open(*host, "Orvanne test host", error);
        ASSERT_TRUE(window) << error;
        window->step();
        window->step();
        EXPECT_EQ(childCount(Window(window->windowId())), 1u);
        window.reset();
    }
    std::set<XID> left;
    EXPECT_TRUE(waitUntil([&]() {
        left.clear();
        for (XID client : clientBases())
            if (baseline.count(client) == 0 && before.count(client) == 0)
                left.insert(client);
        return left.empty();
    })) << left.size()
        << " connection(s) opened by the cycles are still there";
    EXPECT_EQ(sharedSegments(), 0);
}

TEST_F(X11EditorWindowTest, RenderEditUsesTheSettingsTheWindowHadWhenClosed)
{
    const std::string state = dataHome + "/state.bin";
    const std::string out = dataHome + "/out.wav";
    std::vector<std::string> args{"orvanne-render", "--plugin", ORVANNE_PLUGIN, "--edit", "--save-state", state, "-q",
                                  "--demo",         out};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t render = 0;
    ASSERT_EQ(posix_spawn(&render, ORVANNE_RENDER, nullptr, nullptr, argv.data(), environ), 0);
    // The window sits at the screen's origin (no window manager): drag the knob up, close.
    const std::string x = std::to_string(kKnobX);
    xdo({"search", "--sync", "--name", "orvanne-render"});
    // The title comes before the editor (slow to open in the sanitizer build): a press on the
    // bare host window would be lost.
    EXPECT_TRUE(waitForEditorIn("orvanne-render")) << "the editor opened in the window";
    const Window root = DefaultRootWindow(observer);
    const std::vector<uint32_t> before = grab(root, 923, 278);
    xdo({"mousemove", x, std::to_string(kKnobY), "mousedown", "1", "sleep", "0.1", "mousemove", x,
         std::to_string(kKnobY - 30), "sleep", "0.1", "mouseup", "1"});
    // The host idles the editor in its own time (slowly in the sanitizer build): the window is
    // closed once the drag has been drawn and the picture has settled.
    std::vector<uint32_t> last;
    EXPECT_TRUE(waitUntil([&]() {
        std::vector<uint32_t> now = grab(root, 923, 278);
        const bool settled = now != before && now == last;
        last = std::move(now);
        return settled;
    })) << "the drag reached the editor";
    xdo({"search", "--name", "orvanne-render", "windowclose"});
    int status = 0;
    waitpid(render, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(fileExists(out));
    const std::vector<unsigned char> saved = readFile(state);
    ASSERT_EQ(saved.size(), 56u);
    float inputThres = 0.f;
    std::memcpy(&inputThres, saved.data() + 36 + 4 * kInputThres, sizeof inputThres); // tag, name, values
    EXPECT_GT(inputThres, 0.55f);
}

TEST_F(X11EditorWindowTest, EditFailsWithOneLineWithoutADisplay)
{
    load();
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    std::string error;
    std::unique_ptr<EditorWindow> none = EditorWindow::open(*host, "x", error);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(none);
    EXPECT_NE(error.find("display"), std::string::npos);
}

} // namespace
