#include "platform/crash/MainThreadSampler.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <execinfo.h>
#include <mutex>
#include <semaphore.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace quillmark {

namespace {

constexpr int kMaxFrames = 128;
constexpr long kAnswerNanoseconds = 250'000'000;

int sampleSignal() { return SIGRTMIN + 5; }

struct SamplerState {
    std::mutex sampling;  // one sample at a time
    sem_t answered{};
    std::atomic<bool> armed{false};
    std::atomic<bool> installed{false};
    pid_t thread = 0;
    void* frames[kMaxFrames] = {};
    std::atomic<int> count{0};
    std::uintptr_t interrupted = 0;
    struct sigaction previous {};
};

SamplerState& state() {
    static SamplerState instance;
    return instance;
}

std::uintptr_t interruptedAddress(void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return uc ? static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]) : 0;
#elif defined(__aarch64__)
    return uc ? static_cast<std::uintptr_t>(uc->uc_mcontext.pc) : 0;
#else
    return 0;
#endif
}

void answerSample(int, siginfo_t*, void* context) {
    SamplerState& s = state();
    if (!s.armed.exchange(false)) return;  // late: the watchdog gave up on this one
    const int savedErrno = errno;
    s.interrupted = interruptedAddress(context);
    s.count.store(::backtrace(s.frames, kMaxFrames), std::memory_order_release);
    ::sem_post(&s.answered);
    errno = savedErrno;
}

}  // namespace

void MainThreadSampler::install() {
    SamplerState& s = state();
    if (s.installed.exchange(true)) return;
    static std::once_flag semaphore;
    std::call_once(semaphore, [&] { ::sem_init(&s.answered, 0, 0); });
    s.thread = static_cast<pid_t>(::syscall(SYS_gettid));
    void* warm[4];
    ::backtrace(warm, 4);  // loads the unwinder now, not in the handler
    struct sigaction action {};
    action.sa_sigaction = answerSample;
    action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(sampleSignal(), &action, &s.previous);
}

void MainThreadSampler::uninstall() {
    SamplerState& s = state();
    std::lock_guard lock(s.sampling);
    if (!s.installed.exchange(false)) return;
    s.armed.store(false);
    ::sigaction(sampleSignal(), &s.previous, nullptr);
}

std::vector<void*> MainThreadSampler::sample() {
    SamplerState& s = state();
    std::lock_guard lock(s.sampling);
    if (!s.installed.load()) return {};
    while (::sem_trywait(&s.answered) == 0) {}
    s.count.store(0);
    s.armed.store(true);
    if (::syscall(SYS_tgkill, ::getpid(), s.thread, sampleSignal()) != 0) {
        s.armed.store(false);
        return {};
    }
    timespec deadline{};
    ::clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_nsec += kAnswerNanoseconds;
    if (deadline.tv_nsec >= 1'000'000'000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1'000'000'000;
    }
    while (::sem_timedwait(&s.answered, &deadline) != 0) {
        if (errno == EINTR) continue;
        if (s.armed.exchange(false)) return {};  // no answer: the watchdog's own record stands
        // The handler has begun: it posts as soon as its walk is done.
        while (::sem_wait(&s.answered) != 0 && errno == EINTR) {}
        break;
    }
    const int count = s.count.load(std::memory_order_acquire);
    std::vector<void*> frames(s.frames, s.frames + (count > 0 ? count : 0));
    // Drop the handler's own frames: the stack starts where the thread was interrupted.
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto address = reinterpret_cast<std::uintptr_t>(frames[i]);
        if (address == s.interrupted || address == s.interrupted + 1) {
            frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    return frames;
}

}  // namespace quillmark
