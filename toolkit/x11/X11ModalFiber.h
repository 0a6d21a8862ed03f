// A stack of the editor's own for the work one input event starts. On Linux the host's toolkit
// loop calls the editor's idle, so a control that follows the mouse, a pop-up menu or a dialog
// must not wait for the user inside that call: the event's work runs on this stack, and where
// it would wait it suspends, handing control back to the host. The host's next idle resumes it
// where it stopped. The work itself is the same code the Windows layer runs inside the system's
// modal loops, so what the user sees and the order of the calls the effect receives are the
// same on both.
//
// Everything runs on the UI thread; the stack only changes which function returns to whom.
#pragma once

#include <cstddef>
#include <functional>

namespace VSTGUI {

class X11ModalFiber {
public:
    X11ModalFiber();
    // Frees the stack. A fiber that is still suspended is abandoned as it stands (its frames
    // never finish); the owner ends it with resume() first.
    ~X11ModalFiber();
    X11ModalFiber(const X11ModalFiber&) = delete;
    X11ModalFiber& operator=(const X11ModalFiber&) = delete;

    // Runs task on the fiber's stack until it returns (true) or suspends (false). Only when
    // the fiber is idle (neither running nor suspended); false without running anything when
    // no stack could be had.
    bool start(std::function<void()> task);
    // Continues a suspended task until it returns (true) or suspends again (false).
    bool resume();
    // From inside the task: back to whoever called start or resume.
    void suspend();

    bool isSuspended() const { return state == kSuspended; }
    // Whether the code running now is this fiber's task.
    bool isRunning() const { return state == kRunning; }

private:
    enum State { kIdle, kRunning, kSuspended };
    static void trampoline(unsigned int high, unsigned int low);
    bool switchIn();

    struct Contexts;
    Contexts* contexts = nullptr;
    void* stack = nullptr;
    size_t stackSize = 0;
    State state = kIdle;
    bool finished = false;
    std::function<void()> task;
    // Sanitizer bookkeeping for the stack switch (unused in plain builds).
    void* fakeStack = nullptr;
    void* tsanFiber = nullptr;
    void* tsanCaller = nullptr;
    const void* callerStackBottom = nullptr;
    size_t callerStackSize = 0;
};

} // namespace VSTGUI
