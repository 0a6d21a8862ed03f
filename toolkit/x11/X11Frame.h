// The X11 layer's frame window: a child of the host's window on the editor's own display
// connection. The frame draws into the window-less frame's picture (the same drawing code and
// pictures as the headless rendering), and every finished drawing pass copies the rectangle
// it touched to the window (from memory shared with the server where it can).
#pragma once

#include "X11Display.h"
#include "X11ModalFiber.h"
#include "cairo/CairoFrame.h"

#include <memory>
#include <string>

namespace VSTGUI {

class X11Frame : public CairoFrame {
public:
    // Null when there is no display to draw on or the host's window cannot take a child;
    // reason (if given) then says why, in one line.
    static X11Frame* create(CFrame* frame, Window parent, int32_t width, int32_t height, std::string* reason = nullptr);
    ~X11Frame() override;

    void imageChanged(const CRect& r) override;
    void* getWindow() override;
    CPoint getWindowOrigin() override;
    void resizeWindow(int32_t width, int32_t height) override;
    bool resizeWindowChain(int32_t width, int32_t height) override;
    bool getPosition(int32_t& x, int32_t& y) override;
    bool getSize(CRect& rect) override;
    void setCursor(int32_t type) override;
    // Events wait for the frame's window; while an event's work is suspended (a drag, a menu, a
    // dialog waiting for the user) the idle resumes that work instead, which reads them.
    void processEvents() override;
    bool yieldToHost() override;
    void endModalStates() override;

    // Handles one event of the frame's window. A modal loop (menu, dialog) passes its
    // frame's events here with modal set: the window is kept painted, input is dropped.
    void handleEvent(XEvent& event, bool modal);
    // Takes the events waiting for the frame's window only (others stay queued).
    void processOwnEvents(bool modal);

    CFrame* getFrame() const { return frame; }
    Window getXWindow() const { return window; }
    Window getParentWindow() const { return parent; }
    const std::shared_ptr<X11Display>& getDisplay() const { return display; }
    // The host's top-level window that holds the frame (what a dialog is transient for).
    Window topLevelWindow();
    // A pointer event that went to another of the editor's windows (a pop-up holding the
    // grab, a dialog): the pointer and buttons the editor reads follow it, so a release there
    // does not leave the editor believing a button is held.
    static void notePointerEvent(const XEvent& event);

    // The live frame whose window is window (the value getWindow answers), or null.
    static X11Frame* fromWindow(void* window);
    // The frame that last had input, else the last one opened; null when none is open.
    static X11Frame* active();
    // Whether frame is still open (a nested loop's idle may close the editor).
    static bool alive(const X11Frame* frame);
    // The part of a drawn menu's or dialog's modal loop that is the editor's: its window kept
    // painted, and about every 30 ms its idle (lastIdle is the loop's). False when the editor
    // closed from that idle: the loop must end. Inside the loop the close only retires the
    // frame; it is freed once the loop has left.
    static bool idleWhileModal(X11Frame* owner, uint32_t& lastIdle);
    // Where a drawn menu or dialog of this frame waits for the user. Inside an event's work it
    // hands control back to the host until its next idle; elsewhere it runs the editor's idle
    // (idleWhileModal) and waits a moment for an event. False when the editor closed
    // meanwhile: the menu or dialog must end.
    bool waitWhileModal(uint32_t& lastIdle);
    // The frame whose event work runs now; null on the host's own stack.
    static X11Frame* running();

protected:
    // The back buffer in memory the server shares where it can.
    cairo_surface_t* createImage(int32_t width, int32_t height) override;

private:
    X11Frame(CFrame* frame, std::shared_ptr<X11Display> display, Window parent, Window window, int32_t width,
             int32_t height);
    void press(XButtonEvent& event);
    void key(XKeyEvent& event);
    // Whether a press lands on a view that takes keys (a knob's arrows): only then does the
    // editor take the keyboard from the host.
    bool wantsKeyboardAt(const XButtonEvent& event) const;
    static void liveState(struct InputState& state);
    // Runs the work of an input event on the frame's own stack: true when it finished, false
    // when it waits for the user (the fiber is suspended until the next idle resumes it).
    bool runOnFiber(const XEvent& event, bool modal);
    bool driveFiber(bool starting);

    std::shared_ptr<X11Display> display;
    Window parent;
    Window window;
    std::unique_ptr<X11Canvas> canvas;
    Cursor cursors[10] = {};
    int32_t cursorType = 0;
    // The window's screen position as the last pointer or key event showed it (no round trip
    // per drawing context); asked of the server once when no event has told, and again after
    // the window moved within its parent.
    CPoint origin;
    bool originKnown = false;
    int trackingDepth = 0;
    bool processing = false;
    // What the last look at the live pointer told a tracking loop (liveState).
    CPoint livePosition;
    int32_t liveButtons = 0;
    std::unique_ptr<X11ModalFiber> fiber;
    // The event whose work runs on the fiber (it outlives the idle that read it).
    XEvent fiberEvent = {};
    bool fiberEventModal = false;
};

} // namespace VSTGUI
