// A view holding an ordered list of child views: draws them (double-buffered by default),
// redraws only the dirty ones, and passes mouse, wheel, key, focus and drag events on.
// The child added last is on top: it is drawn last and tried first.
#pragma once

#include "CView.h"

namespace VSTGUI {

class COffscreenContext;

class CViewContainer : public CView {
public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void loseFocus(CDrawContext* context = nullptr) override;
    void takeFocus(CDrawContext* context = nullptr) override;
    bool isDirty() const override;
    void setViewSize(const CRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    int32_t notify(CView* sender, const char* message) override;
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;

    virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    virtual bool addView(CView* view);
    // Drops the container's reference; withRelease also gives up the creator's reference.
    virtual bool removeView(CView* view, bool withRelease = true);
    virtual bool removeAll(bool withRelease = true);
    virtual bool isChild(CView* view) const;
    virtual int32_t getNbViews() const;
    virtual CView* getView(int32_t index) const;
    virtual void setBackgroundColor(const CColor& color);
    virtual CColor getBackgroundColor() const { return backgroundColor; }
    virtual void setBackgroundOffset(const CPoint& p) { backgroundOffset = p; }
    virtual const CPoint& getBackgroundOffset() const { return backgroundOffset; }
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);
    // 0: redraw the whole container when dirty; 1: redraw only the dirty children.
    virtual void setMode(int32_t mode) { updateMode = mode; }
    virtual int32_t getMode() const { return updateMode; }
    virtual void useOffscreen(bool flag);
    virtual CView* getCurrentView() const;
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);

    COffscreenContext* getOffscreen() const { return offscreen; }

protected:
    struct Node {
        CView* view;
        Node* next;
        Node* previous;
    };

    // Drawing target and clip shared by draw and drawRect.
    CDrawContext* beginDrawing(CDrawContext* context, CRect& localClip);
    void endDrawing(CDrawContext* context, CDrawContext* target);
    void releaseOffscreen();
    void createOffscreen();
    bool isContainer(const CView* view) const;
    // True when view is this container's child or sits anywhere below it.
    bool contains(const CView* view) const;

    Node* first = nullptr;
    Node* last = nullptr;
    int32_t updateMode = 1;
    COffscreenContext* offscreen = nullptr;
    CColor backgroundColor;
    CPoint backgroundOffset;
    bool bUseOffscreen = true;
    CView* dragTarget = nullptr;

    friend class CFrame;
};

} // namespace VSTGUI
