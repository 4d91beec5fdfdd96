// Parsing of the daemon's window id.
#include "base/window_id.h"

#include <cerrno>
#include <cstdlib>

std::optional<unsigned long> parseWindowId(const char* text)
{
    if (!text || !*text || *text == '-' || *text == '+' || *text == ' ') return std::nullopt;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex && !text[2]) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long id = std::strtoul(hex ? text + 2 : text, &end, hex ? 16 : 10);
    if (errno || *end || id == 0) return std::nullopt;
    return id;
}
