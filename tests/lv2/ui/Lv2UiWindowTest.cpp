// The LV2 UI in a host's window: a small host on a virtual X display finds the plug-in's UI in
// the bundle through lilv, loads it through suil (an X11 UI in an X11 container: no wrapper),
// gives it its window as ui:parent, idles it through the idle interface and records what the
// UI writes. xdotool drives the real pointer; the window's pixels show what the port events did.
// Every step waits for what it shows (pixels, the host's record), each wait bounded.
#include "ChildProcess.h"
#include "EditorLayout.h"
#include "HostCallbacks.h"
#include "OrvannePorts.h"
#include "PresetFiles.h"
#include "TarvelleVST.h"
#include "TempTree.h"
#include "XObserver.h"
#include "XdoTool.h"

#include <gtest/gtest.h>

// Before Xlib, whose Bool macro would rename the forge's field.
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lilv/lilv.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <suil/suil.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace orvanne_lv2;
using namespace std::chrono_literals;
using test_support::Area;
using test_support::waitUntil;
constexpr uint32_t kInputThresPort = kPortInputThres;
constexpr uint32_t kPowerPort = kPortPower;
constexpr uint32_t kFirstMeterPort = kFirstMeter;
const int kKnobX = 156; // the "Input Thres" knob's centre
const int kKnobY = 131;

Area area(const layout::Box& box)
{
    return Area{box.left, box.top, box.width(), box.height()};
}

// The headless rendering of the opened editor: the same editor as the UI's.
std::string headless()
{
    return test_support::headlessPicture(ORVANNE_SNAPSHOT);
}

struct PortWrite {
    uint32_t port;
    uint32_t size;
    uint32_t protocol;
    float value;
    std::vector<unsigned char> bytes; // what a message write carried
};

// The host's URID map.
struct Uris {
    std::vector<std::string> uris;
    LV2_URID_Map map = {this, [](LV2_URID_Map_Handle handle, const char* uri) -> LV2_URID {
                            std::vector<std::string>& list = static_cast<Uris*>(handle)->uris;
                            for (size_t i = 0; i < list.size(); ++i)
                                if (list[i] == uri)
                                    return LV2_URID(i + 1);
                            list.emplace_back(uri);
                            return LV2_URID(list.size());
                        }};
    LV2_URID operator()(const char* uri) { return map.map(map.handle, uri); }
};

// The host: its window, the UI instance and what the UI told it.
struct Host {
    Display* display = nullptr;
    Window window = 0;
    SuilHost* suil = nullptr;
    SuilInstance* instance = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    std::vector<PortWrite> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    std::vector<std::pair<int, int>> resizes;
    // Run from inside the write function (a host acting on a write at once).
    std::function<void()> onWrite;

