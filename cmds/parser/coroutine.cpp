#include "cmds/parser/coroutine_internal.h"

#include <cstdint>
#include <new>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>
#endif

// The sanitizers must be told when the stack changes, or they take the other stack's frames for
// corruption.
// gcc tells of a sanitizer by a macro, clang through __has_feature.
#if defined(__has_feature)
#define CMDS_HAS_FEATURE(feature) __has_feature(feature)
#else
#define CMDS_HAS_FEATURE(feature) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || CMDS_HAS_FEATURE(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#define CMDS_ASAN_FIBERS 1
#endif
#if defined(__SANITIZE_THREAD__) || CMDS_HAS_FEATURE(thread_sanitizer)
#include <sanitizer/tsan_interface.h>
#define CMDS_TSAN_FIBERS 1
#endif

namespace cmds::detail {

#if defined(_WIN32)

struct Coroutine::Context {
    std::function<void()> body;
    void* fiber = nullptr;
    void* caller = nullptr;
    bool done = false;

    static void CALLBACK Entry(void* parameter) {
        auto* context = static_cast<Context*>(parameter);
        context->body();
        context->done = true;
        SwitchToFiber(context->caller);
    }
};

Coroutine::Coroutine(std::function<void()> body) : context_(std::make_unique<Context>()) {
    context_->body = std::move(body);
    context_->fiber = CreateFiber(kStackSize, &Context::Entry, context_.get());
    if (context_->fiber == nullptr) {
        throw std::bad_alloc();
    }
}

Coroutine::~Coroutine() {
    DeleteFiber(context_->fiber);
}

// A thread must be a fiber to switch to one; a thread that was not is made one for the switch
// and turned back afterwards.
void Coroutine::Resume() {
    const bool converted = IsThreadAFiber() == FALSE;
    context_->caller = converted ? ConvertThreadToFiber(nullptr) : GetCurrentFiber();
    if (context_->caller == nullptr) {
        throw std::bad_alloc();
    }
    SwitchToFiber(context_->fiber);
    if (converted) {
        ConvertFiberToThread();
    }
}

void Coroutine::Pause() {
    SwitchToFiber(context_->caller);
}

#else

struct Coroutine::Context {
    std::function<void()> body;
    ucontext_t caller{};
    ucontext_t own{};
    void* stack = nullptr;
    std::size_t mapped = 0;
    std::size_t guard = 0;
    bool done = false;
#if defined(CMDS_ASAN_FIBERS)
    const void* callerStack = nullptr;
    std::size_t callerStackSize = 0;
#endif
#if defined(CMDS_TSAN_FIBERS)
    void* fiber = nullptr;
    void* callerFiber = nullptr;
#endif

    // makecontext passes int arguments only, so the context's address comes in two halves.
    static void Entry(unsigned high, unsigned low) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): makecontext leaves no other way.
        auto* context = reinterpret_cast<Context*>(static_cast<std::uintptr_t>(high) << 32 |
                                                   static_cast<std::uintptr_t>(low));
#if defined(CMDS_ASAN_FIBERS)
        __sanitizer_finish_switch_fiber(nullptr, &context->callerStack, &context->callerStackSize);
#endif
        context->body();
        context->done = true;
#if defined(CMDS_ASAN_FIBERS)
        __sanitizer_start_switch_fiber(nullptr, context->callerStack, context->callerStackSize);
#endif
#if defined(CMDS_TSAN_FIBERS)
        __tsan_switch_to_fiber(context->callerFiber, 0);
#endif
        setcontext(&context->caller);
    }

    void* StackBase() const {
        return static_cast<char*>(stack) + guard;
    }
};

// The stack is mapped with an inaccessible page below it, so that running off its end stops the
// process instead of overwriting other memory.
Coroutine::Coroutine(std::function<void()> body) : context_(std::make_unique<Context>()) {
    Context& context = *context_;
    context.body = std::move(body);
    context.guard = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    context.mapped = kStackSize + context.guard;
    context.stack = mmap(nullptr, context.mapped, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (context.stack == MAP_FAILED) {
        throw std::bad_alloc();
    }
    mprotect(context.stack, context.guard, PROT_NONE);
    getcontext(&context.own);
    context.own.uc_stack.ss_sp = context.StackBase();
    context.own.uc_stack.ss_size = kStackSize;
    context.own.uc_link = nullptr;
    const auto address = reinterpret_cast<std::uintptr_t>(&context);
    makecontext(&context.own, reinterpret_cast<void (*)()>(&Context::Entry), 2,
                static_cast<unsigned>(address >> 32), static_cast<unsigned>(address));
#if defined(CMDS_TSAN_FIBERS)
    context.fiber = __tsan_create_fiber(0);
#endif
}

Coroutine::~Coroutine() {
#if defined(CMDS_TSAN_FIBERS)
    __tsan_destroy_fiber(context_->fiber);
#endif
    munmap(context_->stack, context_->mapped);
}

void Coroutine::Resume() {
    Context& context = *context_;
#if defined(CMDS_ASAN_FIBERS)
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, context.StackBase(), kStackSize);
#endif
#if defined(CMDS_TSAN_FIBERS)
    context.callerFiber = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(context.fiber, 0);
#endif
    swapcontext(&context.caller, &context.own);
#if defined(CMDS_ASAN_FIBERS)
    __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
}

void Coroutine::Pause() {
    Context& context = *context_;
#if defined(CMDS_ASAN_FIBERS)
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, context.callerStack, context.callerStackSize);
#endif
#if defined(CMDS_TSAN_FIBERS)
    __tsan_switch_to_fiber(context.callerFiber, 0);
#endif
    swapcontext(&context.own, &context.caller);
#if defined(CMDS_ASAN_FIBERS)
    __sanitizer_finish_switch_fiber(fakeStack, &context.callerStack, &context.callerStackSize);
#endif
}

#endif

bool Coroutine::Done() const {
    return context_->done;
}

}  // namespace cmds::detail
