// System measurements of the settings form: the screen metrics, the processor's clock rate, the
// video memory and the memory status.
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

class QWidget;

// The screen's width in pixels, the work area (the screen less the desktop's panels) and its halves.
struct Screen_Metrics {
    int Screen_Resolution_X = 0;
    int Work_Area_Width = 0, Work_Area_Height = 0;
    int Work_Area_Half_Width = 0, Work_Area_Half_Height = 0;
};
// Measures the screen that shows form (the primary screen when it shows none yet); zeros
// without a screen.
Screen_Metrics Get_Screen_Metrics(QWidget* form);

// The processor's time-stamp counter over 500 ms at the highest priority the system grants;
// the priorities are restored before it returns. 0 where there is no such counter.
double Get_CPU_Speed_MHz();
// MHz from two counter readings 500 ms apart: the difference taken as an unsigned 32-bit count
// (so 2^32 ticks or more wrap), divided by 500,000.
double CPU_Speed_From_Ticks(uint64_t first, uint64_t second);

// The video-memory query: Open_DirectDraw makes a temporary OpenGL context on the display (false
// when there is none), Get_Video_Memory_Mb asks the renderer for its video memory in bytes
// divided by 1,000,000 (0 when the renderer does not tell), Close_DirectDraw releases it all.
bool Open_DirectDraw(QWidget* form);
double Get_Video_Memory_Mb();
void Close_DirectDraw();

struct Memory_Status {
    unsigned Load_Percent = 0;   // physical memory in use
    uint64_t Total_Bytes = 0;
};
// From /proc/meminfo; zeros when it cannot be read.
Memory_Status Get_Memory_Status();
// From the text of /proc/meminfo: MemTotal, and MemAvailable (MemFree on kernels without it).
Memory_Status Parse_Memory_Status(std::string_view meminfo);
// Bytes as the form shows them: divided by 1,000,000, then " Mb".
QString Megabytes_Text(uint64_t bytes);