    static void write(SuilController controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
    {
        Host* host = static_cast<Host*>(controller);
        PortWrite w = {port, size, protocol, 0.0f, {}};
        if (size == sizeof(float) && buffer != nullptr)
            std::memcpy(&w.value, buffer, sizeof(float));
        if (buffer != nullptr)
            w.bytes.assign(static_cast<const unsigned char*>(buffer), static_cast<const unsigned char*>(buffer) + size);
        host->writes.push_back(w);
        if (host->onWrite)
            host->onWrite();
    }
    static void touch(SuilController controller, uint32_t port, bool grabbed)
    {
        static_cast<Host*>(controller)->touches.emplace_back(port, grabbed);
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<Host*>(handle)->resizes.emplace_back(width, height);
        return 0;
    }

    // The program names in the UI's patch:Set messages ("?" for a patch:Get).
    std::vector<std::string> namesSent(Uris& uris) const
    {
        std::vector<std::string> names;
        for (const PortWrite& w : writes) {
            if (w.port != kPortControl || w.protocol != uris(LV2_ATOM__eventTransfer) ||
                w.bytes.size() < sizeof(LV2_Atom))
                continue;
            const LV2_Atom_Object* object = reinterpret_cast<const LV2_Atom_Object*>(w.bytes.data());
            const LV2_Atom* property = nullptr;
            const LV2_Atom* value = nullptr;
            lv2_atom_object_get(object, uris(LV2_PATCH__property), &property, uris(LV2_PATCH__value), &value, 0);
            if (property == nullptr || reinterpret_cast<const LV2_Atom_URID*>(property)->body != uris(kProgramNameUri))
                continue;
            if (object->body.otype == uris(LV2_PATCH__Get))
                names.emplace_back("?");
            else if (object->body.otype == uris(LV2_PATCH__Set) && value != nullptr &&
                     value->type == uris(LV2_ATOM__String))
                names.emplace_back(static_cast<const char*>(LV2_ATOM_BODY_CONST(value)));
        }
        return names;
    }

    std::vector<float> writesTo(uint32_t port) const
    {
        std::vector<float> values;
        for (const PortWrite& w : writes)
            if (w.port == port)
                values.push_back(w.value);
        return values;
    }
};

class Lv2UiWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under a virtual X display (xvfb-run)";
        ASSERT_FALSE(data.path().empty());
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        host.display = XOpenDisplay(nullptr);
        ASSERT_NE(host.display, nullptr);
        ASSERT_NE(x.display(), nullptr);
        host.suil = suil_host_new(&Host::write, nullptr, nullptr, nullptr);
        suil_host_set_touch_func(host.suil, &Host::touch);
        findUi();
    }

    void TearDown() override
    {
        closeUi();
        destroyWindow();
        if (host.suil != nullptr)
            suil_host_free(host.suil);
        if (host.display != nullptr)
            XCloseDisplay(host.display);
    }

    void createWindow()
    {
        Display* d = host.display;
        XSetWindowAttributes attributes = {};
        attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
        host.window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, 923, 278, 0, CopyFromParent, InputOutput,
                                    CopyFromParent, CWBackPixel, &attributes);
        XMapWindow(d, host.window);
        XSync(d, False);
    }

    void destroyWindow()
    {
        if (host.window != 0) {
            XDestroyWindow(host.display, host.window);
            XSync(host.display, False);
            host.window = 0;
        }
    }

    // The UI in the host's window (a new one unless there is one), or without ui:parent; with
    // urid:map when the test offers it (withMap).
    SuilInstance* instantiate(bool withParent = true)
    {
        if (host.window == 0)
            createWindow();
        LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(host.window))};
        LV2UI_Resize resize = {&host, &Host::resize};
        LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
        LV2_Feature mapFeature = {LV2_URID__map, &uris.map};
        const LV2_Feature* withAll[] = {&parent, &resizeFeature, withMap ? &mapFeature : nullptr, nullptr};
        const LV2_Feature* withoutParent[] = {&resizeFeature, nullptr};
        return suil_instance_new(host.suil, &host, LV2_UI__X11UI, kPluginUri, kUiUri, LV2_UI__X11UI, uiBundle.c_str(),
                                 uiBinary.c_str(), withParent ? withAll : withoutParent);
    }

    // The plug-in's X11 UI as the bundle declares it, found as a host finds it; its bundle and
    // binary paths are kept for instantiate.
    void findUi()
    {
        LilvWorld* world = lilv_world_new();
        LilvNode* path = lilv_new_string(world, ORVANNE_LV2_PATH);
        lilv_world_set_option(world, LILV_OPTION_LV2_PATH, path);
        lilv_node_free(path);
        lilv_world_load_all(world);
        LilvNode* pluginUri = lilv_new_uri(world, kPluginUri);
        LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), pluginUri);
        LilvUIs* uis = plugin != nullptr ? lilv_plugin_get_uis(plugin) : nullptr;
        unsigned found = 0;
        if (uis != nullptr) {
            LILV_FOREACH(uis, i, uis)
            {
                const LilvUI* ui = lilv_uis_get(uis, i);
                ++found;
                if (std::strcmp(lilv_node_as_uri(lilv_ui_get_uri(ui)), kUiUri) != 0 || !lilv_ui_is_a(ui, x11))
                    continue;
                char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
                char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
                uiBundle = bundle;
                uiBinary = binary;
                lilv_free(bundle);
                lilv_free(binary);
                // Its own description reads, and says what the host must give it.
                EXPECT_GE(lilv_world_load_resource(world, lilv_ui_get_uri(ui)), 1);
                LilvNode* required = lilv_new_uri(world, LV2_CORE__requiredFeature);
                LilvNode* parent = lilv_new_uri(world, LV2_UI__parent);
                EXPECT_TRUE(lilv_world_ask(world, lilv_ui_get_uri(ui), required, parent));
                lilv_node_free(parent);
                lilv_node_free(required);
            }
            lilv_uis_free(uis);
        }
        lilv_node_free(x11);
        lilv_node_free(pluginUri);
        lilv_world_free(world);
        ASSERT_EQ(found, 1u) << "one UI for the plug-in";
        ASSERT_FALSE(uiBinary.empty()) << "the UI is an X11 UI";
        EXPECT_EQ(suil_ui_supported(LV2_UI__X11UI, LV2_UI__X11UI), 1u) << "embedded directly";
    }

    void openUi()
    {
        host.instance = instantiate();
        ASSERT_NE(host.instance, nullptr);
        host.idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            suil_instance_extension_data(host.instance, LV2_UI__idleInterface));
        ASSERT_NE(host.idleInterface, nullptr);
        // Drawn: the background shows the headless picture's colour where no control is.
        ASSERT_TRUE(idleUntil([&]() {
            return x.compare(uiWindow(), {700, 250, 1, 1}, headless()).empty();
        })) << "the UI did not draw itself within 20 s";
    }

    void closeUi()
    {
        if (host.instance != nullptr)
            suil_instance_free(host.instance);
        host.instance = nullptr;
        host.idleInterface = nullptr;
    }

    // One turn of the host's loop: its own window's events, then the UI's idle.
    void idleOnce()
    {
        while (XPending(host.display) > 0) {
            XEvent event;
            XNextEvent(host.display, &event);
        }
        if (host.instance != nullptr) {
            EXPECT_EQ(host.idleInterface->idle(suil_instance_get_handle(host.instance)), 0);
        }
    }

    // The host's loop, the UI's idle about every 10 ms.
    void idleFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            idleOnce();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < end);
    }

    // The host's loop until condition holds, for at most timeout.
    bool idleUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s)
    {
        return test_support::waitUntil(
            [&]() {
                if (condition())
                    return true;
                idleOnce();
                return false;
            },
            timeout, 2);
    }

    // Until a box of the UI shows other pixels than before (or the same as before when same).
    bool idleUntilShown(const layout::Box& box, const std::vector<uint32_t>& before, bool same = false)
    {
        return idleUntil([&]() { return (pixels(box) == before) == same; });
    }

    void drive(const std::function<void()>& script)
    {
        EXPECT_TRUE(test_support::driveWhileIdling(script, [&](int milliseconds) { idleFor(milliseconds); }))
            << "a menu or dialog stayed open";
    }

    void xdo(const std::vector<std::string>& args) { EXPECT_TRUE(test_support::xdotool(args)) << "xdotool failed"; }

    // On the driving thread: a click on the preset name, then the menu drawn (it then holds the
    // pointer and the keyboard).
    void openPresetMenu()
    {
        xdo({"mousemove", "420", "9", "click", "1"});
        EXPECT_TRUE(waitUntil([&]() { return x.menusDrawn(1); }, 10s)) << "the preset menu did not open within 10 s";
    }

    void portEvent(uint32_t port, float value)
    {
        suil_instance_port_event(host.instance, port, sizeof(value), 0, &value);
    }

    // The UI's window (the widget it answered) and its pixels 0x00RRGGBB inside box.
    Window uiWindow() const
    {
        return host.instance != nullptr ? Window(reinterpret_cast<uintptr_t>(suil_instance_get_widget(host.instance)))
                                        : 0;
    }
    std::vector<uint32_t> pixels(const layout::Box& box) { return x.grab(uiWindow(), area(box)); }

    // The plug-in's patch:Set of its program name on its notify port, as the host passes it on.
    void notifyName(const char* name)
    {
        alignas(8) unsigned char buffer[128];
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &uris.map);
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof(buffer));
        LV2_Atom_Forge_Frame frame;
        const LV2_Atom* message = reinterpret_cast<const LV2_Atom*>(
            lv2_atom_forge_object(&forge, &frame, 0, uris(LV2_PATCH__Set)));
        lv2_atom_forge_key(&forge, uris(LV2_PATCH__property));
        lv2_atom_forge_urid(&forge, uris(kProgramNameUri));
        lv2_atom_forge_key(&forge, uris(LV2_PATCH__value));
        lv2_atom_forge_string(&forge, name, uint32_t(std::strlen(name)));
        lv2_atom_forge_pop(&forge, &frame);
        suil_instance_port_event(host.instance, kPortNotify, lv2_atom_total_size(message),
                                 uris(LV2_ATOM__eventTransfer), message);
    }

    TempTree data;
    test_support::XObserver x; // the test's own connection, also for the driving thread
    Host host;
    Uris uris;
    bool withMap = false;
    std::string uiBundle;
    std::string uiBinary;
};

