// The top-level container: owns the plug-in's window (through the platform layer), redraws
// dirty views on idle, keeps the keyboard focus and an optional modal view, and routes
// mouse, wheel, key and drag events into the view tree.
#pragma once

#include "CViewContainer.h"
#include "EditorFrame.h"

namespace VSTGUI {

class CDropTarget;
class PlatformFrame;

enum : int32_t {
    kCursorDefault = 0,
    kCursorWait,
    kCursorHSize,
    kCursorVSize,
    kCursorSizeAll,
    kCursorNESWSize,
    kCursorNWSESize,
    kCursorCopy,
    kCursorNotAllowed,
    kCursorHand
};

class CFrame : public CViewContainer, public EditorFrame {
public:
    // systemWindow: the host's parent window (native handle) or null.
    CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor);
    ~CFrame() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    void setViewSize(const CRect& rect) override;
    AEffGUIEditor* getEditor() const override { return editor; }
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;
    CView* getCurrentView() const override;
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;

    virtual bool open(CPoint* where = nullptr);
    virtual bool close();
    virtual bool isOpen() const { return openFlag; }
    void idle() override;
    virtual void doIdleStuff();
    // Lets the platform layer handle the window's pending events.
    void processEvents();
    virtual uint32_t getTicks() const;
    virtual int32_t getKnobMode() const;
    virtual bool setPosition(int32_t x, int32_t y);
    virtual bool getPosition(int32_t& x, int32_t& y) const;
    virtual bool setSize(int32_t width, int32_t height);
    virtual bool getSize(CRect* rect) const;
    virtual bool getSize(CRect& rect) const;
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const { return modalView; }
    virtual void beginEdit(int32_t tag);
    virtual void endEdit(int32_t tag);
    // The pointer relative to the frame window's top-left corner.
    virtual bool getCurrentLocation(CPoint& where);
    virtual void setCursor(int32_t type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const { return focusView; }
    virtual bool setDropActive(bool flag);
    virtual bool isDropActive() const { return dropActive; }
    virtual void setOpenFlag(bool flag) { openFlag = flag; }
    virtual bool getOpenFlag() const { return openFlag; }
    // Marks dirty every direct child whose size overlaps rect (edges inclusive).
    virtual void invalidate(const CRect& rect);
    // Answers the previous value.
    virtual bool setUpdatesDisabled(bool flag);
    virtual bool areUpdatesDisabled() const { return updatesDisabled; }
    // Draws view (a direct child) or, with none, the whole frame, on a new context.
    virtual void drawView(CView* view);

    // The editor base's wheel entry: the wheel at the current mouse position.
    bool onWheelAtMousePosition(void* parentWindow, float distance) override;
    // The editor closed this frame inside a nested loop (see AEffEditor): it takes no more
    // clicks, cancels its open pop-up, and its controls' tracking loops leave.
    void retire() override;
    bool isClosing() const { return closing; }
    // A menu of this frame shows its pop-up between these two calls.
    void popupStarted() { popupOpen = true; }
    void popupEnded() { popupOpen = false; }

    // A button-down from the platform layer: buttons as the event carried them (button and
    // modifiers at the moment of the press). The frame, and with a host's close even the
    // editor, may be gone when this returns.
    void onMouseDown(const CPoint& where, int32_t buttons);

    // The frame's own native window, null when there is none.
    void* getWindow() const;
    void* getSystemWindow() const { return systemWindow; }
    PlatformFrame* getPlatformFrame() const { return platformFrame; }
    // A new context on the frame's window; the caller releases it.
    CDrawContext* createDrawContext();
    // The platform layer reports that the window has been destroyed.
    void windowDestroyed();
    // Called by containers when a view leaves the tree: forgets it as focus or modal view.
    void viewRemoved(CView* view);
    bool isFirstDraw() const { return firstDraw; }

protected:
    AEffGUIEditor* editor;
    void* systemWindow;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    bool firstDraw = true;
    bool openFlag = true;
    bool dropActive = false;
    bool updatesDisabled = false;
    bool closing = false;
    bool popupOpen = false;
    PlatformFrame* platformFrame = nullptr;
    CDropTarget* dropTarget = nullptr;
};

} // namespace VSTGUI
