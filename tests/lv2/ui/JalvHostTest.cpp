// The LV2 UI in a real host: jalv (its GTK build, which embeds X11 UIs) on a JACK server of its
// own with the dummy driver, a tone from this test flowing into the plug-in, on a virtual X
// display. While a knob is held, the preset menu is open or the Save-As dialog is open, the
// host's loop must keep running: jalv prints its control outputs from that loop
// (--print-controls), and the meter port events it sends from there move the editor's meters.
// Both are counted over a stretch of the held state.
#include "ChildProcess.h"
#include "EditorLayout.h"
#include "TempTree.h"
#include "XObserver.h"
#include "XdoTool.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using test_support::Area;
using test_support::Shown;
using test_support::waitUntil;

const char* const kHostName = "orvanne-host"; // jalv's JACK client
constexpr int kMenuBarSlack = 200;            // the editor sits below jalv's menu bar
constexpr auto kHeldFor = 1500ms;             // how long each state is watched
// jalv sends the control outputs about 30 times a second: 45 in the stretch when the host runs.
constexpr int kMinChanges = 10;

// Bursts of a tone (20 ms of every 100 ms) into jalv's audio inputs, so the meters keep moving.
class ToneClient {
public:
    ~ToneClient() { close(); }

    // Waits for the server to accept clients.
    bool open(std::chrono::milliseconds timeout)
    {
        waitUntil(
            [&]() {
                client = jack_client_open("orvanne-tone", JackNoStartServer, nullptr);
                return client != nullptr;
            },
            timeout, 100);
        if (client == nullptr)
            return false;
        ports[0] = jack_port_register(client, "out_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        ports[1] = jack_port_register(client, "out_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        rate = jack_get_sample_rate(client);
        return ports[0] != nullptr && ports[1] != nullptr && jack_set_process_callback(client, &process, this) == 0 &&
            jack_activate(client) == 0;
    }

    // Connects the tone to the host's inputs once they take connections: the host registers
    // them before it activates, and the ports of a client that is not active take none yet.
    bool connectTo(const std::string& host, std::chrono::milliseconds timeout)
    {
        const std::string inputs[2] = {host + ":in_l", host + ":in_r"};
        return waitUntil(
            [&]() {
                for (int i = 0; i < 2; ++i) {
                    const int result = jack_connect(client, jack_port_name(ports[i]), inputs[i].c_str());
                    if (result != 0 && result != EEXIST)
                        return false;
                }
                return true;
            },
            timeout, 100);
    }

    void close()
    {
        if (client != nullptr)
            jack_client_close(client);
        client = nullptr;
    }

private:
    static int process(jack_nframes_t frames, void* arg)
    {
        ToneClient* self = static_cast<ToneClient*>(arg);
        float* left = static_cast<float*>(jack_port_get_buffer(self->ports[0], frames));
        float* right = static_cast<float*>(jack_port_get_buffer(self->ports[1], frames));
        const jack_nframes_t period = self->rate / 10;
        for (jack_nframes_t i = 0; i < frames; ++i) {
            const jack_nframes_t t = self->position++ % period;
            const float v = t < period / 5 ? 0.5f * std::sin(6.2831853f * 1000.0f * float(t) / float(self->rate)) : 0;
            left[i] = v;
            right[i] = v;
        }
        return 0;
    }

    jack_client_t* client = nullptr;
    jack_port_t* ports[2] = {nullptr, nullptr};
    jack_nframes_t rate = 48000;
    jack_nframes_t position = 0;
};

// What the host did during a stretch of time.
struct Activity {
    int printed = 0; // changes of the left output meter that jalv printed
    int meters = 0;  // changes of the editor's meter pixels
};

// jalv on its JACK server under the test's virtual display, the plug-in's editor open in it.
struct RealHost {
    TempTree home;
    std::string serverName;
    test_support::ChildProcess jackd, jalv;
    ToneClient tone;
    std::unique_ptr<test_support::XObserver> x;
    Display* display = nullptr;
    Window editor = 0;
    int editorX = 0, editorY = 0; // the editor's top left corner on the screen
    std::string jalvOut, jalvErr, jackdLog;
    std::streamoff readTo = 0;
    float lastPrinted = -1.0f;
    std::string failure; // why it did not start

