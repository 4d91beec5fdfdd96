// Run mode. The host never signals the engine; it leaves when the foreground changes (the
// engine ended itself, or the user went to another window).
#include "run_mode.h"

#include "mode_loop.h"
#include "program_dir.h"
#include "say.h"
#include "x11_windows.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimerEvent>
#include <QWidget>
#include <cerrno>
#include <signal.h>

namespace {

constexpr int kEngineStartWaitMs = 2000;
constexpr int kForegroundPeriodMs = 1000;

// The hidden run-mode window: it only receives the watch timer and a close. Each tick checks
// that the engine still holds the foreground (on Wayland: that its process still runs).
class Run_Mode_Window : public QWidget {
public:
    explicit Run_Mode_Window(Host_Loop& loop) : loop_(loop)
    {
        setWindowTitle(QStringLiteral("NO NAME"));
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setEnabled(false);
        setGeometry(0, 0, 0, 0);
    }
    void Watch_Foreground(unsigned long remembered)
    {
        remembered_foreground_ = remembered;
        watch_timer_ = startTimer(kForegroundPeriodMs);
    }
    void Watch_Process(long long pid)
    {
        engine_pid_ = pid;
        watch_timer_ = startTimer(kForegroundPeriodMs);
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() == watch_timer_ && Engine_Gone()) loop_.Quit_Flag = true;
    }
    void closeEvent(QCloseEvent* event) override
    {
        loop_.Quit_Flag = true;
        if (watch_timer_) killTimer(watch_timer_);
        watch_timer_ = 0;
        event->ignore();   // the window stays until the process ends
    }

private:
    bool Engine_Gone() const
    {
        if (engine_pid_) return kill(static_cast<pid_t>(engine_pid_), 0) != 0 && errno == ESRCH;
        return Foreground_Window() != remembered_foreground_;
    }

    Host_Loop& loop_;
    int watch_timer_ = 0;
    // The window that had the foreground once the engine was started.
    unsigned long remembered_foreground_ = 0;
    // On Wayland, where no client may see another's window: the engine's process, watched in
    // the foreground window's stead.
    long long engine_pid_ = 0;
};

}  // namespace

Result<long long> Start_Engine(const QString& program_dir)
{
    const QString engine = program_dir + QStringLiteral("zero");
    const QFileInfo info(engine);
    if (!info.exists()) return Failed_With(QStringLiteral("the engine %1 is missing").arg(engine));
    if (!info.isFile() || !info.isExecutable())
        return Failed_With(QStringLiteral("the engine %1 is not an executable program").arg(engine));
    if (const QString reason = Unwritable_Reason(program_dir); !reason.isEmpty())
        return Failed_With(reason + QStringLiteral("; the engine was not started"));
    QProcess process;
    process.setProgram(engine);
    process.setWorkingDirectory(program_dir);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return Failed_With(QStringLiteral("the engine %1 could not be started: %2").arg(engine, process.errorString()));
    return {Succeeded(), pid};
}

bool Engine_On_Wayland()
{
    const QString backend = qEnvironmentVariable("ZERO_BACKEND");
    if (backend == QStringLiteral("x11")) return false;
    return backend == QStringLiteral("wayland") || !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
}

int Run_FullScreen_Mode(const QString& program_dir)
{
    Catch_Quit_Signals();
    Host_Loop loop;
    Run_Mode_Window window(loop);
    window.hide();

    const Result<long long> start = Start_Engine(program_dir);
    if (!start.Ok) {
        Say(start.Message);
        return 1;
    }
    if (Engine_On_Wayland()) {
        // Another client's surface cannot be seen from here: the engine's process is watched instead.
        Say("watching the engine's process %lld", start.Value);
        window.Watch_Process(start.Value);
    } else {
        QThread::msleep(kEngineStartWaitMs);
        const unsigned long foreground = Foreground_Window();
        Say("watching the foreground window 0x%lx", foreground);
        window.Watch_Foreground(foreground);
    }

    Run_Message_Loop(loop);
    window.close();
    return 0;
}
