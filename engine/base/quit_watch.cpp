// Quit signals and the watch over a frame or a loading step that outlasts one (POSIX signals, a C++ thread).
#include "base/quit_watch.h"

#include <csignal>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kQuitSignalCount = sizeof kQuitSignals / sizeof kQuitSignals[0];
std::atomic<bool> g_quitSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set inside a signal handler");
struct sigaction g_ours {};
struct sigaction g_before[kQuitSignalCount] = {};

void onQuitSignal(int sig, siginfo_t* info, void* context)
{
    g_quitSignal.store(true);
    for (int i = 0; i < kQuitSignalCount; ++i) {
        if (kQuitSignals[i] != sig) continue;
        const struct sigaction& before = g_before[i];
        if (before.sa_flags & SA_SIGINFO) {
            if (before.sa_sigaction) before.sa_sigaction(sig, info, context);
        } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
            before.sa_handler(sig);
        }
        // The earlier handler may have put itself in our place (SDL's does, with signal()).
        sigaction(sig, &g_ours, nullptr);
    }
}

// How often the watch looks at the flag the handler sets (a handler may not wake a thread).
constexpr std::chrono::milliseconds kLookInterval{50};

}  // namespace

void catchQuitSignals()
{
    g_ours.sa_sigaction = onQuitSignal;
    g_ours.sa_flags = SA_SIGINFO;
    sigemptyset(&g_ours.sa_mask);
    for (int i = 0; i < kQuitSignalCount; ++i) {
        struct sigaction current {};
        sigaction(kQuitSignals[i], nullptr, &current);
        // Ours already: recorded as the earlier handler it would call itself without end.
        if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == onQuitSignal) continue;
        sigaction(kQuitSignals[i], &g_ours, &g_before[i]);
    }
}

bool quitSignalled()
{
    return g_quitSignal.load();
}

void QuitWatch::start(std::chrono::milliseconds grace, std::function<void()> forcedEnd)
{
    grace_ = grace;
    forcedEnd_ = std::move(forcedEnd);
    thread_ = std::thread(&QuitWatch::watch, this);
}

void QuitWatch::frameBegins()
{
    int expected = BetweenFrames;
    if (!state_.compare_exchange_strong(expected, InFrame)) {
        expected = Loading;
        state_.compare_exchange_strong(expected, InFrame);
    }
}

bool QuitWatch::frameEnds()
{
    int expected = InFrame;
    return state_.compare_exchange_strong(expected, BetweenFrames);
}

void QuitWatch::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    int expected = state_.load();
    while (expected != Forced && !state_.compare_exchange_weak(expected, Leaving)) {
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void QuitWatch::watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    std::chrono::steady_clock::time_point signalledAt{};
    bool signalled = false;
    while (!wake_.wait_for(lock, kLookInterval, [this] { return stopping_; })) {
        if (!signalled) {
            signalled = quitSignalled();
            signalledAt = std::chrono::steady_clock::now();
            continue;
        }
        if (std::chrono::steady_clock::now() - signalledAt < grace_) continue;
        // Taken from the loop while it is inside a frame or still loading (the start-up looks at
        // the flag only between its steps); between frames the loop looks at it itself.
        for (int from : {InFrame, Loading}) {
            int expected = from;
            if (state_.compare_exchange_strong(expected, Forced)) {
                lock.unlock();
                forcedEnd_();
                return;
            }
        }
    }
}
