#include "skin_catalogue.h"

#include "bmp_writer.h"
#include "skin_frame.h"
#include "skin_outline.h"
#include "skin_pictures.h"

#include <map>

namespace {

SkinResource bitmap(const QString& name, std::function<QImage()> paint)
{
    return {"BITMAP", name, "BITMAP/" + name + ".bmp", [paint] { return bitmapFile(paint()); }};
}

SkinResource points(const QString& name, std::function<std::vector<int>()> values)
{
    return {"POINTS", name, "POINTS/" + name + ".txt", [values] {
                const std::string text = pointsText(values());
                return std::vector<uint8_t>(text.begin(), text.end());
            }};
}

}  // namespace

std::vector<uint8_t> bitmapFile(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* row = rgb.constScanLine(y);
        pixels.insert(pixels.end(), row, row + rgb.width() * 3);
    }
    return encodeBMP(pixels, rgb.width(), rgb.height());
}

std::vector<SkinResource> skinCatalogue()
{
    std::vector<SkinResource> all;
    for (int i = 0; i < kFrameParts; ++i) {
        const FramePart part = FramePart(i);
        const int variants = hasVariants(part) ? kFrameVariants : 1;
        for (int v = 1; v <= variants; ++v)
            all.push_back(bitmap(partResource(part, v), [part, v] { return framePicture(part, v); }));
    }
    all.push_back(bitmap("Main_Logo_Image", logoPicture));
    all.push_back(bitmap("About_Logo_Image", smallLogoPicture));
    for (int n = 1; n <= 4; ++n)
        all.push_back(bitmap(QString("Image_Music%1").arg(n), [n] { return musicPicture(n); }));
    all.push_back(bitmap("Processor_Image", processorPicture));
    all.push_back(bitmap("Video_Card_Image", videoCardPicture));
    for (int n = 0; n < 4; ++n)
        all.push_back(
            bitmap(QString("MOLECULA3C_ANE%1").arg(n, 2, 10, QChar('0')), [n] { return moleculePicture(n); }));
    all.push_back(points("pApp_X", [] { return xValues(formOutline()); }));
    all.push_back(points("pApp_Y", [] { return yValues(formOutline()); }));
    all.push_back(points("pTVOut_X", [] { return xValues(screenOutline()); }));
    all.push_back(points("pTVOut_Y", [] { return yValues(screenOutline()); }));
    return all;
}

QString resourceCollection(const std::vector<SkinResource>& resources)
{
    std::map<QString, QString> byType;
    for (const SkinResource& r : resources)
        byType[r.type] += QString("    <file alias=\"%1\">%2</file>\n").arg(r.name, r.file);
    QString qrc = "<RCC>\n";
    for (const auto& [type, files] : byType)
        qrc += "  <qresource prefix=\"/" + type + "\">\n" + files + "  </qresource>\n";
    return qrc + "</RCC>\n";
}
