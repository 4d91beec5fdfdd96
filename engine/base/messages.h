// The engine's one message path: every box the engine shows goes through here. The box itself
// belongs to the platform: the application installs it. Without one, or when ZERO_MESSAGES=stderr,
// or when the box cannot be shown, the text and caption go to standard error and nothing blocks.
#pragma once

// Shows a modal box with an OK button; false when no box could be shown.
using MessageBoxShower = bool (*)(const char* text, const char* caption);

void setMessageBox(MessageBoxShower show);

void showMessage(const char* text, const char* caption);

// Whether a failure wants the pointer shown before its box, so that it can be clicked away; some
// failures leave it as it is.
enum class FailurePointer { Unchanged, Shown };

// What the application does before every fatal message: it stops its run, and its window steps
// out of the way of the box.
using FatalMessageHook = void (*)(FailurePointer pointer);

void setFatalMessageHook(FatalMessageHook hook);

// A failure that stops the run (a loader that cannot load): the hook first, then the message.
void showFatalMessage(const char* text, const char* caption, FailurePointer pointer);

// One line of the engine's log on standard error ("zero: ...").
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
