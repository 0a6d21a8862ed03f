#include "X11ModalFiber.h"

#include <cstdint>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ORVANNE_FIBER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANNE_FIBER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define ORVANNE_FIBER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORVANNE_FIBER_TSAN 1
#endif
#endif

#ifdef ORVANNE_FIBER_ASAN
#include <sanitizer/common_interface_defs.h>
#endif
#ifdef ORVANNE_FIBER_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace VSTGUI {

namespace {

// Drawing (Cairo, pixman, the font machinery) is the deepest work an event does; the pages
// are only touched as far as it goes. One guard page below catches an overflow at once.
constexpr size_t kStackBytes = 1024 * 1024;

} // namespace

struct X11ModalFiber::Contexts {
    ucontext_t caller;
    ucontext_t fiber;
};

X11ModalFiber::X11ModalFiber() : contexts(new Contexts()) {}

X11ModalFiber::~X11ModalFiber()
{
#ifdef ORVANNE_FIBER_TSAN
    if (tsanFiber != nullptr)
        __tsan_destroy_fiber(tsanFiber);
#endif
    if (stack != nullptr)
        munmap(stack, stackSize);
    delete contexts;
}

bool X11ModalFiber::start(std::function<void()> work)
{
    if (state != kIdle)
        return false;
    if (stack == nullptr) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t size = kStackBytes + page;
        void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return false;
        mprotect(mapped, page, PROT_NONE);
        stack = mapped;
        stackSize = size;
    }
#ifdef ORVANNE_FIBER_TSAN
    if (tsanFiber == nullptr)
        tsanFiber = __tsan_create_fiber(0);
#endif
    if (getcontext(&contexts->fiber) != 0)
        return false;
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    contexts->fiber.uc_stack.ss_sp = static_cast<char*>(stack) + page;
    contexts->fiber.uc_stack.ss_size = stackSize - page;
    contexts->fiber.uc_link = nullptr;
    const uintptr_t self = reinterpret_cast<uintptr_t>(this);
    makecontext(&contexts->fiber, reinterpret_cast<void (*)()>(&X11ModalFiber::trampoline), 2,
                static_cast<unsigned int>(uint64_t(self) >> 32), static_cast<unsigned int>(self & 0xffffffffu));
    task = std::move(work);
    finished = false;
    return switchIn();
}

bool X11ModalFiber::resume()
{
    if (state != kSuspended)
        return state == kIdle;
    return switchIn();
}

bool X11ModalFiber::switchIn()
{
    state = kRunning;
#ifdef ORVANNE_FIBER_ASAN
    void* callerFake = nullptr;
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    __sanitizer_start_switch_fiber(&callerFake, static_cast<char*>(stack) + page, stackSize - page);
#endif
#ifdef ORVANNE_FIBER_TSAN
    tsanCaller = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(tsanFiber, 0);
#endif
    swapcontext(&contexts->caller, &contexts->fiber);
#ifdef ORVANNE_FIBER_ASAN
    __sanitizer_finish_switch_fiber(callerFake, nullptr, nullptr);
#endif
    if (finished) {
        finished = false;
        task = nullptr;
        state = kIdle;
        return true;
    }
    state = kSuspended;
    return false;
}

void X11ModalFiber::suspend()
{
    if (state != kRunning)
        return;
#ifdef ORVANNE_FIBER_ASAN
    __sanitizer_start_switch_fiber(&fakeStack, callerStackBottom, callerStackSize);
#endif
#ifdef ORVANNE_FIBER_TSAN
    __tsan_switch_to_fiber(tsanCaller, 0);
#endif
    swapcontext(&contexts->fiber, &contexts->caller);
#ifdef ORVANNE_FIBER_ASAN
    __sanitizer_finish_switch_fiber(fakeStack, &callerStackBottom, &callerStackSize);
#endif
}

void X11ModalFiber::trampoline(unsigned int high, unsigned int low)
{
    X11ModalFiber* self = reinterpret_cast<X11ModalFiber*>(uintptr_t((uint64_t(high) << 32) | uint64_t(low)));
#ifdef ORVANNE_FIBER_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &self->callerStackBottom, &self->callerStackSize);
#endif
    self->task();
    self->finished = true;
#ifdef ORVANNE_FIBER_ASAN
    __sanitizer_start_switch_fiber(nullptr, self->callerStackBottom, self->callerStackSize);
#endif
#ifdef ORVANNE_FIBER_TSAN
    __tsan_switch_to_fiber(self->tsanCaller, 0);
#endif
    setcontext(&self->contexts->caller);
}

} // namespace VSTGUI