    bool start()
    {
        if (std::getenv("DISPLAY") == nullptr)
            return fail("runs under a virtual X display (xvfb-run)");
        x.reset(new test_support::XObserver);
        display = x->display();
        if (display == nullptr)
            return fail("cannot open the display");
        // A server of our own, so runs in parallel do not meet; nothing of the user's settings.
        serverName = "orvanne-test-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", serverName.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        setenv("LV2_PATH", ORVANNE_LV2_PATH, 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            const std::string folder = home.file(name);
            std::filesystem::create_directories(folder);
            setenv(name, folder.c_str(), 1);
        }
        jalvOut = home.file("jalv.out");
        jalvErr = home.file("jalv.err");
        jackdLog = home.file("jackd.log");
        if (!jackd.start({JACKD_PROGRAM, "--no-realtime", "-n", serverName, "-d", "dummy", "-r", "48000", "-p", "512"},
                         jackdLog, jackdLog))
            return fail("cannot start " JACKD_PROGRAM);
        if (!tone.open(10s))
            return fail("the JACK server did not take clients within 10 s:\n" + slurp(jackdLog));
        // Line-buffered, so each printed value can be read as it comes.
        if (!jalv.start({"stdbuf", "-oL", JALV_PROGRAM, "--print-controls", "-x",
                         std::string("--jack-name=") + kHostName, "urn:tarvelle:orvanne"},
                        jalvOut, jalvErr))
            return fail("cannot start " JALV_PROGRAM);
        if (!tone.connectTo(kHostName, 20s))
            return fail("jalv's audio inputs took no connection within 20 s:\n" + slurp(jalvErr));
        if (!waitUntil([&]() { return findEditor(); }, 20s, 50))
            return fail("the editor did not open in jalv's window within 20 s:\n" + slurp(jalvErr));
        return true;
    }

    void stop()
    {
        jalv.stop();
        tone.close();
        jackd.stop();
        x.reset();
        display = nullptr;
    }

    bool fail(const std::string& why)
    {
        failure = why;
        return false;
    }