TEST_F(Lv2UiWindowTest, OpensTheEditorInsideTheParentAndAsksForItsSize)
{
    openUi();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(host.display, uiWindow(), &root, &parent, &children, &count));
    if (children != nullptr)
        XFree(children);
    EXPECT_EQ(parent, host.window);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host.display, uiWindow(), &a));
    EXPECT_EQ(a.width, 923);
    EXPECT_EQ(a.height, 278);
    EXPECT_EQ(a.map_state, IsViewable);
    ASSERT_EQ(host.resizes.size(), 1u);
    EXPECT_EQ(host.resizes[0], std::make_pair(923, 278));
    // It shows what the headless rendering shows, but for the text (the preset name and the
    // read-out), whose rasterisation may differ.
    std::string differing;
    EXPECT_TRUE(idleUntil([&]() {
        differing = x.compare(uiWindow(), {0, 0, 923, 278}, headless(),
                              {area(layout::kPresetName), area(layout::kReadout)});
        return differing.empty();
    })) << differing;
    // Opening writes nothing: the plug-in's values are the host's to tell.
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(Lv2UiWindowTest, DraggingInputThresWritesItsPortInDecibels)
{
    openUi();
    std::string why;
    const Window ui = uiWindow();
    drive([&]() {
        EXPECT_TRUE(test_support::dragUp(x, ui, area(layout::kInputKnob), kKnobX, kKnobY, {20, 20}, why)) << why;
    });
    ASSERT_TRUE(idleUntil([&]() { return !host.touches.empty() && !host.touches.back().second; }))
        << "the drag's end reached the host";
    const std::vector<float> values = host.writesTo(kInputThresPort);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.size(), host.writes.size()) << "only the dragged parameter's port";
    for (const PortWrite& w : host.writes) {
        EXPECT_EQ(w.size, sizeof(float));
        EXPECT_EQ(w.protocol, 0u);
    }
    // Plain decibels from the default 0 dB upwards, within the knob's range.
    for (size_t i = 1; i < values.size(); ++i)
        EXPECT_GE(values[i], values[i - 1]);
    EXPECT_GT(values.back(), 1.0f);
    EXPECT_LE(values.back(), 20.0f);
    // The drag is bracketed as one gesture on the port.
    ASSERT_GE(host.touches.size(), 2u);
    EXPECT_EQ(host.touches.front(), std::make_pair(kInputThresPort, true));
    EXPECT_EQ(host.touches.back(), std::make_pair(kInputThresPort, false));

    // The wheel steps down from there.
    host.writes.clear();
    drive([&]() { xdo({"mousemove", std::to_string(kKnobX), std::to_string(kKnobY), "click", "5"}); });
    ASSERT_TRUE(idleUntil([&]() { return !host.writes.empty(); })) << "the wheel wrote the port";
    ASSERT_EQ(host.writesTo(kInputThresPort).size(), 1u);
    EXPECT_LT(host.writesTo(kInputThresPort)[0], values.back());
}

