#include "CFrame.h"

#include "AEffGUIEditor.h"
#include "AudioEffectX.h"
#include "CDrawContext.h"
#include "CDropTarget.h"
#include "platform/MenuPresenter.h"
#include "platform/PlatformFrame.h"
#include "platform/PlatformInput.h"

#include <cstring>

namespace VSTGUI {

CFrame::CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor)
    : CViewContainer(size, nullptr, nullptr), editor(editor), systemWindow(systemWindow)
{
    parentFrame = this;
    platformFrame = PlatformFrame::create(this, systemWindow, size.width(), size.height());
    if (getWindow() != nullptr)
        setDropActive(true);
}

CFrame::~CFrame()
{
    if (modalView != nullptr)
        removeView(modalView, false);
    setCursor(kCursorDefault);
    setDropActive(false);
    if (dropTarget != nullptr) {
        // The window went before the frame; the registration went with it.
        delete dropTarget;
        dropTarget = nullptr;
    }
    delete platformFrame;
    platformFrame = nullptr;
    // Children go while this is still a frame: removing them asks the frame about its focus.
    focusView = nullptr;
    removeAll(true);
}

void* CFrame::getWindow() const
{
    return platformFrame != nullptr ? platformFrame->getWindow() : nullptr;
}

CDrawContext* CFrame::createDrawContext()
{
    return new CDrawContext(this, nullptr, getWindow());
}

void CFrame::windowDestroyed()
{
    setOpenFlag(false);
    systemWindow = nullptr;
}

void CFrame::viewRemoved(CView* view)
{
    if (view == nullptr)
        return;
    // A view that leaves takes everything below it along; no pointer to any of it may stay.
    auto inside = [view](CView* v) {
        for (; v != nullptr; v = v->getParentView())
            if (v == view)
                return true;
        return false;
    };
    if (focusView != nullptr && inside(focusView))
        setFocusView(nullptr);
    if (modalView != nullptr && inside(modalView))
        modalView = nullptr;
}

bool CFrame::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CFrame") == 0)
        return true;
    return CViewContainer::isTypeOf(name);
}

// Drawing ----------------------------------------------------------------------------------

void CFrame::draw(CDrawContext* context)
{
    firstDraw = false;
    CViewContainer::draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    firstDraw = false;
    CDrawContext* own = nullptr;
    if (context == nullptr)
        context = own = createDrawContext();
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect newClip = updateRect;
    newClip.bound(oldClip);
    context->setClipRect(newClip);
    if (updateRect.width() > 0 && updateRect.height() > 0)
        CViewContainer::drawRect(context, updateRect);
    context->setClipRect(oldClip);
    if (own != nullptr)
        own->release();
}

void CFrame::update(CDrawContext* context)
{
    if (!openFlag || updatesDisabled || context == nullptr)
        return;
    if (dirty) {
        draw(context);
        setDirty(false);
        return;
    }
    CRect oldClip;
    context->getClipRect(oldClip);
    if (modalView != nullptr && modalView->isDirty())
        modalView->update(context);
    for (Node* n = first; n != nullptr; n = n->next) {
        CRect clip;
        n->view->getViewSize(clip);
        clip.bound(oldClip);
        context->setClipRect(clip);
        n->view->update(context);
    }
    context->setClipRect(oldClip);
}

void CFrame::processEvents()
{
    if (platformFrame != nullptr)
        platformFrame->processEvents();
}

void CFrame::idle()
{
    processEvents();
    // The events may have closed the window: a retired frame draws nothing more.
    if (closing || !openFlag || firstDraw)
        return;
    if (isDirty()) {
        CDrawContext* context = createDrawContext();
        update(context);
        context->release();
    }
}

void CFrame::drawView(CView* view)
{
    if (view != nullptr && !isChild(view))
        view = nullptr;
    CDrawContext* context = createDrawContext();
    if (view != nullptr)
        view->draw(context);
    else
        draw(context);
    context->release();
}

