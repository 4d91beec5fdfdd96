// A frame picture of the settings form: sizes itself to its picture and leaves out exactly the
// pixels of its transparent colour, from its drawing and from its mouse area, so the mouse
// reaches what lies behind them.
#pragma once

#include <QImage>
#include <QWidget>

class TSkin_Image : public QWidget {
    Q_OBJECT
public:
    explicit TSkin_Image(QWidget* parent);
    // The picture converted to 24 bits per pixel; key is its transparent colour.
    void Set_Picture(const QImage& picture, QRgb key);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
