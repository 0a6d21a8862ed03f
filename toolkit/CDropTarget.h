// Turns the system's drag events on the frame window into the frame's drag operations. The
// platform layer registers it with the window system and forwards the events; the location
// always comes from the pointer, not from the event.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CDragContainer;
class CFrame;

class CDropTarget {
public:
    enum : int32_t { kDropNone = 0, kDropMove = 2 };

    explicit CDropTarget(CFrame* frame) : frame(frame) {}
    ~CDropTarget();
    CDropTarget(const CDropTarget&) = delete;
    CDropTarget& operator=(const CDropTarget&) = delete;

    // Each answers the drop effect for the system (kDropNone or kDropMove).
    int32_t dragEnter(void* platformDrag);
    int32_t dragOver();
    void dragLeave();
    void drop();

    CFrame* getFrame() const { return frame; }
    // The drag in progress, shared by the whole process; null outside a drag.
    static CDragContainer* currentDrag();

private:
    CFrame* frame;
};

} // namespace VSTGUI
