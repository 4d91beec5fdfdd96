// A frame picture drawn and masked by its transparent colour.
#include "skin_image.h"

#include <QBitmap>
#include <QPainter>

TSkin_Image::TSkin_Image(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TSkin_Image::Set_Picture(const QImage& picture, QRgb key)
{
    picture_ = picture.convertToFormat(QImage::Format_RGB888);
    resize(picture_.size());
    if (picture_.isNull()) {
        clearMask();
        return;
    }
    // Pixels of the key colour are out, every other pixel is in. The mask image marks the key
    // pixels with colour 0, which a region made from a bitmap leaves out (the unit test holds the
    // two to this). A picture that is all key would leave an empty mask, which a widget takes as
    // no mask at all: it shows nothing instead.
    const QImage keyed = picture_.createMaskFromColor(key | 0xff000000u, Qt::MaskInColor);
    const QRegion shown(QBitmap::fromImage(keyed));
    if (shown.isEmpty()) {
        picture_ = QImage();
        clearMask();
        return;
    }
    setMask(shown);
    update();
}

void TSkin_Image::paintEvent(QPaintEvent*)
{
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}
