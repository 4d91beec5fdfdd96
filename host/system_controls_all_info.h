// The host's windows and timers: run mode, which starts the engine and watches the foreground,
// the preview painted into a window of another program, and the shared timer routine.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Timer identifiers of the host's windows.
constexpr int kPreviewTimerId = 700;
constexpr int kForegroundTimerId = 900;

// What starting the engine came to: started, or why not (on standard error, with a non-zero exit).
struct EngineStart {
    bool started = false;
    QString error;
};

// Starts Program_Dir + "zero" detached, without arguments, in the program directory.
EngineStart Start_Engine();

// Starts the engine and watches the foreground window until it changes; returns the exit code.
int Run_FullScreen_Mode();

// Paints one of the first five preview pictures into the window Preview_Window, stretched over it,
// until that window goes away. A missing or unknown window ends it at once. Returns the exit code.
int Show_Preview();

// One of the pictures "Mini_sshot_0" to "Mini_sshot_4", drawn at random and decoded; null when it
// cannot be. number, when given, receives the number drawn.
QImage Load_Random_Preview_Image(int* number = nullptr);

// The program resource of that type ("JPEG") and name, the name compared ignoring case.
QByteArray Find_Resource(const QString& type, const QString& name);

// The picture stretched over size without keeping its aspect ratio, every pure blue pixel white.
QImage Prepare_Preview(const QImage& picture, QSize size);

// Called on every timer tick of the run-mode and preview windows.
void Host_Timer(int timerId);