    static std::string slurp(const std::string& file)
    {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The editor: the innermost mapped window of its size (jalv's socket around it has the same
    // size), on a top-level window of jalv's.
    bool findEditor()
    {
        editor = x->findBelow(x->root(), [](const Shown& s) {
            return s.width == layout::kWindowWidth && s.height == layout::kWindowHeight;
        });
        if (editor == 0)
            return false;
        Window child = 0;
        XTranslateCoordinates(display, editor, DefaultRootWindow(display), 0, 0, &editorX, &editorY, &child);
        return editorY < kMenuBarSlack;
    }

    // The pop-up menus (override-redirect), and the dialogs (transient for a window).
    std::vector<Shown> menus() { return x->menus(); }
    std::vector<Shown> dialogs()
    {
        std::vector<Shown> found = x->windows();
        found.erase(std::remove_if(found.begin(), found.end(), [](const Shown& s) { return s.transientFor == 0; }),
                    found.end());
        return found;
    }

    // Pixels of a box of the editor, row by row (empty when the window is gone).
    std::vector<uint32_t> pixels(const layout::Box& box)
    {
        return x->grab(editor, Area{box.left, box.top, box.width(), box.height()});
    }
    std::vector<uint32_t> meterPixels()
    {
        std::vector<uint32_t> both = pixels(layout::kMeterLeft);
        const std::vector<uint32_t> right = pixels(layout::kMeterRight);
        both.insert(both.end(), right.begin(), right.end());
        return both;
    }

    // Changes of the left output meter among the lines jalv printed since the last call.
    int newPrintedChanges()
    {
        std::ifstream in(jalvOut);
        in.seekg(readTo);
        int changes = 0;
        std::string line;
        while (std::getline(in, line) && !in.eof()) {
            readTo = in.tellg();
            float value = 0;
            if (std::sscanf(line.c_str(), "out_left = %f", &value) == 1) {
                changes += value != lastPrinted ? 1 : 0;
                lastPrinted = value;
            }
        }
        return changes;
    }

    Activity watch(std::chrono::milliseconds stretch)
    {
        Activity seen;
        newPrintedChanges();
        std::vector<uint32_t> shown = meterPixels();
        const auto end = std::chrono::steady_clock::now() + stretch;
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(10ms);
            seen.printed += newPrintedChanges();
            std::vector<uint32_t> now = meterPixels();
            if (now != shown)
                ++seen.meters;
            shown.swap(now);
        }
        return seen;
    }

    // Whether the host's loop runs: its printed meter moves within the timeout.
    bool waitForHostRunning(std::chrono::milliseconds timeout)
    {
        newPrintedChanges();
        int changes = 0;
        return waitUntil(
            [&]() {
                changes += newPrintedChanges();
                return changes >= 3;
            },
            timeout);
    }

    // The real pointer and keyboard, at a point of the editor.
    bool xdo(std::vector<std::string> args) { return test_support::xdotool(args); }
    std::string screenX(double x) const { return std::to_string(editorX + int(x)); }
    std::string screenY(double y) const { return std::to_string(editorY + int(y)); }
};

RealHost* host = nullptr;

// One held state: how to get into it, how to see that it is there, how to leave it.
struct Row {
    const char* name;
    std::function<bool(RealHost&)> enter; // false (with a message) when the state did not come
    std::function<void(RealHost&)> leave;
};

std::ostream& operator<<(std::ostream& out, const Row& row)
{
    return out << row.name;
}

// Out Ceiling's knob, held after a 5 px drag upwards.
bool holdKnob(RealHost& h)
{
    const layout::Box knob = layout::kCeilingKnob;
    std::string why;
    const bool turned = test_support::dragUp(*h.x, h.editor, Area{knob.left, knob.top, knob.width(), knob.height()},
                                             h.editorX + int(knob.cx()), h.editorY + int(knob.cy()), {5}, why, false);
    EXPECT_TRUE(turned) << "the knob did not turn with a 5 px drag: " << why;
    return turned;
}

// The preset name's menu.
bool openPresetMenu(RealHost& h)
{
    h.xdo({"mousemove", h.screenX(layout::kPresetName.cx()), h.screenY(layout::kPresetName.cy()), "click", "1"});
    const bool open = waitUntil([&]() { return h.x->menusDrawn(1); }, 5s);
    EXPECT_TRUE(open) << "the preset menu did not open within 5 s";
    return open;
}

// The save menu, then its first entry, "Save New Preset As...".
bool openSaveAs(RealHost& h)
{
    h.xdo({"mousemove", h.screenX(layout::kSaveButton.cx()), h.screenY(layout::kSaveButton.cy()), "click", "1"});
    if (!waitUntil([&]() { return h.x->menusDrawn(1); }, 5s)) {
        ADD_FAILURE() << "the save menu did not open within 5 s";
        return false;
    }
    const Shown menu = h.menus()[0];
    h.xdo({"mousemove", std::to_string(menu.x + 20), std::to_string(menu.y + 11), "click", "1"});
    const bool open = waitUntil([&]() { return h.menus().empty() && h.dialogs().size() == 1; }, 5s);
    EXPECT_TRUE(open) << "the Save-As dialog did not open within 5 s";
    if (!open)
        return false;
    // It opens centred over the editor, on the meters: moved below jalv's window (there is no
    // window manager to ask), as a user would move it to watch them.
    const int below = h.editorY + layout::kWindowHeight + 100;
    XMoveWindow(h.display, h.dialogs()[0].window, 0, below);
    XSync(h.display, False);
    const bool moved = waitUntil([&]() { return h.dialogs().size() == 1 && h.dialogs()[0].y == below; }, 5s);
    EXPECT_TRUE(moved) << "the Save-As dialog did not move off the editor within 5 s";
    return moved;
}

// Escape until no menu or dialog is left.
void escape(RealHost& h)
{
    EXPECT_TRUE(waitUntil(
        [&]() {
            if (h.menus().empty() && h.dialogs().empty())
                return true;
            h.xdo({"key", "Escape"});
            return false;
        },
        5s, 200))
        << "a menu or dialog stayed open";
}

const Row kRows[] = {
    {"OutCeilingKnobHeld", &holdKnob,
     [](RealHost& h) {
         h.xdo({"mouseup", "1"});
     }},
    {"PresetMenuOpen", &openPresetMenu, &escape},
    {"SaveAsDialogOpen", &openSaveAs, &escape},
};

class JalvHostTest : public ::testing::TestWithParam<Row> {
protected:
    static void SetUpTestSuite()
    {
        host = new RealHost;
        host->start();
    }
    static void TearDownTestSuite()
    {
        host->stop();
        delete host;
        host = nullptr;
    }
};

TEST_P(JalvHostTest, HostKeepsRunningWhileTheStateIsHeld)
{
    RealHost& h = *host;
    ASSERT_TRUE(h.failure.empty()) << h.failure;
    ASSERT_TRUE(h.jalv.running()) << "jalv exited:\n" << RealHost::slurp(h.jalvErr);
    // The host runs before: the printed meter and the editor's meters move.
    ASSERT_TRUE(h.waitForHostRunning(10s)) << "jalv printed no moving meter within 10 s";
    const Activity before = h.watch(kHeldFor);
    ASSERT_GE(before.printed, kMinChanges) << "jalv's meter output before the row";
    ASSERT_GE(before.meters, kMinChanges) << "the editor's meters before the row";

    const Row& row = GetParam();
    const bool entered = row.enter(h);
    Activity held;
    if (entered)
        held = h.watch(kHeldFor);
    row.leave(h);
    ASSERT_TRUE(entered);
    std::printf("[ %s ] %lld ms held: jalv printed %d meter changes, the editor's meters changed %d times "
                "(before: %d and %d)\n",
                row.name, static_cast<long long>(kHeldFor.count()), held.printed, held.meters, before.printed,
                before.meters);
    EXPECT_GE(held.printed, kMinChanges) << "jalv's loop stood still while " << row.name;
    EXPECT_GE(held.meters, kMinChanges) << "no meter port events reached the editor while " << row.name;

    // And it runs after.
    EXPECT_TRUE(h.waitForHostRunning(5s)) << "jalv did not run again within 5 s of leaving " << row.name;
    EXPECT_TRUE(h.jalv.running()) << "jalv exited:\n" << RealHost::slurp(h.jalvErr);
}

INSTANTIATE_TEST_SUITE_P(Jalv, JalvHostTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

} // namespace
