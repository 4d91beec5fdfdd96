// The host's one way to tell the user something on the terminal: a line on standard error that
// starts with "quelmscr: ", for logs, the screensaver daemon's log and tests.
#pragma once

#include "outcome.h"

#include <QString>

#include <string>

// printf-style; the line ending is added.
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A text that is already whole.
void Say(const QString& text);
void Say(const std::string& text);
// A Qt text as an Outcome's message: the bytes Say writes for it.
std::string Message_Text(const QString& text);
// A failed step whose message is a Qt text.
inline Outcome Failed_With(const QString& why) { return Failed(Message_Text(why)); }
