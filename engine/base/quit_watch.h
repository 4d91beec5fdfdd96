// The end of a run asked for by a signal (SIGTERM, SIGINT, SIGHUP), and a watch that keeps the
// end prompt when a frame or a loading step does not finish.
//
// The loop looks for the end between frames, and the start-up between its loading steps. On a
// software renderer a frame that meets new shader variants (the first frames above all) can take
// many seconds, longer on a loaded machine, and so can a step that loads from a slow disk. Under
// a screensaver daemon the daemon's window is gone by then: the engine would go on filling the
// processors for a picture nobody sees while the next blank starts engines of its own. The watch,
// on a thread of its own, ends such a run once a frame or a loading step has outlasted the grace
// time after the signal; an end asked for between frames stays the loop's.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Catches the three ending signals; each signal, every time, still reaches the handler that was
// there before (SDL's, which turns SIGINT and SIGTERM into its quit event), with its siginfo when
// it takes one. SDL's handler puts itself back in place each time it runs; ours then goes back in
// front of it. Call once SDL is started; a second call keeps the handlers the first one found.
void catchQuitSignals();
// A quit signal has arrived (a lock-free flag, set by the handler).
bool quitSignalled();

class QuitWatch {
public:
    ~QuitWatch() { stop(); }

    // forcedEnd runs on the watch's thread while the loop's thread is still inside its frame or
    // a loading step; it ends the process and does not return. The watch starts out loading.
    void start(std::chrono::milliseconds grace, std::function<void()> forcedEnd);
    void frameBegins();
    // False once the forced end has taken over: the caller must not touch anything shared any more.
    bool frameEnds();
    // The loop is leaving by itself: no forced end from here on. Waits for the watch's thread.
    void stop();

private:
    enum State { Loading, BetweenFrames, InFrame, Forced, Leaving };
    void watch();

    std::atomic<int> state_{Loading};
    std::chrono::milliseconds grace_{0};
    std::function<void()> forcedEnd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};
