// quelmscr --idle: the session's idle watcher. When the desktop has been idle for the user's time,
// one engine per output (the first one's copy with sound); when the user is back, every copy ends.
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>
#include <optional>

struct Idle_Request {
    int Milliseconds = 4 * 60 * 1000;
};

// --idle [--idle-minutes N | --idle-seconds N]; no request without --idle, failed for another
// argument or a bad or missing number (minutes 1 to 1440, seconds 1 to 86400).
Result<std::optional<Idle_Request>> Read_Idle_Request(const QStringList& args);

// Runs until a quit signal; the exit status (1 when the session reports no idleness, or another
// watcher runs for it).
int Run_Idle_Mode(const Idle_Request& request, const QString& program_dir);