void CFrame::invalidate(const CRect& rect)
{
    for (Node* n = first; n != nullptr; n = n->next) {
        CRect r;
        n->view->getViewSize(r);
        if (r.touches(rect))
            n->view->setDirty(true);
    }
}

bool CFrame::setUpdatesDisabled(bool flag)
{
    const bool previous = updatesDisabled;
    updatesDisabled = flag;
    return previous;
}

// Mouse, wheel, keys, focus ----------------------------------------------------------------

void CFrame::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    // A close requested inside (from the host's idle in a control's loop, or from its answer
    // to an edit) waits until the click is done with the views.
    NestedLoopScope scope(editor);
    if (closing)
        return;
    if (editor != nullptr)
        editor->applyPendingChanges();
    if (focusView != nullptr)
        setFocusView(nullptr);
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    if (modalView != nullptr) {
        if (modalView->hitTest(where, buttons))
            modalView->mouse(context, where, buttons);
        return;
    }
    CViewContainer::mouse(context, where, buttons);
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance)
{
    NestedLoopScope scope(editor);
    if (closing)
        return false;
    if (editor != nullptr)
        editor->applyPendingChanges();
    CView* target = modalView != nullptr ? modalView : getViewAt(where, false);
    if (target == nullptr)
        return false;
    CDrawContext* own = nullptr;
    if (context == nullptr)
        context = own = createDrawContext();
    const bool result = target->onWheel(context, where, axis, distance);
    if (own != nullptr)
        own->release();
    return result;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, 1, distance);
}

void CFrame::onMouseDown(const CPoint& where, int32_t buttons)
{
    // The scope outlives the context, so a close waiting at the end frees nothing it uses.
    NestedLoopScope scope(editor);
    CDrawContext* context = createDrawContext();
    CPoint at = where;
    mouse(context, at, buttons);
    context->release();
}

void CFrame::retire()
{
    closing = true;
    if (popupOpen)
        MenuPresenter::platformPresenter()->cancel();
    if (platformFrame != nullptr)
        platformFrame->endModalStates();
}

bool CFrame::onWheelAtMousePosition(void* parentWindow, float distance)
{
    CDrawContext* context = new CDrawContext(this, nullptr, parentWindow);
    CPoint where;
    context->getMouseLocation(where);
    const bool result = onWheel(context, where, distance);
    context->release();
    return result;
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode)
{
    if (editor != nullptr)
        editor->applyPendingChanges();
    if (focusView != nullptr) {
        const int32_t result = focusView->onKeyDown(keyCode);
        if (result != -1)
            return result;
    }
    if (modalView != nullptr) {
        const int32_t result = modalView->onKeyDown(keyCode);
        if (result != -1)
            return result;
    }
    if (keyCode.virt == VKEY_TAB)
        return advanceNextFocusView(focusView, (keyCode.modifier & MODIFIER_SHIFT) != 0) ? 1 : -1;
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode)
{
    if (focusView != nullptr) {
        const int32_t result = focusView->onKeyUp(keyCode);
        if (result != -1)
            return result;
    }
    if (modalView != nullptr) {
        const int32_t result = modalView->onKeyUp(keyCode);
        if (result != -1)
            return result;
    }
    return -1;
}

void CFrame::setFocusView(CView* view)
{
    CView* old = focusView;
    focusView = view;
    if (view != nullptr && view->wantsFocus())
        view->setDirty(true);
    if (old != nullptr) {
        old->loseFocus(nullptr);
        if (old->wantsFocus())
            old->setDirty(true);
    }
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    if (modalView != nullptr)
        return false;
    if (oldFocus == nullptr)
        oldFocus = focusView;
    if (oldFocus == nullptr)
        return CViewContainer::advanceNextFocusView(nullptr, reverse);
    CView* previous = oldFocus;
    if (!isChild(oldFocus)) {
        // Let each enclosing container move past the view it holds before the frame does.
        CView* parent = oldFocus->getParentView();
        while (parent != nullptr && parent != this) {
            if (isContainer(parent) && static_cast<CViewContainer*>(parent)->advanceNextFocusView(previous, reverse))
                return true;
            previous = parent;
            parent = parent->getParentView();
        }
    }
    if (CViewContainer::advanceNextFocusView(previous, reverse))
        return true;
    setFocusView(nullptr);
    return false;
}

