#include "RealTimeCounters.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

thread_local bool watching = false;
std::atomic<long> heapCalls{0};
std::atomic<long> lockCalls{0};
std::atomic<long> systemCalls{0};
constexpr int kRecorded = 8;
std::atomic<long> recorded[kRecorded];

inline void countHeap()
{
    if (watching)
        heapCalls.fetch_add(1, std::memory_order_relaxed);
}

inline void countLock()
{
    if (watching)
        lockCalls.fetch_add(1, std::memory_order_relaxed);
}

template <typename F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A trapped system call: counted and answered with ENOSYS (it never runs).
void onSystemCall(int, siginfo_t* info, void* context)
{
    if (watching) {
        const long n = systemCalls.fetch_add(1, std::memory_order_relaxed);
        if (n < kRecorded)
            recorded[n].store(info->si_syscall, std::memory_order_relaxed);
    }
    static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
}

// Traps every system call of the calling thread except those that return from the handler and
// end the thread.
bool trapSystemCalls()
{
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rt_sigreturn, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_exit, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter = {static_cast<unsigned short>(sizeof(program) / sizeof(program[0])), program};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter, 0, 0) == 0;
}

struct Job {
    void (*work)(void*);
    void* context;
    bool filtered;
};

void* runWatched(void* argument)
{
    Job* job = static_cast<Job*>(argument);
    // The thread's own heap arena is set up before the watch: it belongs to the thread, not
    // to the code watched.
    __libc_free(__libc_malloc(64));
    job->filtered = trapSystemCalls();
    watching = true;
    job->work(job->context);
    watching = false;
    return nullptr;
}

} // namespace

namespace rt {

Counts watch(void (*work)(void*), void* context, bool& systemCallsWatched)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onSystemCall;
    action.sa_flags = SA_SIGINFO;
    sigaction(SIGSYS, &action, nullptr);

    heapCalls = 0;
    lockCalls = 0;
    systemCalls = 0;
    Job job{work, context, false};
    pthread_t thread;
    pthread_create(&thread, nullptr, runWatched, &job);
    pthread_join(thread, nullptr);

    Counts counts;
    counts.heap = heapCalls.load();
    counts.locks = lockCalls.load();
    counts.systemCalls = systemCalls.load();
    for (long i = 0; i < counts.systemCalls && i < kRecorded; ++i)
        counts.firstSystemCalls += std::to_string(recorded[i].load()) + " ";
    systemCallsWatched = job.filtered;
    return counts;
}

} // namespace rt

// ---- The replaced entry points ----

extern "C" {

void* malloc(size_t size)
{
    countHeap();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    countHeap();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size)
{
    countHeap();
    return __libc_realloc(pointer, size);
}

void free(void* pointer)
{
    countHeap();
    __libc_free(pointer);
}

void* memalign(size_t alignment, size_t size)
{
    countHeap();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    countHeap();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size)
{
    countHeap();
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr)
        return ENOMEM;
    *result = pointer;
    return 0;
}

#define RT_FORWARD_LOCK(name, type)                                                                                    \
    int name(type* object)                                                                                             \
    {                                                                                                                  \
        countLock();                                                                                                   \
        static int (*real)(type*) = next<int (*)(type*)>(#name);                                                       \
        return real(object);                                                                                           \
    }

RT_FORWARD_LOCK(pthread_mutex_lock, pthread_mutex_t)
RT_FORWARD_LOCK(pthread_mutex_trylock, pthread_mutex_t)
RT_FORWARD_LOCK(pthread_rwlock_rdlock, pthread_rwlock_t)
RT_FORWARD_LOCK(pthread_rwlock_wrlock, pthread_rwlock_t)
RT_FORWARD_LOCK(pthread_spin_lock, pthread_spinlock_t)

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex)
{
    countLock();
    static int (*real)(pthread_cond_t*,
                       pthread_mutex_t*) = next<int (*)(pthread_cond_t*, pthread_mutex_t*)>("pthread_cond_wait");
    return real(condition, mutex);
}

} // extern "C"
