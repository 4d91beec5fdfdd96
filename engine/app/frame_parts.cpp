#include "app/frame_parts.h"

#include <epoxy/gl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char* const kPartNames[] = {"reflection", "refraction", "main", "sea", "leaves", "overlays", "swap"};
static_assert(sizeof kPartNames / sizeof kPartNames[0] == static_cast<size_t>(FramePart::Count));

FrameParts::FrameParts()
{
    const char* value = std::getenv("ZERO_PASS_TIMES");
    on = value && std::strcmp(value, "1") == 0;
}

void FrameParts::beginFrame()
{
    if (!on) return;
    glFinish();
    partStart = Clock::now();
}

void FrameParts::finished(FramePart part)
{
    if (!on) return;
    glFinish();
    const Clock::time_point now = Clock::now();
    seconds[static_cast<int>(part)] += std::chrono::duration<double>(now - partStart).count();
    partStart = now;
    if (part == FramePart::Swap) ++frames;
}

std::string FrameParts::summary() const
{
    if (!on || frames == 0) return {};
    std::string text;
    double total = 0;
    for (int part = 0; part < static_cast<int>(FramePart::Count); ++part) {
        const double ms = 1000.0 * seconds[part] / static_cast<double>(frames);
        total += ms;
        char item[48];
        std::snprintf(item, sizeof item, "%s%s %.1f", part ? ", " : "", kPartNames[part], ms);
        text += item;
    }
    char end[32];
    std::snprintf(end, sizeof end, "; together %.1f", total);
    return text + end;
}
