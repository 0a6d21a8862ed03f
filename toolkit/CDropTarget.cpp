#include "CDropTarget.h"

#include "CDragContainer.h"
#include "CDrawContext.h"
#include "CFrame.h"

namespace VSTGUI {

namespace {

CDragContainer* gCurrentDrag = nullptr;

void endDrag()
{
    if (gCurrentDrag != nullptr) {
        gCurrentDrag->release();
        gCurrentDrag = nullptr;
    }
}

} // namespace

CDropTarget::~CDropTarget()
{
    // A target that goes away in the middle of a drag takes the drag with it.
    endDrag();
}

CDragContainer* CDropTarget::currentDrag()
{
    return gCurrentDrag;
}

int32_t CDropTarget::dragEnter(void* platformDrag)
{
    if (platformDrag == nullptr || frame == nullptr)
        return kDropNone;
    endDrag();
    gCurrentDrag = new CDragContainer(platformDrag);
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    frame->getMouseLocation(context, where);
    frame->onDragEnter(context, gCurrentDrag, where);
    context->release();
    return kDropMove;
}

int32_t CDropTarget::dragOver()
{
    if (gCurrentDrag == nullptr || frame == nullptr)
        return kDropNone;
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    frame->getMouseLocation(context, where);
    frame->onDragMove(context, gCurrentDrag, where);
    context->release();
    return kDropMove;
}

void CDropTarget::dragLeave()
{
    if (gCurrentDrag == nullptr || frame == nullptr)
        return;
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    frame->getMouseLocation(context, where);
    frame->onDragLeave(context, gCurrentDrag, where);
    context->release();
    endDrag();
}

void CDropTarget::drop()
{
    if (gCurrentDrag == nullptr || frame == nullptr)
        return;
    CDrawContext* context = frame->createDrawContext();
    CPoint where;
    frame->getMouseLocation(context, where);
    frame->onDrop(context, gCurrentDrag, where);
    context->release();
    endDrag();
}

} // namespace VSTGUI
