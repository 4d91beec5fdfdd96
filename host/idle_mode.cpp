// The idle watcher's loop: the compositor's word on idleness, the engines started on each output
// and ended on the user's return, one watcher per session.
#include "idle_mode.h"

#include "gnome_idle.h"
#include "idle_source.h"
#include "mode_loop.h"
#include "say.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr int kEngineEndWaitMs = 2000;   // after SIGTERM, before SIGKILL
// A quit signal only interrupts the loop's wait; a tick this often makes sure it is seen.
constexpr int kQuitCheckPeriodMs = 500;

// One watcher per session: a lock on a file in the session's runtime folder, held until exit.
Outcome Take_Session_Lock()
{
    const QString path = Idle_Lock_Path(qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                                        static_cast<unsigned>(getuid()));
    // Not through a link: in the shared temporary folder the name could be another user's.
    const int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Failed(
            Message_Text(QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)))));
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return Failed(
            Message_Text(QStringLiteral("another idle watcher runs for this session (%1 is locked)").arg(path)));
    }
    return Succeeded();   // the descriptor stays open, and the lock with it, until the process ends
}

class Engines {
public:
    explicit Engines(QString program_dir) : program_dir_(std::move(program_dir)) {}
    ~Engines() { End("the watcher ends"); }

    void Start(const QStringList& outputs)
    {
        if (!running_.empty()) return;
        for (const Engine_Launch& launch : Plan_Engines(outputs)) {
            auto engine = std::make_unique<QProcess>();
            engine->setProgram(program_dir_ + QStringLiteral("zero"));
            engine->setArguments(launch.Arguments());
            engine->setWorkingDirectory(program_dir_);
            engine->setProcessChannelMode(QProcess::ForwardedChannels);
            engine->setStandardInputFile(QProcess::nullDevice());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            if (!launch.Silent_Reason.isEmpty()) env.insert(QStringLiteral("ZERO_SILENT"), launch.Silent_Reason);
            engine->setProcessEnvironment(env);
            const QString output = launch.Output.isEmpty() ? QStringLiteral("its output") : launch.Output;
            QObject::connect(engine.get(), &QProcess::finished, engine.get(), [output](int code, QProcess::ExitStatus status) {
                if (status == QProcess::CrashExit) Say("the engine on %s crashed", qPrintable(output));
                else if (code != 0) Say("the engine on %s ended with status %d", qPrintable(output), code);
            });
            engine->start();
            if (!engine->waitForStarted(5000)) {
                Say("the engine %s could not be started: %s", qPrintable(engine->program()), qPrintable(engine->errorString()));
                continue;
            }
            running_.push_back(std::move(engine));
        }
        Say("idle: %d engine(s) started on %s", static_cast<int>(running_.size()),
            outputs.isEmpty() ? "the compositor's choice of output (it names none)"
                              : qPrintable(outputs.join(QStringLiteral(", "))));
    }

    void End(const char* why)
    {
        if (running_.empty()) return;
        for (auto& engine : running_) engine->terminate();
        for (auto& engine : running_)
            if (!engine->waitForFinished(kEngineEndWaitMs)) {
                engine->kill();
                engine->waitForFinished(kEngineEndWaitMs);
            }
        running_.clear();
        Say("idle: %s; the engines ended", why);
    }

private:
    QString program_dir_;
    std::vector<std::unique_ptr<QProcess>> running_;
};

}  // namespace

QString Idle_Lock_Path(const QString& runtime_dir, const QString& display, unsigned uid)
{
    const QString folder = runtime_dir.isEmpty() ? QString() : QDir::cleanPath(runtime_dir);
    QString name = display.isEmpty() ? QStringLiteral("wayland-0") : QDir::cleanPath(display);
    if (!folder.isEmpty() && name.startsWith(folder + QLatin1Char('/'))) name = name.mid(folder.size() + 1);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (folder.isEmpty()) return QDir::tempPath() + QStringLiteral("/quelm3d-idle-%1-%2.lock").arg(uid).arg(name);
    return folder + QStringLiteral("/quelm3d-idle-") + name + QStringLiteral(".lock");
}

