#include "platform/crash/CrashSignalHandler.h"

#include "platform/crash/CrashFileWriter.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <memory>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace quillmark {

namespace {

constexpr std::array<int, 6> kSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr std::size_t kMaxFrames = 128;
constexpr std::size_t kPathSize = 4096;
constexpr std::size_t kHeaderSize = 4096;
constexpr std::size_t kAltStackSize = 256 * 1024;

// Everything the handler reads, set up before it is installed.
struct HandlerState {
    char path[kPathSize] = {};
    char temporaryPath[kPathSize] = {};
    char header[kHeaderSize] = {};
    const LoadedImages* images = nullptr;
    const BreadcrumbRing* breadcrumbs = nullptr;
    std::array<struct sigaction, kSignals.size()> previous{};
    std::unique_ptr<char[]> altStack;
    stack_t previousAltStack{};
    bool installed = false;
    void* frames[kMaxFrames] = {};
};

HandlerState& state() {
    static HandlerState instance;
    return instance;
}

std::atomic<bool> handling{false};

void copyText(char* target, std::size_t size, const std::string& source) {
    const std::size_t length = std::min(size - 1, source.size());
    std::memcpy(target, source.data(), length);
    target[length] = '\0';
}

std::uintptr_t interruptedAddress(void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
    if (!uc) return 0;
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
#else
    return 0;
#endif
}

// The frames from the interrupted instruction outwards: backtrace() starts in this handler and steps
// through the signal frame; what lies before the interrupted address is ours and is dropped.
std::size_t crashingStack(HandlerState& s, void* context, std::size_t& first) {
    const int count = ::backtrace(s.frames, static_cast<int>(kMaxFrames));
    const std::uintptr_t pc = interruptedAddress(context);
    first = 0;
    if (count <= 0) return 0;
    for (int i = 0; i < count; ++i) {
        const auto address = reinterpret_cast<std::uintptr_t>(s.frames[i]);
        if (pc != 0 && (address == pc || address == pc + 1)) {
            first = static_cast<std::size_t>(i);
            return static_cast<std::size_t>(count) - first;
        }
    }
    // The unwinder did not pass the interrupted address: put it first, then whatever follows the
    // handler's own two frames.
    if (pc != 0 && count >= 2) {
        s.frames[1] = reinterpret_cast<void*>(pc);
        first = 1;
        return static_cast<std::size_t>(count) - 1;
    }
    return static_cast<std::size_t>(count);
}

std::size_t indexOf(int signal) {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        if (kSignals[i] == signal) return i;
    return kSignals.size();
}

void restorePrevious(HandlerState& s, int signal) {
    const std::size_t index = indexOf(signal);
    if (index == kSignals.size()) return;
    struct sigaction previous = s.previous[index];
    if (previous.sa_handler == SIG_IGN) previous.sa_handler = SIG_DFL;
    ::sigaction(signal, &previous, nullptr);
}

void handleCrash(int signal, siginfo_t* info, void* context) {
    HandlerState& s = state();
    if (!handling.exchange(true)) {
        std::size_t first = 0;
        const std::size_t frameCount = crashingStack(s, context, first);
        CrashFileWriter::Record record;
        record.signal = signal;
        record.code = info ? info->si_code : 0;
        record.faultAddress = info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0;
        record.threadId = static_cast<std::int64_t>(::syscall(SYS_gettid));
        record.header = s.header;
        record.frames = s.frames + first;
        record.frameCount = frameCount;
        if (s.images && s.breadcrumbs)
            CrashFileWriter::write(s.path, s.temporaryPath, record, *s.images, *s.breadcrumbs);
    }
    // Whatever was there before takes the signal when this handler returns; the exit status and
    // any core dump are the system's.
    restorePrevious(s, signal);
    ::syscall(SYS_tgkill, ::getpid(), ::syscall(SYS_gettid), signal);
}

// One thread's alternate stack, made by prepareThisThread() and given up when the thread ends: the
// stack that was there before (the sanitizer's, say) is put back, or none, and the memory unmapped.
class ThreadAltStack {
public:
    ThreadAltStack() {
        void* memory = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) return;
        stack_t stack{};
        stack.ss_sp = memory;
        stack.ss_size = kAltStackSize;
        if (::sigaltstack(&stack, &previous_) != 0) {
            ::munmap(memory, kAltStackSize);
            return;
        }
        memory_ = memory;
    }
    ~ThreadAltStack() {
        if (!memory_) return;
        if (previous_.ss_sp && !(previous_.ss_flags & SS_DISABLE)) {
            previous_.ss_flags = 0;
            ::sigaltstack(&previous_, nullptr);
        } else {
            stack_t disable{};
            disable.ss_flags = SS_DISABLE;
            ::sigaltstack(&disable, nullptr);
        }
        ::munmap(memory_, kAltStackSize);
    }
    ThreadAltStack(const ThreadAltStack&) = delete;
    ThreadAltStack& operator=(const ThreadAltStack&) = delete;

private:
    void* memory_ = nullptr;
    stack_t previous_{};
};

void warmUpUnwinder() {
    // The first backtrace() loads the unwinder library; that must not happen in the handler.
    void* frames[4];
    ::backtrace(frames, 4);
}

}  // namespace

void CrashSignalHandler::install(const std::string& pendingPath, const std::string& header, const LoadedImages& images,
                                 const BreadcrumbRing& breadcrumbs) {
    HandlerState& s = state();
    if (s.installed) uninstall();
    copyText(s.path, kPathSize, pendingPath);
    copyText(s.temporaryPath, kPathSize, pendingPath + ".tmp");
    copyText(s.header, kHeaderSize, header);
    s.images = &images;
    s.breadcrumbs = &breadcrumbs;
    warmUpUnwinder();
    handling.store(false);

    if (!s.altStack) s.altStack = std::make_unique<char[]>(kAltStackSize);
    stack_t stack{};
    stack.ss_sp = s.altStack.get();
    stack.ss_size = kAltStackSize;
    ::sigaltstack(&stack, &s.previousAltStack);

    struct sigaction action {};
    action.sa_sigaction = handleCrash;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &s.previous[i]);
    s.installed = true;
}

void CrashSignalHandler::uninstall() {
    HandlerState& s = state();
    if (!s.installed) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &s.previous[i], nullptr);
    if (s.previousAltStack.ss_sp && !(s.previousAltStack.ss_flags & SS_DISABLE))
        ::sigaltstack(&s.previousAltStack, nullptr);
    else {
        stack_t disable{};
        disable.ss_flags = SS_DISABLE;
        ::sigaltstack(&disable, nullptr);
    }
    s.images = nullptr;
    s.breadcrumbs = nullptr;
    s.installed = false;
}

bool CrashSignalHandler::isInstalled() { return state().installed; }

void CrashSignalHandler::prepareThisThread() {
    // Made on the thread's first call, destroyed when the thread ends.
    thread_local ThreadAltStack stack;
    warmUpUnwinder();  // backtrace() may not load its library inside the handler, on any thread
}

}  // namespace quillmark
