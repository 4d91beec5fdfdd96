// Run mode: a hidden window, the engine started beside it, and a once-a-second check that the
// engine's window still has the foreground. The host never signals the engine; it leaves when
// the foreground changes (the engine ended itself, or the user went to another window).
#include "system_controls_all_info.h"

#include "modul_another.h"
#include "x11_windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimerEvent>
#include <QWidget>
#include <cstdio>

namespace {

constexpr int kEngineStartWaitMs = 2000;
constexpr int kForegroundPeriodMs = 1000;

unsigned long Remembered_Foreground = 0;

// The hidden run-mode window: it only receives the watch timer and a close.
class RunModeWindow : public QWidget {
public:
    RunModeWindow()
    {
        setWindowTitle(QStringLiteral("NO NAME"));
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setEnabled(false);
        setGeometry(0, 0, 0, 0);
    }
    void startWatch() { watchTimer = startTimer(kForegroundPeriodMs); }

protected:
    void timerEvent(QTimerEvent* event) override { Host_Timer(event->timerId() == watchTimer ? kForegroundTimerId : 0); }
    void closeEvent(QCloseEvent* event) override
    {
        Quit_Flag = true;
        if (watchTimer) killTimer(watchTimer);
        watchTimer = 0;
        event->ignore();   // the window stays until the process ends
    }

private:
    int watchTimer = 0;
};

}  // namespace

EngineStart Start_Engine()
{
    const QString engine = Program_Dir + QStringLiteral("zero");
    const QFileInfo info(engine);
    if (!info.exists()) return {false, QStringLiteral("quelmscr: the engine %1 is missing").arg(engine)};
    if (!info.isFile() || !info.isExecutable())
        return {false, QStringLiteral("quelmscr: the engine %1 is not an executable program").arg(engine)};
    QProcess process;
    process.setProgram(engine);
    process.setWorkingDirectory(Program_Dir);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return {false, QStringLiteral("quelmscr: the engine %1 could not be started: %2").arg(engine, process.errorString())};
    return {true, {}};
}

int Run_FullScreen_Mode()
{
    RunModeWindow window;
    window.hide();

    const EngineStart start = Start_Engine();
    if (!start.started) {
        std::fprintf(stderr, "%s\n", qPrintable(start.error));
        return 1;
    }
    QThread::msleep(kEngineStartWaitMs);
    Remembered_Foreground = Foreground_Window();
    std::fprintf(stderr, "quelmscr: watching the foreground window 0x%lx\n", Remembered_Foreground);
    window.startWatch();

    while (!Quit_Flag) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.close();
    return 0;
}

void Host_Timer(int timerId)
{
    if (timerId == kForegroundTimerId) {
        if (Foreground_Window() != Remembered_Foreground) Quit_Flag = true;
    }
}
