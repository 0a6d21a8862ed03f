#include "CViewContainer.h"

#include "CBitmap.h"
#include "CFrame.h"
#include "COffscreenContext.h"

#include <cstring>

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* bg) : CView(size)
{
    backgroundColor = colorBlack;
    parentFrame = frame;
    setBackground(bg);
}

CViewContainer::~CViewContainer()
{
    removeAll(true);
    releaseOffscreen();
}

void CViewContainer::releaseOffscreen()
{
    if (offscreen != nullptr) {
        offscreen->release();
        offscreen = nullptr;
    }
}

void CViewContainer::createOffscreen()
{
    offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colorBlack);
}

bool CViewContainer::isContainer(const CView* view) const
{
    return view != nullptr && view->isTypeOf("CViewContainer");
}

bool CViewContainer::contains(const CView* view) const
{
    for (Node* n = first; n != nullptr; n = n->next) {
        if (n->view == view)
            return true;
        if (isContainer(n->view) && static_cast<const CViewContainer*>(n->view)->contains(view))
            return true;
    }
    return false;
}

// The target of a drawing pass: the off-screen surface, or the given context moved into this
// container. localClip receives the given context's clip in this container's coordinates.
CDrawContext* CViewContainer::beginDrawing(CDrawContext* context, CRect& localClip)
{
    if (bUseOffscreen && offscreen == nullptr)
        createOffscreen();
    context->getClipRect(localClip);
    localClip.offset(-size.left, -size.top);
    if (bUseOffscreen)
        return offscreen;
    CPoint& origin = context->getWindowOrigin();
    CPoint& off = context->getOffset();
    origin.offset(size.left, size.top);
    off.offset(size.left, size.top);
    return context;
}

void CViewContainer::endDrawing(CDrawContext* context, CDrawContext* target)
{
    if (target != context)
        return;
    context->getWindowOrigin().offset(-size.left, -size.top);
    context->getOffset().offset(-size.left, -size.top);
}

void CViewContainer::draw(CDrawContext* context)
{
    if (context == nullptr)
        return;
    CRect clip;
    CDrawContext* target = beginDrawing(context, clip);
    CRect savedClip;
    target->getClipRect(savedClip);

    CRect newClip(0, 0, size.width(), size.height());
    newClip.bound(clip);
    target->setClipRect(newClip);

    const CRect whole(0, 0, size.width(), size.height());
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(target, whole, backgroundOffset);
        else
            background->draw(target, whole, backgroundOffset);
    } else if (!transparency) {
        target->setFillColor(backgroundColor);
        target->fillRect(whole);
    }

    for (Node* n = first; n != nullptr; n = n->next) {
        CRect childClip;
        n->view->getViewSize(childClip);
        childClip.bound(newClip);
        target->setClipRect(childClip);
        n->view->draw(target);
    }

    target->setClipRect(savedClip);
    if (target == offscreen)
        offscreen->copyFrom(context, size, CPoint(0, 0));
    else
        endDrawing(context, target);
    setDirty(false);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (context == nullptr)
        return;
    CRect clip;
    CDrawContext* target = beginDrawing(context, clip);
    CRect savedClip;
    target->getClipRect(savedClip);

    CRect r = updateRect;
    r.bound(size);
    CRect client = r;
    client.offset(-size.left, -size.top);

    CRect newClip(0, 0, size.width(), size.height());
    newClip.bound(clip);
    newClip.bound(client);
    target->setClipRect(newClip);

    drawBackgroundRect(target, client);

    const bool scroll = isTypeOf("CScrollContainer");
    for (Node* n = first; n != nullptr; n = n->next) {
        CView* child = n->view;
        if (!child->checkUpdate(client))
            continue;
        CRect childSize;
        child->getViewSize(childSize);
        CRect visible = childSize;
        visible.bound(newClip);
        if (visible.width() <= 0 || visible.height() <= 0)
            continue;
        target->setClipRect(visible);
        const bool wasDirty = child->isDirty();
        child->drawRect(target, client);
        if (wasDirty && !scroll && (visible.width() < childSize.width() || visible.height() < childSize.height()))
            child->setDirty(true);
    }

    target->setClipRect(savedClip);
    if (target == offscreen)
        offscreen->copyFrom(context, r, client.topLeft());
    else
        endDrawing(context, target);
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    if (context == nullptr)
        return;
    if (background != nullptr) {
        CRect oldClip;
        context->getClipRect(oldClip);
        CRect clip = rect;
        clip.bound(oldClip);
        context->setClipRect(clip);
        const CRect whole(0, 0, background->getWidth(), background->getHeight());
        if (transparency)
            background->drawTransparent(context, whole, backgroundOffset);
        else
            background->draw(context, whole, backgroundOffset);
        context->setClipRect(oldClip);
    } else if (!transparency) {
        context->setFillColor(backgroundColor);
        context->fillRect(rect);
    }
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (context == nullptr) {
        // Only the frame can make a context on the window.
        if (parentFrame == nullptr)
            return;
        CDrawContext* own = parentFrame->createDrawContext();
        redrawRect(own, rect);
        own->release();
        return;
    }
    CRect r = rect;
    r.offset(size.left, size.top);
    if (transparency) {
        if (parentView != nullptr)
            parentView->redrawRect(context, r);
        else if (parentFrame != nullptr)
            parentFrame->drawRect(context, r);
        return;
    }
    if (parentView != nullptr) {
        CPoint p(0, 0);
        parentView->localToFrame(p);
        const CPoint savedOrigin = context->getWindowOrigin();
        const CPoint savedOffset = context->getOffset();
        context->getWindowOrigin().offset(p.h, p.v);
        context->getOffset().offset(p.h, p.v);
        drawRect(context, r);
        context->setWindowOrigin(savedOrigin);
        context->setOffset(savedOffset);
    } else {
        drawRect(context, r);
    }
}

