// Quit signals and the watch over a frame that outlasts one (POSIX signals, a C++ thread).
#include "base/quit_watch.h"

#include <csignal>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t g_quitSignal = 0;
struct sigaction g_before[3] = {};

void onQuitSignal(int sig)
{
    g_quitSignal = 1;
    for (int i = 0; i < 3; ++i) {
        const auto handler = g_before[i].sa_handler;
        if (kQuitSignals[i] == sig && !(g_before[i].sa_flags & SA_SIGINFO) && handler != SIG_DFL &&
            handler != SIG_IGN)
            handler(sig);
    }
}

// How often the watch looks at the flag the handler sets (a handler may not wake a thread).
constexpr std::chrono::milliseconds kLookInterval{50};

}  // namespace

void catchQuitSignals()
{
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kQuitSignals[i], &action, &g_before[i]);
}

bool quitSignalled()
{
    return g_quitSignal != 0;
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
        // Taken from the loop only while it is inside a frame: loading and the steps between
        // frames look at the flag themselves.
        int expected = InFrame;
        if (state_.compare_exchange_strong(expected, Forced)) {
            lock.unlock();
            forcedEnd_();
            return;
        }
    }
}
