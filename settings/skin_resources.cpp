// Reading the skin's resources, with one message for each that is missing or unreadable.
#include "skin_resources.h"

#include "jpeg_picture.h"
#include "points_resource.h"
#include "resources.h"
#include "say.h"

#include <vector>

static void Report_Resource(const QString& type, const QString& name, const QString& why)
{
    Say(QStringLiteral("the resource %1/%2 %3").arg(type, name, why));
}

static std::vector<int> Read_Points(const QString& name)
{
    const QByteArray text = Find_Resource("POINTS", name);
    if (text.isEmpty()) {
        Report_Resource("POINTS", name, "is missing");
        return {};
    }
    Points_List list = Parse_Points(std::string_view(text.constData(), size_t(text.size())));
    if (!list.error.empty()) Report_Resource("POINTS", name, "cannot be read: " + QString::fromStdString(list.error));
    return std::move(list.values);
}

QPolygon Read_Outline(const QString& x_name, const QString& y_name)
{
    const std::vector<int> y = Read_Points(y_name);
    if (y.empty()) return {};
    const Outline_Vertices outline = Make_Outline(Read_Points(x_name), y);
    if (!outline.error.empty()) {
        Report_Resource("POINTS", x_name, "does not fit " + y_name + ": " + QString::fromStdString(outline.error));
        return {};
    }
    QPolygon polygon;
    polygon.reserve(qsizetype(outline.vertices.size()));
    for (const auto& [x, yy] : outline.vertices) polygon << QPoint(x, yy);
    return polygon;
}

QImage Read_Bitmap(const QString& name)
{
    const QImage picture = QImage::fromData(Find_Resource("BITMAP", name));
    if (picture.isNull()) Report_Resource("BITMAP", name, "is missing or not a picture");
    return picture.convertToFormat(QImage::Format_RGB888);
}

QImage Read_Jpeg(const QString& name)
{
    const QImage picture = Decode_Jpeg(Find_Resource("JPEG", name));
    if (picture.isNull()) Report_Resource("JPEG", name, "is missing or not a JPEG picture");
    return picture.isNull() ? picture : picture.convertToFormat(QImage::Format_RGB888);
}
