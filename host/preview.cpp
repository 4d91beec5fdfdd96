// The preview: a child window inside another program's window, showing one still picture.
#include "preview.h"

#include "jpeg_picture.h"
#include "mode_loop.h"
#include "resources.h"
#include "say.h"
#include "x11_windows.h"

#include <QPainter>
#include <QRasterWindow>
#include <QTimerEvent>
#include <chrono>
#include <random>

namespace {

constexpr int kPreviewPeriodMs = 100;
constexpr int kPreviewPictures = 5;   // the sixth picture belongs to the settings' slideshow only
const QRgb kPureBlue = qRgb(0, 0, 255);
const QRgb kPreviewBrush = qRgb(255, 255, 255);

// The preview's child window: the prepared picture, painted again on every repaint tick until
// the other program's window goes.
class Preview_Window : public QRasterWindow {
public:
    Preview_Window(QImage prepared, unsigned long parent, Host_Loop& loop)
        : picture_(std::move(prepared)), parent_(parent), loop_(loop)
    {
    }
    void Start_Repaints() { repaint_timer_ = startTimer(kPreviewPeriodMs); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, picture_);
    }
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() == repaint_timer_) Repaint();
    }
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            loop_.Quit_Flag = true;
            if (repaint_timer_) killTimer(repaint_timer_);
            repaint_timer_ = 0;
            return true;
        }
        return QRasterWindow::event(event);
    }

private:
    // When the parent goes, X takes our child with it: end instead of painting into nothing.
    void Repaint()
    {
        Window_Extent size;
        if (!Window_Size(parent_, size)) loop_.Quit_Flag = true;
        else update();
    }

    QImage picture_;
    unsigned long parent_;
    Host_Loop& loop_;
    int repaint_timer_ = 0;
};

}  // namespace

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

int Show_Preview(unsigned long preview_window)
{
    Catch_Quit_Signals();
    // The page that asked for the preview may already be gone, or never have named a window.
    Window_Extent size;
    if (!Window_Size(preview_window, size) || size.width <= 0 || size.height <= 0) return 0;
    int number = 0;
    const QImage picture = Load_Random_Preview_Image(&number);
    if (picture.isNull()) {
        Say("the preview picture Mini_sshot_%d could not be read", number);
        return 1;
    }
    Host_Loop loop;
    // Stretched and masked once: a repaint is then one copy of a prepared picture.
    Preview_Window child(Prepare_Preview(picture, QSize(size.width, size.height)), preview_window, loop);
    // Override-redirect: a parent that redirects its children's map requests (as a window manager
    // does) would otherwise keep the child hidden.
    child.setFlags(Qt::BypassWindowManagerHint);
    child.setParent(QWindow::fromWinId(preview_window));
    child.setGeometry(0, 0, size.width, size.height);
    child.show();
    child.Start_Repaints();
    Say("preview picture %d in window %lu", number, preview_window);

    Run_Message_Loop(loop);
    return 0;
}
