// The end of a run asked for by a signal: left to the loop while it loads or between frames, taken
// by the watch from a frame that outlasts the grace time. Signals are the process's, so each case
// runs in a child of its own.
#include "base/quit_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kForced = 3;
constexpr int kLoopsOwn = 0;

struct Case {
    const char* what;
    bool frameOpen;        // the signal finds the loop inside a frame...
    bool frameEndsInTime;  // ...which ends within the grace time
    bool loading;          // the signal finds the loop still loading
    int exitCode;
};

[[noreturn]] void RunCase(const Case& c)
{
    catchQuitSignals();
    QuitWatch watch;
    watch.start(200ms, [] { std::_Exit(kForced); });
    if (!c.loading) {
        watch.frameBegins();
        if (!c.frameOpen && !watch.frameEnds()) std::_Exit(1);
    }
    std::raise(SIGTERM);
    if (!quitSignalled()) std::_Exit(1);
    if (c.frameOpen && c.frameEndsInTime) {
        std::this_thread::sleep_for(20ms);
        if (!watch.frameEnds()) std::_Exit(1);
    }
    std::this_thread::sleep_for(c.frameOpen && !c.frameEndsInTime ? 10s : 600ms);
    watch.stop();
    std::_Exit(kLoopsOwn);
}

}  // namespace

TEST(QuitWatch, OnlyAFrameThatOutlastsTheGraceIsEndedByTheWatch)
{
    const Case cases[] = {
        {"a frame still going after the grace", true, false, false, kForced},
        {"a frame that ends in time", true, true, false, kLoopsOwn},
        {"between frames", false, false, false, kLoopsOwn},
        {"still loading", false, false, true, kLoopsOwn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(RunCase(c), testing::ExitedWithCode(c.exitCode), "");
    }
}

static volatile std::sig_atomic_t g_earlierHandlerRan = 0;

TEST(QuitWatch, SignalsStillReachTheHandlerBeforeAndAHangUpEndsNothingAtOnce)
{
    EXPECT_EXIT(
        {
            std::signal(SIGTERM, [](int) { g_earlierHandlerRan = 1; });
            catchQuitSignals();
            std::raise(SIGHUP);   // the default action would end the process here
            const bool hangUpSeen = quitSignalled();
            std::raise(SIGTERM);
            std::_Exit(hangUpSeen && g_earlierHandlerRan ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