QStringList Engine_Launch::Arguments() const
{
    return Output.isEmpty() ? QStringList() : QStringList{QStringLiteral("--output"), Output};
}

std::vector<Engine_Launch> Plan_Engines(const QStringList& outputs)
{
    if (outputs.isEmpty()) return {Engine_Launch{}};
    std::vector<Engine_Launch> plan;
    for (const QString& output : outputs) {
        Engine_Launch launch{output, {}};
        // One sound for the whole desktop: the first output's copy plays it.
        if (!plan.empty()) launch.Silent_Reason = QStringLiteral("the copy on %1 plays the sound").arg(outputs[0]);
        plan.push_back(launch);
    }
    return plan;
}

Result<std::optional<Idle_Request>> Read_Idle_Request(const QStringList& args)
{
    if (!args.contains(QStringLiteral("--idle"))) return Succeeded();
    Idle_Request request;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QStringLiteral("--idle")) continue;
        const bool minutes = arg == QStringLiteral("--idle-minutes"), seconds = arg == QStringLiteral("--idle-seconds");
        if (!minutes && !seconds)
            return Failed_With(
                QStringLiteral("--idle takes only --idle-minutes N or --idle-seconds N, not %1").arg(arg));
        bool ok = false;
        const int value = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
        const int most = minutes ? 1440 : 86400;
        if (!ok || value < 1 || value > most)
            return Failed_With(QStringLiteral("%1 takes a number from 1 to %2").arg(arg).arg(most));
        request.Milliseconds = value * (minutes ? 60000 : 1000);
        ++i;
    }
    return {Succeeded(), request};
}

int Run_Idle_Mode(const Idle_Request& request, const QString& program_dir)
{
    Catch_Quit_Signals();
    if (const Outcome locked = Take_Session_Lock(); !locked.Ok) {
        Say(locked.Message);
        return 1;
    }
    Result<std::unique_ptr<Idle_Source>> connected = Connect_Wayland_Idle(request.Milliseconds);
    if (!connected.Ok) {
        Say(connected.Message);
        return 1;
    }
    const std::unique_ptr<Idle_Source> source = std::move(connected.Value);
    Engines engines(program_dir);
    Host_Loop loop;
    auto changed = [&](Idle_Change change) {
        if (change == Idle_Change::Idle) engines.Start(source->Outputs());
        else if (change == Idle_Change::Resumed) engines.End("the user is back");
        else {
            Say("idle: the compositor went away; ending");
            loop.Quit_Flag = true;
        }
    };
    QString protocol = source->Protocol();
    Gnome_Idle gnome;
    if (protocol.isEmpty()) {
        if (const Outcome started = gnome.Start(request.Milliseconds, changed); !started.Ok) {
            Say("this session reports no idleness: its compositor offers neither ext-idle-notify-v1 nor "
                "org_kde_kwin_idle, and %s",
                started.Message.c_str());
            return 1;
        }
        protocol = QStringLiteral("GNOME's org.gnome.Mutter.IdleMonitor");
    }
    Say("idle: watching through %s; the engines start after %d s without input", qPrintable(protocol),
        request.Milliseconds / 1000);
    // The compositor's connection is read in any case: it names the outputs and says when it goes.
    QSocketNotifier notifier(source->Fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        // Starting the engines asks the compositor for its outputs, and the user may come back
        // meanwhile: what came on the way is handled before the loop waits again.
        for (std::vector<Idle_Change> changes = source->Read(); !changes.empty(); changes = source->Kept())
            for (Idle_Change change : changes) changed(change);
    });
    QTimer tick;
    tick.start(kQuitCheckPeriodMs);
    Run_Message_Loop(loop);
    engines.End("the watcher ends");
    return 0;
}
