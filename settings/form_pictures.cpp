// The pictures come from the resources the build painted; pure green becomes transparent.
#include "form_pictures.h"

#include <QImage>

#include "resources.h"
#include "say.h"

// required: a picture the form cannot do without, whose absence is worth a message.
static QPixmap Resource_Picture(const QString& name, bool required = true)
{
    QImage picture = QImage::fromData(Find_Resource("BITMAP", name));
    if (picture.isNull()) {
        if (!required) return {};
        Say("the resource BITMAP/%s is missing or not a picture", qPrintable(name));
        return {};
    }
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if ((row[x] & 0xffffff) == 0x00ff00) row[x] = 0;
    }
    return QPixmap::fromImage(picture);
}

QPixmap Logo_Picture() { return Resource_Picture("Main_Logo_Image"); }

QPixmap About_Logo_Picture() { return Resource_Picture("About_Logo_Image"); }

QPixmap Music_Picture(int number)
{
    if (number < 1 || number > 4) return {};
    return Resource_Picture("Image_Music" + QString::number(number));
}

QPixmap Processor_Picture() { return Resource_Picture("Processor_Image"); }

QPixmap Video_Card_Picture() { return Resource_Picture("Video_Card_Image"); }

QPixmap Molecule_Picture(const QString& name)
{
    return Resource_Picture(name, false);
}
