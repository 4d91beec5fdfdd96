// Message boxes through SDL, falling back to standard error so nothing blocks without a display.
#include "core/messages.h"

#include <SDL.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static bool messagesToStderr()
{
    const char* mode = std::getenv("ZERO_MESSAGES");
    return mode && std::strcmp(mode, "stderr") == 0;
}

void showMessage(const char* text, const char* caption)
{
    if (!messagesToStderr() &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0)
        return;
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
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