TEST_F(Lv2UiWindowTest, PortEventsMoveTheKnobAndTheMetersWithoutWritingBack)
{
    openUi();
    const std::vector<uint32_t> knobAtZero = pixels(layout::kInputKnob);
    portEvent(kInputThresPort, 12.0f);
    EXPECT_TRUE(idleUntilShown(layout::kInputKnob, knobAtZero)) << "the knob turned";
    portEvent(kInputThresPort, 0.0f);
    EXPECT_TRUE(idleUntilShown(layout::kInputKnob, knobAtZero, true)) << "and back";

    // Readings of the output ports: full scale, then silence again.
    const std::vector<uint32_t> metersQuiet = pixels(layout::kMeterLeft);
    const std::vector<uint32_t> reductionQuiet = pixels(layout::kReduction);
    for (uint32_t port = kFirstMeterPort; port < kFirstMeterPort + 5; ++port)
        portEvent(port, 1.0f);
    EXPECT_TRUE(idleUntilShown(layout::kMeterLeft, metersQuiet)) << "the output meter rose";
    EXPECT_TRUE(idleUntilShown(layout::kReduction, reductionQuiet)) << "the reduction meter moved";
    for (uint32_t port = kFirstMeterPort; port < kFirstMeterPort + 5; ++port)
        portEvent(port, 0.0f);
    // The output meters fall a step per redraw, down to where they were.
    EXPECT_TRUE(idleUntilShown(layout::kMeterLeft, metersQuiet, true)) << "the output meter fell back";
    EXPECT_TRUE(idleUntilShown(layout::kReduction, reductionQuiet, true)) << "the reduction meter went back";

    // Odd values show the setting the plug-in makes of them: Recovery's nearest step; a NaN
    // leaves a knob where it was.
    // (Events that come before one idle are shown by that idle together.)
    portEvent(kPortRecovery, 3.0f);
    portEvent(kInputThresPort, 12.0f);
    ASSERT_TRUE(idleUntilShown(layout::kInputKnob, knobAtZero)) << "Input Thres turned to 12 dB, Recovery to 3";
    const std::vector<uint32_t> medium = pixels(layout::kRecoveryKnob);
    const std::vector<uint32_t> at12 = pixels(layout::kInputKnob);
    portEvent(kPortRecovery, 1.0f);
    EXPECT_TRUE(idleUntilShown(layout::kRecoveryKnob, medium)) << "Recovery turned to 1";
    portEvent(kPortRecovery, 2.6f);
    EXPECT_TRUE(idleUntilShown(layout::kRecoveryKnob, medium, true)) << "2.6 shows Recovery's nearest step, 3";
    // A NaN, then Recovery back at 1: once that shows, the NaN has been taken, and the knob
    // has not moved.
    portEvent(kInputThresPort, std::nanf(""));
    portEvent(kPortRecovery, 1.0f);
    EXPECT_TRUE(idleUntilShown(layout::kRecoveryKnob, medium)) << "Recovery turned to 1 again";
    EXPECT_EQ(pixels(layout::kInputKnob), at12);

    // What the host sends, in range or not, is never echoed; bad events change nothing.
    portEvent(kInputThresPort, 35.0f);
    portEvent(kPowerPort, 1.0f);
    portEvent(kInputThresPort, std::nanf(""));
    portEvent(kFirstMeterPort, std::nanf(""));
    portEvent(99, 1.0f);
    const double wide = 3.0;
    suil_instance_port_event(host.instance, kInputThresPort, sizeof(wide), 0, &wide);
    suil_instance_port_event(host.instance, kInputThresPort, sizeof(float), 1, &wide);
    // Input Thres back at 0 dB: once that shows, the UI has taken everything before it.
    portEvent(kInputThresPort, 0.0f);
    EXPECT_TRUE(idleUntilShown(layout::kInputKnob, knobAtZero, true)) << "Input Thres back at 0 dB";
    EXPECT_TRUE(host.writes.empty());
}

