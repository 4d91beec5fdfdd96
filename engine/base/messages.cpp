// Messages through the installed box, falling back to standard error; the hook before fatal ones; the log.
#include "base/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static MessageBoxShower g_showBox = nullptr;
static FatalMessageHook g_fatalHook = nullptr;

void setMessageBox(MessageBoxShower show) { g_showBox = show; }

void setFatalMessageHook(FatalMessageHook hook) { g_fatalHook = hook; }

static bool messagesToStderr()
{
    const char* mode = std::getenv("ZERO_MESSAGES");
    return mode && std::strcmp(mode, "stderr") == 0;
}

void showMessage(const char* text, const char* caption)
{
    if (!messagesToStderr() && g_showBox && g_showBox(text, caption)) return;
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

void showFatalMessage(const char* text, const char* caption, FailurePointer pointer)
{
    if (g_fatalHook) g_fatalHook(pointer);
    showMessage(text, caption);
}

// The line is made whole and written in one piece: engines that share a log (one per monitor,
// started by the idle watcher or the daemon) then never mix parts of their lines.
void logLine(const char* format, ...)
{
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line = "zero: ";
    if (length > 0) {
        const size_t prefix = line.size();
        line.resize(prefix + static_cast<size_t>(length) + 1);
        std::vsnprintf(&line[prefix], static_cast<size_t>(length) + 1, format, again);
        line.resize(prefix + static_cast<size_t>(length));
    }
    va_end(again);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
