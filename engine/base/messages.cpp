// Messages through the installed box, falling back to standard error; the hook before fatal ones; the log.
#include "base/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void logLine(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("zero: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    va_end(args);
}
