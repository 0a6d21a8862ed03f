#include "CView.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"

#include <cstring>

namespace VSTGUI {

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::~CView()
{
    if (background != nullptr)
        background->release();
}

void CView::draw(CDrawContext* context)
{
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(context, size, CPoint(0, 0));
        else
            background->draw(context, size, CPoint(0, 0));
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& updateRect)
{
    (void)updateRect;
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect)
{
    return size.touches(updateRect);
}

void CView::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    (void)context;
    (void)where;
    (void)buttons;
}

void CView::setBackground(CBitmap* bitmap)
{
    if (bitmap != nullptr)
        bitmap->retain();
    if (background != nullptr)
        background->release();
    background = bitmap;
    setDirty(true);
}

int32_t CView::onKeyDown(VstKeyCode& keyCode)
{
    (void)keyCode;
    return -1;
}

int32_t CView::onKeyUp(VstKeyCode& keyCode)
{
    (void)keyCode;
    return -1;
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance)
{
    (void)axis;
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    (void)context;
    (void)where;
    (void)distance;
    return false;
}

bool CView::onDrop(CDrawContext*, CDragContainer*, const CPoint&)
{
    return false;
}

void CView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::loseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

CRect& CView::getMouseableArea(CRect& rect) const
{
    rect = mouseableArea;
    return rect;
}

bool CView::hitTest(const CPoint& where, int32_t buttons)
{
    (void)buttons;
    return mouseableArea.pointInside(where);
}

void CView::setViewSize(const CRect& rect)
{
    size = rect;
    setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const
{
    rect = size;
    return rect;
}

bool CView::removed(CView* parent)
{
    (void)parent;
    return true;
}

bool CView::attached(CView* parent)
{
    (void)parent;
    return true;
}

void CView::getMouseLocation(CDrawContext* context, CPoint& point)
{
    if (context == nullptr)
        return;
    if (parentView != nullptr && parentView->notify(this, kMsgCheckIfViewContainer) == 1) {
        CRect parentSize;
        parentView->getViewSize(parentSize);
        ContextShift shift(context, parentSize);
        parentView->getMouseLocation(context, point);
        return;
    }
    context->getMouseLocation(point);
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    if (parentView != nullptr && parentView->isTypeOf("CViewContainer"))
        return parentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    if (parentView != nullptr && parentView->isTypeOf("CViewContainer"))
        return parentView->localToFrame(point);
    return point;
}

AEffGUIEditor* CView::getEditor() const
{
    return parentFrame != nullptr ? parentFrame->getEditor() : nullptr;
}

int32_t CView::notify(CView* sender, const char* message)
{
    (void)sender;
    (void)message;
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (parentView != nullptr)
        parentView->redrawRect(context, rect);
    else if (parentFrame != nullptr)
        parentFrame->drawRect(context, rect);
}

bool CView::isTypeOf(const char* name) const
{
    return name != nullptr && std::strcmp(name, "CView") == 0;
}

void CView::update(CDrawContext* context)
{
    if (isDirty()) {
        if (context != nullptr)
            redrawRect(context, size);
        else if (parentFrame != nullptr)
            parentFrame->drawView(this);
        setDirty(false);
    }
}

ContextShift::ContextShift(CDrawContext* context, const CRect& containerSize) : context(context)
{
    if (context == nullptr)
        return;
    savedOrigin = context->getWindowOrigin();
    savedOffset = context->getOffset();
    context->setWindowOrigin(CPoint(savedOrigin.h + containerSize.left, savedOrigin.v + containerSize.top));
    context->setOffset(CPoint(savedOffset.h + containerSize.left, savedOffset.v + containerSize.top));
}

ContextShift::~ContextShift()
{
    if (context == nullptr)
        return;
    context->setWindowOrigin(savedOrigin);
    context->setOffset(savedOffset);
}

} // namespace VSTGUI
