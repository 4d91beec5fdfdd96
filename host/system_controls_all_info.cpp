// Run mode: a hidden window, the engine started beside it, and a once-a-second check that the
// engine's window still has the foreground. The host never signals the engine; it leaves when
// the foreground changes (the engine ended itself, or the user went to another window).
// Preview mode: a child window inside another program's window, showing one still picture.
#include "system_controls_all_info.h"

#include "jpeg_picture.h"
#include "modul_another.h"
#include "x11_windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRasterWindow>
#include <QProcess>
#include <QThread>
#include <QTimerEvent>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>

namespace {

constexpr int kEngineStartWaitMs = 2000;
constexpr int kForegroundPeriodMs = 1000;
constexpr int kPreviewPeriodMs = 100;
constexpr int kPreviewPictures = 5;   // the sixth picture belongs to the settings' slideshow only
const QRgb kPureBlue = qRgb(0, 0, 255);
const QRgb kPreviewBrush = qRgb(255, 255, 255);

unsigned long Remembered_Foreground = 0;

// The preview's child window: the prepared picture, painted again on every repaint tick.
class PreviewWindow : public QRasterWindow {
public:
    explicit PreviewWindow(QImage prepared) : picture(std::move(prepared)) {}
    void startRepaints() { repaintTimer = startTimer(kPreviewPeriodMs); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, picture);
    }
    void timerEvent(QTimerEvent* event) override
    {
        Host_Timer(event->timerId() == repaintTimer ? kPreviewTimerId : 0);
    }
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            Quit_Flag = true;
            if (repaintTimer) killTimer(repaintTimer);
            repaintTimer = 0;
            return true;
        }
        return QRasterWindow::event(event);
    }

private:
    QImage picture;
    int repaintTimer = 0;
};

PreviewWindow* Preview_Child = nullptr;

volatile std::sig_atomic_t Quit_Signal = 0;
void onQuitSignal(int)
{
    Quit_Signal = 1;
}

// SIGTERM and SIGINT are how the session asks a program to quit here. Run mode and preview mode
// catch them first thing: a quit may come as soon as the mode announces itself, before its loop.
void Catch_Quit_Signals()
{
    std::signal(SIGTERM, onQuitSignal);
    std::signal(SIGINT, onQuitSignal);
}

// The message loop of run mode and preview mode. It ends once Quit_Flag is set or a quit signal
// came. A signal interrupts the wait, and the mode's timer wakes the loop at least once a period.
void Run_Message_Loop()
{
    while (!Quit_Flag && !Quit_Signal) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Quit_Flag = true;
}

// The hidden run-mode window: it only receives the watch timer and a close.
class RunModeWindow : public QWidget {
public:
    RunModeWindow()
    {
        setWindowTitle(QStringLiteral("NO NAME"));
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setEnabled(false);
        setGeometry(0, 0, 0, 0);
    }
    void startWatch() { watchTimer = startTimer(kForegroundPeriodMs); }

protected:
    void timerEvent(QTimerEvent* event) override { Host_Timer(event->timerId() == watchTimer ? kForegroundTimerId : 0); }
    void closeEvent(QCloseEvent* event) override
    {
        Quit_Flag = true;
        if (watchTimer) killTimer(watchTimer);
        watchTimer = 0;
        event->ignore();   // the window stays until the process ends
    }

private:
    int watchTimer = 0;
};

}  // namespace

EngineStart Start_Engine()
{
    const QString engine = Program_Dir + QStringLiteral("zero");
    const QFileInfo info(engine);
    if (!info.exists()) return {false, QStringLiteral("quelmscr: the engine %1 is missing").arg(engine)};
    if (!info.isFile() || !info.isExecutable())
        return {false, QStringLiteral("quelmscr: the engine %1 is not an executable program").arg(engine)};
    QProcess process;
    process.setProgram(engine);
    process.setWorkingDirectory(Program_Dir);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return {false, QStringLiteral("quelmscr: the engine %1 could not be started: %2").arg(engine, process.errorString())};
    return {true, {}};
}

int Run_FullScreen_Mode()
{
    Catch_Quit_Signals();
    RunModeWindow window;
    window.hide();

    const EngineStart start = Start_Engine();
    if (!start.started) {
        std::fprintf(stderr, "%s\n", qPrintable(start.error));
        return 1;
    }
    QThread::msleep(kEngineStartWaitMs);
    Remembered_Foreground = Foreground_Window();
    std::fprintf(stderr, "quelmscr: watching the foreground window 0x%lx\n", Remembered_Foreground);
    window.startWatch();

    Run_Message_Loop();
    window.close();
    return 0;
}

QByteArray Find_Resource(const QString& type, const QString& name)
{
    const QDir folder(QStringLiteral(":/") + type);
    for (const QString& entry : folder.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0) continue;
        QFile file(folder.filePath(entry));
        if (file.open(QIODevice::ReadOnly)) return file.readAll();
    }
    return {};
}

QImage Load_Random_Preview_Image(int* number)
{
    std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const int n = std::uniform_int_distribution<int>(0, kPreviewPictures - 1)(random);
    if (number) *number = n;
    return Decode_Jpeg(Find_Resource(QStringLiteral("JPEG"), QStringLiteral("Mini_sshot_%1").arg(n)));
}

QImage Prepare_Preview(const QImage& picture, QSize size)
{
    QImage stretched = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                           .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < stretched.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(stretched.scanLine(y));
        for (int x = 0; x < stretched.width(); ++x)
            if (row[x] == kPureBlue) row[x] = kPreviewBrush;
    }
    return stretched;
}

int Show_Preview()
{
    Catch_Quit_Signals();
    // The page that asked for the preview may already be gone, or never have named a window.
    WindowSize size;
    if (!Window_Size(Preview_Window, size) || size.width <= 0 || size.height <= 0) return 0;
    int number = 0;
    const QImage picture = Load_Random_Preview_Image(&number);
    if (picture.isNull()) {
        std::fprintf(stderr, "quelmscr: the preview picture Mini_sshot_%d could not be read\n", number);
        return 1;
    }
    // Stretched and masked once: a repaint is then one copy of a prepared picture.
    PreviewWindow child(Prepare_Preview(picture, QSize(size.width, size.height)));
    Preview_Child = &child;
    // Override-redirect: a parent that redirects its children's map requests (as a window manager
    // does) would otherwise keep the child hidden.
    child.setFlags(Qt::BypassWindowManagerHint);
    QWindow* parent = QWindow::fromWinId(Preview_Window);
    child.setParent(parent);
    child.setGeometry(0, 0, size.width, size.height);
    child.show();
    child.startRepaints();
    std::fprintf(stderr, "quelmscr: preview picture %d in window %lu\n", number, Preview_Window);

    Run_Message_Loop();
    Preview_Child = nullptr;
    return 0;
}

void Host_Timer(int timerId)
{
    if (timerId == kForegroundTimerId) {
        if (Foreground_Window() != Remembered_Foreground) Quit_Flag = true;
    } else if (timerId == kPreviewTimerId && Preview_Child) {
        // When the parent goes, X takes our child with it: end instead of painting into nothing.
        WindowSize size;
        if (!Window_Size(Preview_Window, size)) Quit_Flag = true;
        else Preview_Child->update();
    }
}
