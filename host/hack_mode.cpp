// The engine as a child process under a screensaver daemon (POSIX: fork, exec, signals, wait).
#include "hack_mode.h"

#include "program_dir.h"
#include "say.h"
#include "x11_windows.h"

#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Read by the signal handler, so it cannot live in a function's state.
volatile sig_atomic_t Engine_Pid = 0;

void Pass_On(int sig)
{
    if (Engine_Pid > 0) kill(Engine_Pid, sig);
}

// Why this copy of the hack stays silent, or nothing when it plays. A settings app's preview pane
// is clicked through hack after hack: no sound there. A daemon runs one copy per monitor: the
// copy on the first monitor (the primary one, else the first the server lists) plays, the others
// stay silent, so no sound plays twice; which copy that is does not change while they run.
QByteArray Silent_Reason(const Hack_Request& request)
{
    if (request.Settings_Pane) return "a settings app's preview pane";
    Screen_Rect place;
    const std::vector<Screen_Rect> monitors = Screen_Monitors();
    if (monitors.size() < 2 || !Window_Place(request.Window, place)) return {};
    const int monitor = Monitor_Holding(place, monitors);
    if (monitor <= 0) return {};
    return "the copy on the first monitor plays the sound (this one is on monitor " + QByteArray::number(monitor + 1) + ")";
}

}  // namespace

int Run_Hack_Mode(const Hack_Request& request, const QString& program_dir)
{
    const QString engine = program_dir + QStringLiteral("zero");
    if (!QFileInfo(engine).isExecutable()) {
        Say("the engine %s is missing or not an executable program", qPrintable(engine));
        return 1;
    }
    // The daemon then shows its own error and goes on; an engine started there could only fail.
    if (const QString reason = Unwritable_Reason(program_dir); !reason.isEmpty()) {
        Say("%s; the engine was not started", qPrintable(reason));
        return 1;
    }
    const QByteArray engine_path = engine.toLocal8Bit(), directory = program_dir.toLocal8Bit(),
                     window = "0x" + QByteArray::number(static_cast<qulonglong>(request.Window), 16),
                     settings = request.Run_Settings.toLatin1(), silent = Silent_Reason(request);

    // Signals that arrive before the engine exists are held, then passed on.
    sigset_t forwarded, previous;
    sigemptyset(&forwarded);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&forwarded, sig);
    sigprocmask(SIG_BLOCK, &forwarded, &previous);
    struct sigaction action {};
    action.sa_handler = Pass_On;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        Say("the engine could not be started: fork: %s", std::strerror(errno));
        return 1;
    }
    if (pid == 0) {
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, SIG_DFL);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        // Should we be killed outright, the engine must not stay on the daemon's window.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1) _exit(1);
        if (chdir(directory.constData()) != 0) _exit(126);
        setenv("XSCREENSAVER_WINDOW", window.constData(), 1);
        if (!settings.isEmpty()) setenv("ZERO_SETTINGS", settings.constData(), 1);
        if (!silent.isEmpty()) setenv("ZERO_SILENT", silent.constData(), 1);
        execl(engine_path.constData(), engine_path.constData(), static_cast<char*>(nullptr));
        Say("the engine could not be started: %s: %s", engine_path.constData(), std::strerror(errno));
        _exit(127);
    }
    Engine_Pid = pid;
    sigprocmask(SIG_SETMASK, &previous, nullptr);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    Engine_Pid = 0;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}
