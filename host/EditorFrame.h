// What the editor base needs from the toolkit's frame: idle time, keys, and the wheel at the
// current mouse position. The toolkit's frame implements it.
#pragma once

#include "VstInterface.h"

class EditorFrame {
public:
    virtual ~EditorFrame() {}

    // Redraws what is dirty.
    virtual void idle() = 0;
    // 1 when the key was handled, -1 when not.
    virtual VstInt32 onKeyDown(VstKeyCode& keyCode) = 0;
    virtual VstInt32 onKeyUp(VstKeyCode& keyCode) = 0;
    // Makes a drawing context on parentWindow, finds the current mouse position in frame
    // coordinates and hands the wheel turn (notches, positive away from the user) to the
    // view there. True when a view took it.
    virtual bool onWheelAtMousePosition(void* parentWindow, float distance) = 0;
    // The editor closed this frame while a nested loop still runs in it: the frame is deleted
    // once the loops have unwound; until then its loops leave as soon as they can.
    virtual void retire() {}
};
