// The base view: a rectangle in its parent's coordinates, an optional background bitmap, a
// dirty flag and the operations every view answers.
#pragma once

#include "CColor.h"
#include "CRect.h"
#include "CReferenceCounter.h"
#include "MouseButtons.h"
#include "VstInterface.h"

#include <cstdint>

class AEffGUIEditor;

namespace VSTGUI {

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;

// Answered with 1 by every container's notify; compared by address, not by text.
extern const char* const kMsgCheckIfViewContainer;

class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect);
    virtual void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1);
    virtual void setBackground(CBitmap* background);
    virtual CBitmap* getBackground() const { return background; }
    virtual int32_t onKeyDown(VstKeyCode& keyCode);
    virtual int32_t onKeyUp(VstKeyCode& keyCode);
    // axis: 0 horizontal, 1 vertical.
    virtual bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void loseFocus(CDrawContext* context = nullptr);
    virtual void takeFocus(CDrawContext* context = nullptr);
    virtual bool isDirty() const { return dirty; }
    virtual void setDirty(bool flag = true) { dirty = flag; }
    virtual void setMouseEnabled(bool flag) { mouseEnabled = flag; }
    virtual bool getMouseEnabled() const { return mouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    virtual CRect& getMouseableArea(CRect& rect) const;
    virtual bool hitTest(const CPoint& where, int32_t buttons = -1);
    virtual void setTransparency(bool flag) { transparency = flag; }
    virtual bool getTransparency() const { return transparency; }
    virtual void setViewSize(const CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const;
    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    // The pointer in the coordinates of this view's parent.
    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;
    virtual AEffGUIEditor* getEditor() const;
    virtual int32_t notify(CView* sender, const char* message);
    virtual void redrawRect(CDrawContext* context, const CRect& rect);
    virtual bool wantsFocus() const { return bWantsFocus; }
    virtual void setWantsFocus(bool flag) { bWantsFocus = flag; }
    virtual bool isTypeOf(const char* name) const;
    virtual void update(CDrawContext* context);

    // Set by the container the view is added to.
    void setParentFrame(CFrame* frame) { parentFrame = frame; }
    CFrame* getFrame() const { return parentFrame; }
    void setParentView(CView* view) { parentView = view; }
    CView* getParentView() const { return parentView; }
    const CRect& getSize() const { return size; }

protected:
    CRect size;
    CRect mouseableArea;
    CFrame* parentFrame = nullptr;
    CView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparency = false;
    bool bWantsFocus = false;
    CBitmap* background = nullptr;
};

// Moves a context into a container's coordinates (window origin and offset shifted by the
// container's top-left) for the lifetime of the object.
class ContextShift {
public:
    ContextShift(CDrawContext* context, const CRect& containerSize);
    ~ContextShift();
    ContextShift(const ContextShift&) = delete;
    ContextShift& operator=(const ContextShift&) = delete;

private:
    CDrawContext* context;
    CPoint savedOrigin;
    CPoint savedOffset;
};

} // namespace VSTGUI
