// Screen metrics, processor clock, video memory and memory status for the settings form.
#include "system_info.h"

#include "x11_windows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <memory>
#include <sched.h>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define QUELM_HAS_TSC 1
#endif

Screen_Metrics Get_Screen_Metrics(QWidget* form)
{
    Screen_Metrics metrics;
    QScreen* screen = form && form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen) return metrics;
    metrics.Screen_Resolution_X = screen->geometry().width();
    const QRect work = screen->availableGeometry();
    metrics.Work_Area_Width = work.width();
    metrics.Work_Area_Height = work.height();
    metrics.Work_Area_Half_Width = metrics.Work_Area_Width / 2;
    metrics.Work_Area_Half_Height = metrics.Work_Area_Height / 2;
    return metrics;
}

double CPU_Speed_From_Ticks(uint64_t first, uint64_t second)
{
    return static_cast<uint32_t>(second - first) / 500000.0;
}

double Get_CPU_Speed_MHz()
{
#ifdef QUELM_HAS_TSC
    // Raised as far as permitted (a refusal is ignored), so that no other work delays the two
    // readings; restored in reverse order.
    errno = 0;
    const int old_nice = getpriority(PRIO_PROCESS, 0);
    const bool nice_known = errno == 0;
    const int old_policy = sched_getscheduler(0);
    sched_param old_param{};
    const bool policy_known = old_policy >= 0 && sched_getparam(0, &old_param) == 0;
    sched_param real_time{};
    real_time.sched_priority = sched_get_priority_max(SCHED_FIFO);
    const bool raised_policy = policy_known && sched_setscheduler(0, SCHED_FIFO, &real_time) == 0;
    const bool raised_nice = nice_known && setpriority(PRIO_PROCESS, 0, -20) == 0;

    usleep(1000);   // start on a fresh scheduler tick
    const uint64_t first = __rdtsc();
    usleep(500000);
    const uint64_t second = __rdtsc();

    if (raised_nice) setpriority(PRIO_PROCESS, 0, old_nice);
    if (raised_policy) sched_setscheduler(0, old_policy, &old_param);
    return CPU_Speed_From_Ticks(first, second);
#else
    return 0;
#endif
}

namespace {
// Between the form's Open_DirectDraw and Close_DirectDraw.
std::unique_ptr<GL_Probe> g_probe;
}   // namespace

bool Open_DirectDraw(QWidget*)
{
    // The old probe goes first: closing it releases the thread's current context.
    g_probe.reset();
    g_probe = GL_Probe::Open();
    return g_probe != nullptr;
}

double Get_Video_Memory_Mb() { return g_probe ? static_cast<double>(g_probe->Video_Memory_Bytes() / 1000000) : 0; }

void Close_DirectDraw() { g_probe.reset(); }

Memory_Status Parse_Memory_Status(std::string_view meminfo)
{
    uint64_t total_kb = 0, available_kb = 0, free_kb = 0;
    bool has_available = false;
    std::istringstream lines{std::string(meminfo)};
    std::string line;
    while (std::getline(lines, line)) {
        auto field = [&](const char* name, uint64_t& value) {
            std::string_view text(line);
            if (!text.starts_with(name)) return false;
            text.remove_prefix(std::string_view(name).size());
            size_t digits = text.find_first_of("0123456789");
            if (digits == std::string_view::npos) return false;
            return std::from_chars(text.data() + digits, text.data() + text.size(), value).ec == std::errc();
        };
        field("MemTotal:", total_kb);
        if (field("MemAvailable:", available_kb)) has_available = true;
        field("MemFree:", free_kb);
    }
    Memory_Status status;
    if (total_kb == 0 || total_kb > UINT64_MAX / 1024) return status;
    uint64_t unused = std::min(total_kb, has_available ? available_kb : free_kb);
    status.Total_Bytes = total_kb * 1024;
    status.Load_Percent = static_cast<unsigned>((total_kb - unused) * 100 / total_kb);
    return status;
}

Memory_Status Get_Memory_Status()
{
    std::ifstream in("/proc/meminfo");
    std::stringstream text;
    text << in.rdbuf();
    return Parse_Memory_Status(text.str());
}

QString Megabytes_Text(uint64_t bytes) { return QString::number(bytes / 1000000) + " Mb"; }
