// The engine's one message path: every box the engine shows goes through here. The box itself
// belongs to the platform: the application installs it. Without one, or when ZERO_MESSAGES=stderr,
// or when the box cannot be shown, the text and caption go to standard error and nothing blocks.
#pragma once

// Shows a modal box with an OK button; false when no box could be shown.
using MessageBoxShower = bool (*)(const char* text, const char* caption);

void setMessageBox(MessageBoxShower show);

void showMessage(const char* text, const char* caption);

// One line of the engine's log on standard error ("zero: ...").
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