// A preset file in a folder of the preset root, holding the effect's state with Input Thres at
// plain dB.
void writePreset(const std::string& dataHome, const char* folder, const char* name, float dB, float ceilingDb = 0.0f)
{
    CTarvelleVST* effect = createTarvelleVST(&test_support::quietHost, nullptr);
    ASSERT_NE(effect, nullptr);
    effect->setParameter(kParamInputThres, effect->normalizeValue(kParamInputThres, dB));
    effect->setParameter(kParamOutCeiling, effect->normalizeValue(kParamOutCeiling, ceilingDb));
    effect->setCurrentPresetName(name); // the record's own name is the preset's
    void* chunk = nullptr;
    const VstInt32 size = effect->getChunk(&chunk, true);
    const unsigned char* bytes = static_cast<const unsigned char*>(chunk);
    EXPECT_FALSE(test_support::writePresetFile(dataHome, folder, name,
                                               std::vector<unsigned char>(bytes, bytes + std::max(size, 0)))
                     .empty());
    delete effect;
}

TEST_F(Lv2UiWindowTest, PresetsFromTheArrowsAndTheMenuReachThePlugin)
{
    writePreset(data.path(), "Bank", "Loud", 6.0f);
    openUi();
    // The next arrow: the factory setting, then the folder's preset.
    drive([&]() { xdo({"mousemove", "558", "9", "click", "1"}); });
    ASSERT_TRUE(idleUntil([&]() { return !host.writes.empty(); })) << "the next arrow wrote the port";
    std::vector<float> values = host.writesTo(kInputThresPort);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_NEAR(values[0], 6.0f, 1e-4);
    EXPECT_EQ(host.writes.size(), 1u) << "only what changed";

    // The menu's factory setting brings 0 dB back.
    host.writes.clear();
    drive([&]() {
        openPresetMenu();
        xdo({"key", "Down", "Return"});
    });
    ASSERT_TRUE(idleUntil([&]() { return !host.writes.empty(); })) << "the menu's choice wrote the port";
    values = host.writesTo(kInputThresPort);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], 0.0f);
}