bool CViewContainer::isDirty() const
{
    if (dirty)
        return true;
    const CRect whole(0, 0, size.width(), size.height());
    for (Node* n = first; n != nullptr; n = n->next) {
        if (!n->view->isDirty())
            continue;
        CRect r;
        n->view->getViewSize(r);
        r.bound(whole);
        if (r.width() > 0 && r.height() > 0)
            return true;
    }
    return false;
}

void CViewContainer::update(CDrawContext* context)
{
    const CRect whole(0, 0, size.width(), size.height());
    if (updateMode == 0) {
        if (isDirty()) {
            redrawRect(context, whole);
            setDirty(false);
        }
        return;
    }
    if (updateMode != 1)
        return;
    if (dirty) {
        redrawRect(context, whole);
        setDirty(false);
        return;
    }
    for (Node* n = first; n != nullptr; n = n->next) {
        CView* child = n->view;
        if (!child->isDirty() || !child->checkUpdate(whole))
            continue;
        if (child->notify(this, kMsgCheckIfViewContainer) == 1) {
            child->update(context);
        } else {
            CRect r;
            child->getViewSize(r);
            r.bound(whole);
            redrawRect(context, r);
        }
    }
    setDirty(false);
}

void CViewContainer::setViewSize(const CRect& rect)
{
    CView::setViewSize(rect);
    if (offscreen != nullptr && bUseOffscreen) {
        releaseOffscreen();
        createOffscreen();
    }
}

bool CViewContainer::attached(CView* parent)
{
    (void)parent;
    if (bUseOffscreen && offscreen == nullptr)
        createOffscreen();
    return true;
}

bool CViewContainer::removed(CView* parent)
{
    (void)parent;
    releaseOffscreen();
    return true;
}

void CViewContainer::useOffscreen(bool flag)
{
    bUseOffscreen = flag;
    if (!flag)
        releaseOffscreen();
}

void CViewContainer::setBackgroundColor(const CColor& color)
{
    backgroundColor = color;
    setDirty(true);
}

bool CViewContainer::addView(CView* view, const CRect& area, bool enabled)
{
    if (view == nullptr)
        return false;
    view->setMouseableArea(area);
    view->setMouseEnabled(enabled);
    return addView(view);
}

bool CViewContainer::addView(CView* view)
{
    if (view == nullptr)
        return false;
    Node* node = new Node{view, nullptr, last};
    view->retain();
    if (last != nullptr)
        last->next = node;
    else
        first = node;
    last = node;
    view->setParentFrame(parentFrame);
    view->setParentView(this);
    view->attached(this);
    view->setDirty(true);
    return true;
}

bool CViewContainer::removeView(CView* view, bool withRelease)
{
    if (view == nullptr)
        return false;
    if (parentFrame != nullptr)
        parentFrame->viewRemoved(view);
    if (dragTarget == view)
        dragTarget = nullptr;
    Node* node = first;
    while (node != nullptr && node->view != view)
        node = node->next;
    if (node == nullptr)
        return false;
    view->removed(this);
    if (node->previous != nullptr)
        node->previous->next = node->next;
    else
        first = node->next;
    if (node->next != nullptr)
        node->next->previous = node->previous;
    else
        last = node->previous;
    delete node;
    if (withRelease)
        view->release();
    view->release();
    return true;
}

bool CViewContainer::removeAll(bool withRelease)
{
    while (first != nullptr)
        removeView(first->view, withRelease);
    return true;
}

bool CViewContainer::isChild(CView* view) const
{
    for (Node* n = first; n != nullptr; n = n->next)
        if (n->view == view)
            return true;
    return false;
}

int32_t CViewContainer::getNbViews() const
{
    int32_t count = 0;
    for (Node* n = first; n != nullptr; n = n->next)
        count++;
    return count;
}

CView* CViewContainer::getView(int32_t index) const
{
    if (index < 0)
        return nullptr;
    for (Node* n = first; n != nullptr; n = n->next, index--)
        if (index == 0)
            return n->view;
    return nullptr;
}

