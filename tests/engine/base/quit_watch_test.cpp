// The end of a run asked for by a signal: left to the loop between frames and to a loading step
// that ends in time, taken by the watch from a frame or a loading step that outlasts the grace
// time; and the handler in front of the one before it. Signals are the process's, so each case
// runs in a child of its own.
#include "base/quit_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr int kForced = 3;
constexpr int kLoopsOwn = 0;

enum class Where { Loading, InFrame, BetweenFrames };

struct Case {
    const char* what;
    Where where;       // where the signal finds the loop
    bool endsInTime;   // the frame or the loading step ends within the grace time
    int exitCode;
};

[[noreturn]] void RunCase(const Case& c)
{
    catchQuitSignals();
    QuitWatch watch;
    watch.start(200ms, [] { std::_Exit(kForced); });
    if (c.where != Where::Loading) {
        watch.frameBegins();
        if (c.where == Where::BetweenFrames && !watch.frameEnds()) std::_Exit(1);
    }
    std::raise(SIGTERM);
    if (!quitSignalled()) std::_Exit(1);
    if (c.where != Where::BetweenFrames) {
        std::this_thread::sleep_for(c.endsInTime ? 20ms : 10s);
        // A loading step that ended in time leaves the start-up at once: the watch stops.
        if (c.where == Where::InFrame && !watch.frameEnds()) std::_Exit(1);
    }
    if (c.where != Where::Loading) std::this_thread::sleep_for(600ms);   // the loop looks itself
    watch.stop();
    std::_Exit(kLoopsOwn);
}

}  // namespace

TEST(QuitWatch, OnlyAFrameOrALoadingStepThatOutlastsTheGraceIsEndedByTheWatch)
{
    const Case cases[] = {
        {"a frame still going after the grace", Where::InFrame, false, kForced},
        {"a frame that ends in time", Where::InFrame, true, kLoopsOwn},
        {"between frames", Where::BetweenFrames, true, kLoopsOwn},
        {"a loading step still going after the grace", Where::Loading, false, kForced},
        {"a loading step that ends in time", Where::Loading, true, kLoopsOwn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(RunCase(c), testing::ExitedWithCode(c.exitCode), "");
    }
}

namespace {

enum class Earlier { Default, Plain, PutsItselfBack, WithSiginfo };

struct SignalCase {
    const char* what;
    Earlier earlier;   // the handler there before catchQuitSignals
    int signal;
    int catches;       // calls to catchQuitSignals
    int raises;
};

std::atomic<int> g_earlierCalls{0};
std::atomic<int> g_bypassed{0};   // signals that went to the earlier handler without ours
static_assert(std::atomic<int>::is_always_lock_free);

void plainHandler(int) { ++g_earlierCalls; }

// As SDL's handler does: it puts itself back in place with signal() each time it runs.
void putsItselfBack(int sig)
{
    struct sigaction now {};
    sigaction(sig, nullptr, &now);
    if (!(now.sa_flags & SA_SIGINFO) && now.sa_handler == putsItselfBack) ++g_bypassed;
    ++g_earlierCalls;
    std::signal(sig, putsItselfBack);
}

void withSiginfo(int sig, siginfo_t* info, void*)
{
    if (info && info->si_signo == sig && info->si_pid == getpid()) ++g_earlierCalls;
}

[[noreturn]] void RunSignalCase(const SignalCase& c)
{
    struct sigaction earlier {};
    sigemptyset(&earlier.sa_mask);
    earlier.sa_handler = SIG_DFL;
    if (c.earlier == Earlier::Plain) earlier.sa_handler = plainHandler;
    if (c.earlier == Earlier::PutsItselfBack) earlier.sa_handler = putsItselfBack;
    if (c.earlier == Earlier::WithSiginfo) {
        earlier.sa_sigaction = withSiginfo;
        earlier.sa_flags = SA_SIGINFO;
    }
    sigaction(c.signal, &earlier, nullptr);
    for (int i = 0; i < c.catches; ++i) catchQuitSignals();
    for (int i = 0; i < c.raises; ++i) std::raise(c.signal);   // the default action would end the process here
    if (!quitSignalled()) std::_Exit(2);
    if (g_earlierCalls != (c.earlier == Earlier::Default ? 0 : c.raises)) std::_Exit(3);
    if (g_bypassed != 0) std::_Exit(4);
    std::_Exit(0);
}

}  // namespace

TEST(QuitWatch, EverySignalPassesThroughOursToTheHandlerBefore)
{
    const SignalCase cases[] = {
        {"a hang-up, whose default would end the process at once", Earlier::Default, SIGHUP, 1, 1},
        {"a handler that puts itself back, as SDL's does", Earlier::PutsItselfBack, SIGTERM, 1, 3},
        {"a handler that takes a siginfo", Earlier::WithSiginfo, SIGINT, 1, 2},
        {"a second catchQuitSignals", Earlier::Plain, SIGTERM, 2, 2},
    };
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(RunSignalCase(c), testing::ExitedWithCode(0), "");
    }
}