TEST_F(Lv2UiWindowTest, RefusesWithoutParentOrDisplayAndCleansUpAfterItsParentIsGone)
{
    EXPECT_EQ(instantiate(false), nullptr);
    // Without a display of its own the editor could only draw off-screen.
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(instantiate(), nullptr);
    setenv("DISPLAY", display.c_str(), 1);

    // GTK hosts destroy the window before the cleanup; the UI meets its window gone in its
    // idles.
    openUi();
    const Window ui = uiWindow();
    destroyWindow();
    EXPECT_TRUE(idleUntil([&]() { return !x.viewable(ui); })) << "the UI's window went with its parent";
    for (int i = 0; i < 3; ++i)
        idleOnce();
    closeUi();

    // Many open and close cycles leave no X connection behind: each UI has a connection of its
    // own (not one the server had before), gone once the UI is cleaned up. Only these count:
    // the server may have other clients come and go.
    const std::set<XID> baseline = x.clients();
    for (int i = 0; i < 20; ++i) {
        openUi();
        const XID client = x.clientOf(uiWindow());
        EXPECT_NE(client, 0u);
        EXPECT_EQ(baseline.count(client), 0u) << "the UI's own connection";
        closeUi();
        EXPECT_TRUE(waitUntil([&]() { return x.clients().count(client) == 0; }, 10s))
            << "cycle " << i << ": the UI's connection is still there";
    }
}