void CViewContainer::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    CPoint local(where.h - size.left, where.v - size.top);
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    for (Node* n = last; n != nullptr; n = n->previous) {
        CView* child = n->view;
        if (child->getMouseEnabled() && child->hitTest(local, buttons)) {
            child->mouse(context, local, buttons);
            return;
        }
    }
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance)
{
    CView* target = getViewAt(where, false);
    if (target == nullptr)
        return false;
    ContextShift shift(context, size);
    const CPoint local(where.h - size.left, where.v - size.top);
    return target->onWheel(context, local, axis, distance);
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, 1, distance);
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    if (parentFrame == nullptr)
        return nullptr;
    const CPoint local(where.h - size.left, where.v - size.top);
    for (Node* n = last; n != nullptr; n = n->previous) {
        CRect area;
        n->view->getMouseableArea(area);
        if (!area.pointInside(local))
            continue;
        if (deep && isContainer(n->view))
            return static_cast<CViewContainer*>(n->view)->getViewAt(local, deep);
        return n->view;
    }
    return nullptr;
}

CView* CViewContainer::getCurrentView() const
{
    if (parentFrame == nullptr)
        return nullptr;
    CPoint where;
    parentFrame->getCurrentLocation(where);
    frameToLocal(where);
    for (Node* n = last; n != nullptr; n = n->previous) {
        CRect area;
        n->view->getMouseableArea(area);
        if (area.pointInside(where))
            return n->view;
    }
    return nullptr;
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const
{
    point.offset(-size.left, -size.top);
    if (parentView != nullptr && parentView->isTypeOf("CViewContainer"))
        return parentView->frameToLocal(point);
    return point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const
{
    point.offset(size.left, size.top);
    if (parentView != nullptr && parentView->isTypeOf("CViewContainer"))
        return parentView->localToFrame(point);
    return point;
}

int32_t CViewContainer::onKeyDown(VstKeyCode& keyCode)
{
    for (Node* n = last; n != nullptr; n = n->previous) {
        const int32_t result = n->view->onKeyDown(keyCode);
        if (result != -1)
            return result;
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(VstKeyCode& keyCode)
{
    for (Node* n = last; n != nullptr; n = n->previous) {
        const int32_t result = n->view->onKeyUp(keyCode);
        if (result != -1)
            return result;
    }
    return -1;
}

void CViewContainer::loseFocus(CDrawContext* context)
{
    for (Node* n = first; n != nullptr; n = n->next)
        n->view->loseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context)
{
    for (Node* n = first; n != nullptr; n = n->next)
        n->view->takeFocus(context);
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    Node* n = reverse ? last : first;
    if (oldFocus != nullptr) {
        while (n != nullptr && n->view != oldFocus)
            n = reverse ? n->previous : n->next;
        if (n == nullptr)
            return false;
        n = reverse ? n->previous : n->next;
    }
    for (; n != nullptr; n = reverse ? n->previous : n->next) {
        CView* child = n->view;
        if (child->wantsFocus()) {
            if (parentFrame != nullptr)
                parentFrame->setFocusView(child);
            return true;
        }
        if (isContainer(child) && static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse))
            return true;
    }
    return false;
}

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    ContextShift shift(context, size);
    const CPoint local(where.h - size.left, where.v - size.top);
    if (dragTarget != nullptr)
        dragTarget->onDragLeave(context, drag, local);
    dragTarget = getViewAt(where, false);
    if (dragTarget != nullptr)
        dragTarget->onDragEnter(context, drag, local);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    ContextShift shift(context, size);
    const CPoint local(where.h - size.left, where.v - size.top);
    CView* view = getViewAt(where, false);
    if (view != dragTarget) {
        if (dragTarget != nullptr)
            dragTarget->onDragLeave(context, drag, local);
        dragTarget = view;
        if (dragTarget != nullptr)
            dragTarget->onDragEnter(context, drag, local);
    } else if (dragTarget != nullptr) {
        dragTarget->onDragMove(context, drag, local);
    }
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    ContextShift shift(context, size);
    const CPoint local(where.h - size.left, where.v - size.top);
    if (dragTarget != nullptr)
        dragTarget->onDragLeave(context, drag, local);
    dragTarget = nullptr;
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    ContextShift shift(context, size);
    const CPoint local(where.h - size.left, where.v - size.top);
    bool result = false;
    CView* view = getViewAt(where, false);
    if (view != dragTarget && dragTarget != nullptr)
        dragTarget->onDragLeave(context, drag, local);
    if (view != nullptr) {
        result = view->onDrop(context, drag, local);
        view->onDragLeave(context, drag, local);
    }
    dragTarget = nullptr;
    return result;
}

int32_t CViewContainer::notify(CView* sender, const char* message)
{
    (void)sender;
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CViewContainer") == 0)
        return true;
    return CView::isTypeOf(name);
}

} // namespace VSTGUI