bool CFrame::setModalView(CView* view)
{
    if (view != nullptr && modalView != nullptr)
        return false;
    if (modalView != nullptr)
        removeView(modalView, false);
    modalView = view;
    if (view != nullptr)
        addView(view);
    return true;
}

CView* CFrame::getCurrentView() const
{
    if (modalView != nullptr)
        return modalView;
    return CViewContainer::getCurrentView();
}

bool CFrame::getCurrentLocation(CPoint& where)
{
    const CPoint screen = platformCursorPosition();
    const CPoint origin = platformFrame != nullptr ? platformFrame->getWindowOrigin() : CPoint();
    where = CPoint(screen.h - origin.h, screen.v - origin.v);
    return true;
}

void CFrame::setCursor(int32_t type)
{
    if (platformFrame != nullptr)
        platformFrame->setCursor(type);
}

// Editor -----------------------------------------------------------------------------------

void CFrame::doIdleStuff()
{
    // Where the host's own loop advances the tracking, the host runs the editor's idle.
    if (platformFrame != nullptr && platformFrame->yieldToHost())
        return;
    processEvents();
    if (editor != nullptr)
        editor->idleDuringTracking();
}

uint32_t CFrame::getTicks() const
{
    return editor != nullptr ? platformTicks() : 0;
}

int32_t CFrame::getKnobMode() const
{
    return globalKnobMode;
}

void CFrame::beginEdit(int32_t tag)
{
    if (editor != nullptr)
        editor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag)
{
    if (editor != nullptr)
        editor->endEdit(tag);
}

// Window -----------------------------------------------------------------------------------

bool CFrame::open(CPoint* where)
{
    (void)where;
    return false;
}

bool CFrame::close()
{
    return false;
}

bool CFrame::setPosition(int32_t x, int32_t y)
{
    (void)x;
    (void)y;
    return false;
}

bool CFrame::getPosition(int32_t& x, int32_t& y) const
{
    if (!openFlag || platformFrame == nullptr)
        return false;
    return platformFrame->getPosition(x, y);
}

bool CFrame::getSize(CRect* rect) const
{
    return rect != nullptr && getSize(*rect);
}

bool CFrame::getSize(CRect& rect) const
{
    if (!openFlag || platformFrame == nullptr)
        return false;
    return platformFrame->getSize(rect);
}

void CFrame::setViewSize(const CRect& rect)
{
    setSize(rect.width(), rect.height());
}

bool CFrame::setSize(int32_t width, int32_t height)
{
    if (!openFlag)
        return false;
    if (width == size.width() && height == size.height())
        return false;
    bool hostResized = false;
    if (editor != nullptr) {
        AudioEffectX* effect = dynamic_cast<AudioEffectX*>(editor->getEffect());
        char canDo[] = "sizeWindow";
        hostResized = effect != nullptr && effect->canHostDo(canDo) != 0 && effect->sizeWindow(width, height);
    }
    size.right = size.left + width;
    size.bottom = size.top + height;
    if (platformFrame != nullptr) {
        if (hostResized)
            platformFrame->resizeWindow(width, height);
        else
            platformFrame->resizeWindowChain(width, height);
    }
    // The off-screen buffer follows the new size on every path, and everything is redrawn.
    CViewContainer::setViewSize(CRect(0, 0, width, height));
    return true;
}

bool CFrame::setDropActive(bool flag)
{
    if (!dropActive && !flag)
        return true;
    if (getWindow() == nullptr)
        return false;
    if (dropTarget != nullptr) {
        if (platformFrame != nullptr)
            platformFrame->revokeDropTarget();
        delete dropTarget;
        dropTarget = nullptr;
    }
    if (flag) {
        dropTarget = new CDropTarget(this);
        platformFrame->registerDropTarget(dropTarget);
    }
    dropActive = flag;
    return true;
}

} // namespace VSTGUI
