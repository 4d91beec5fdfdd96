// The engine as a child process under a screensaver daemon (POSIX: fork, exec, signals, wait).
#include "engine_process.h"

#include "modul_another.h"

#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t Engine_Pid = 0;

void passOn(int sig)
{
    if (Engine_Pid > 0) kill(Engine_Pid, sig);
}

}  // namespace

unsigned long Parse_Window_Id(const QString& text)
{
    bool ok = false;
    const QString t = text.trimmed();
    const unsigned long id = t.startsWith(u"0x", Qt::CaseInsensitive) ? t.mid(2).toULong(&ok, 16) : t.toULong(&ok, 10);
    return ok ? id : 0;
}

std::optional<HackRequest> Read_Hack_Request(const QStringList& args, const QString& environmentWindow, bool runMode,
                                             QString* error)
{
    bool root = false;
    QString windowId = environmentWindow;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--root" || a == u"-root") {
            root = true;
        } else if (a == u"--window-id" || a == u"-window-id") {
            if (i + 1 >= args.size()) {
                if (error) *error = QStringLiteral("quelmscr: %1 needs a window id").arg(a);
                return std::nullopt;
            }
            windowId = args.at(++i);
            root = true;
        }
    }
    // Without the daemon's arguments, a mode of our own (/c, /p, /a) keeps its meaning.
    if (!root && (windowId.isEmpty() || !runMode)) return std::nullopt;
    if (windowId.isEmpty()) {
        if (error) *error = QStringLiteral("quelmscr: --root needs XSCREENSAVER_WINDOW or --window-id");
        return std::nullopt;
    }
    const unsigned long id = Parse_Window_Id(windowId);
    if (id == 0) {
        if (error) *error = QStringLiteral("quelmscr: \"%1\" is not a window id").arg(windowId);
        return std::nullopt;
    }
    return HackRequest{QStringLiteral("0x") + QString::number(id, 16)};
}

int Run_Hack_Mode(const HackRequest& request)
{
    const QString engine = Program_Dir + QStringLiteral("zero");
    if (!QFileInfo(engine).isExecutable()) {
        std::fprintf(stderr, "quelmscr: the engine %s is missing or not an executable program\n", qPrintable(engine));
        return 1;
    }
    const QByteArray enginePath = engine.toLocal8Bit(), directory = Program_Dir.toLocal8Bit(),
                     window = request.windowId.toLatin1();

    // Signals that arrive before the engine exists are held, then passed on.
    sigset_t forwarded, previous;
    sigemptyset(&forwarded);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&forwarded, sig);
    sigprocmask(SIG_BLOCK, &forwarded, &previous);
    struct sigaction action {};
    action.sa_handler = passOn;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        std::perror("quelmscr: fork");
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
        execl(enginePath.constData(), enginePath.constData(), static_cast<char*>(nullptr));
        std::perror("quelmscr: exec zero");
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
