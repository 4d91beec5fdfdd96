// Lines on standard error, each written in one piece so that two processes' lines do not mix.
#include "say.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void Say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fprintf(stderr, "quelmscr: %s\n", text);
}

void Say(const QString& text)
{
    std::fprintf(stderr, "quelmscr: %s\n", text.toLocal8Bit().constData());
}

void Say(const std::string& text) { std::fprintf(stderr, "quelmscr: %s\n", text.c_str()); }

std::string Message_Text(const QString& text) { return text.toLocal8Bit().toStdString(); }
