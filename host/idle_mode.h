// quelmscr --idle: the session's idle watcher. When the desktop has been idle for the user's time,
// one engine per output (the first one's copy with sound); when the user is back, every copy ends.
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct Idle_Request {
    int Milliseconds = 4 * 60 * 1000;
};

// --idle [--idle-minutes N | --idle-seconds N]; no request without --idle, failed for another
// argument or a bad or missing number (minutes 1 to 1440, seconds 1 to 86400).
Result<std::optional<Idle_Request>> Read_Idle_Request(const QStringList& args);

// The file whose lock makes one watcher per session: in the runtime folder, named after the
// compositor's socket (an absolute WAYLAND_DISPLAY in that folder by its name there, any other
// with its slashes made '_'); without a runtime folder, in the temporary folder with the user's
// id in its name.
QString Idle_Lock_Path(const QString& runtime_dir, const QString& display, unsigned uid);

// How one engine is started: its output (empty: the compositor's choice), and why it runs silent
// (empty for the one with sound).
struct Engine_Launch {
    QString Output;
    QString Silent_Reason;
    QStringList Arguments() const;
};
// One engine per named output, only the first with sound; one on the compositor's choice of
// output where it names none.
std::vector<Engine_Launch> Plan_Engines(const QStringList& outputs);

// Runs until a quit signal; the exit status (1 when the session reports no idleness, or another
// watcher runs for it).
int Run_Idle_Mode(const Idle_Request& request, const QString& program_dir);