TEST_F(Lv2UiWindowTest, HostCleaningUpFromItsWriteFunctionDuringADragFreesAfterTheDrag)
{
    openUi();
    bool freed = false;
    host.onWrite = [&]() {
        if (freed)
            return;
        freed = true;
        // The UI's handle stays valid until its idle returns; suil's record goes now.
        closeUi();
    };
    LV2UI_Handle handle = suil_instance_get_handle(host.instance);
    const LV2UI_Idle_Interface* idle = host.idleInterface;
    const std::string column = std::to_string(kKnobX);
    std::atomic<bool> closedDuring(false); // read by the driving thread
    EXPECT_TRUE(test_support::driveWhileIdling(
        [&]() {
            xdo({"mousemove", column, std::to_string(kKnobY), "mousedown", "1"});
            xdo({"mousemove", column, std::to_string(kKnobY - 30)});
            EXPECT_TRUE(waitUntil([&]() { return closedDuring.load(); }, 10s)) << "the drag wrote within 10 s";
            xdo({"mouseup", "1"});
        },
        [&](int milliseconds) {
            if (closedDuring)
                return;
            idle->idle(handle);
            closedDuring = freed;
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }));
    EXPECT_TRUE(freed);
    EXPECT_EQ(host.writes.size(), 1u) << "nothing more is written after the cleanup";
}

TEST_F(Lv2UiWindowTest, WithAUridMapTheProgramNameTravelsBetweenUiAndPlugin)
{
    writePreset(data.path(), "Bank", "Master A", 6.0f);
    withMap = true;
    openUi();
    // The first idle asks the plug-in for its name; no port is written.
    EXPECT_EQ(host.namesSent(uris), std::vector<std::string>{"?"});
    EXPECT_TRUE(host.writesTo(kInputThresPort).empty());

    // A preset chosen in the editor: its values, then its name.
    host.writes.clear();
    drive([&]() { xdo({"mousemove", "558", "9", "click", "1"}); });
    ASSERT_TRUE(idleUntil([&]() { return !host.namesSent(uris).empty(); })) << "the preset's name was sent";
    ASSERT_EQ(host.writesTo(kInputThresPort).size(), 1u);
    EXPECT_EQ(host.namesSent(uris), std::vector<std::string>{"Master A"});
    EXPECT_EQ(host.writes.back().port, kPortControl) << "the name after the values";

    // The plug-in's name (after a restore) shows in the name box and is not sent back; the
    // same box as when that preset is chosen in the editor.
    const std::vector<uint32_t> masterA = pixels(layout::kPresetName);
    host.writes.clear();
    notifyName("Restored");
    EXPECT_TRUE(idleUntilShown(layout::kPresetName, masterA)) << "the restored name shows";
    notifyName("Master A");
    EXPECT_TRUE(idleUntilShown(layout::kPresetName, masterA, true)) << "the preset's name shows as chosen";
    EXPECT_TRUE(host.writes.empty());
}

// The host cleans up from inside its write function while the UI writes what its editor
// changed (the preset's values, then its name): the rest waits, nothing more is written.
TEST_F(Lv2UiWindowTest, HostCleaningUpFromItsWriteFunctionDuringAPresetChangeFreesAfterTheIdle)
{
    struct Case {
        const char* what;
        uint32_t port; // the write that the host answers with its cleanup
    };
    for (const Case& c : {Case{"a port value", kInputThresPort}, Case{"the name message", kPortControl}}) {
        SCOPED_TRACE(c.what);
        writePreset(data.path(), "Bank", "Both", 6.0f, -3.0f);
        withMap = true;
        openUi();
        host.writes.clear();
        bool freed = false;
        host.onWrite = [&]() {
            if (!freed && host.writes.back().port == c.port) {
                freed = true;
                closeUi();
            }
        };
        LV2UI_Handle handle = suil_instance_get_handle(host.instance);
        const LV2UI_Idle_Interface* idle = host.idleInterface;
        std::atomic<bool> closedDuring(false); // read by the driving thread
        EXPECT_TRUE(test_support::driveWhileIdling(
            [&]() {
                xdo({"mousemove", "558", "9", "click", "1"});
                EXPECT_TRUE(waitUntil([&]() { return closedDuring.load(); }, 10s)) << "the preset's writes within 10 s";
            },
            [&](int milliseconds) {
                if (closedDuring)
                    return;
                idle->idle(handle);
                closedDuring = freed;
                std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            }));
        EXPECT_TRUE(freed);
        ASSERT_FALSE(host.writes.empty());
        EXPECT_EQ(host.writes.back().port, c.port) << "nothing more is written after the cleanup";
        host.onWrite = nullptr;
        host.writes.clear();
    }
}

} // namespace
