// The settings form's skin as the build painted it: every picture at its table size in 24 bits,
// the outlines as CR LF lists the host reads, the outline following the frame's opaque edge for
// every pair of variants, variants that differ, the ball's own key colour, the same bytes on
// every run, and the generator's refusals.
#include "points_resource.h"
#include "skin_layout.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegion>
#include <QTest>

#include <map>
#include <vector>

namespace {

constexpr QRgb kGreen = 0xff00ff00, kMagenta = 0xffff00ff;
const QString kSkinDir = QUELM_HOST_SKIN_DIR;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage bitmap(const QString& name)
{
    return QImage::fromData(fileBytes(kSkinDir + "/BITMAP/" + name + ".bmp"), "BMP").convertToFormat(QImage::Format_RGB32);
}

std::vector<int> pointsFile(const QString& name)
{
    const QByteArray text = fileBytes(kSkinDir + "/POINTS/" + name + ".txt");
    return Parse_Points(std::string_view(text.constData(), size_t(text.size()))).values;
}

QPolygon polygon(const QString& xName, const QString& yName)
{
    const Outline_Vertices outline = Make_Outline(pointsFile(xName), pointsFile(yName));
    QPolygon p;
    for (const auto& [x, y] : outline.vertices) p << QPoint(x, y);
    return p;
}

// Where each picture sits on the form, worked out by hand from the frame table.
struct Placed {
    const char* name;
    QSize size;
    QPoint at;
};
const Placed kFrameTable[] = {
    {"Title_Left_Image_top", {105, 372}, {0, 0}},         {"Title_Top_Image", {716, 109}, {33, 0}},
    {"Title_Left_Image_Middle", {302, 202}, {105, 189}},  {"Title_Left_Image_bottom", {73, 174}, {32, 372}},
    {"Title_Right_Image_top", {44, 287}, {738, 35}},      {"Title_Right_Image_bottom", {52, 233}, {738, 321}},
    {"Title_Botom_Image", {638, 37}, {100, 517}},         {"Exit_Image_active", {35, 28}, {708, 38}},
    {"Exit_Image_passive", {35, 28}, {708, 38}},          {"Title_Ball_Panel_Image_Middle", {72, 113}, {320, 76}},
    {"Ball_Shato", {63, 85}, {341, 81}},
};

// The form as the edge parts, the panel and the ball cover it: true where a picture is opaque.
class Coverage {
public:
    Coverage() : opaque_(size_t(kFormWidth) * kFormHeight, false) {}
    void add(const QImage& picture, QPoint at, QRgb key)
    {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QPoint p = at + QPoint(x, y);
                if (picture.pixel(x, y) == key) continue;
                if (p.x() >= kFormWidth || p.y() >= kFormHeight) ++beyondForm;
                else opaque_[size_t(p.y()) * kFormWidth + p.x()] = true;
            }
    }
    bool at(int x, int y) const { return opaque_[size_t(y) * kFormWidth + x]; }
    int beyondForm = 0;

private:
    std::vector<bool> opaque_;
};

}  // namespace

class SkingenTest : public QObject {
    Q_OBJECT

    std::map<QString, QImage> variants_;
    QRegion form_;

    QImage part(const QString& name, int variant = 0)
    {
        const QString full = variant ? QString("%1_%2").arg(name).arg(variant, 2, 10, QChar('0')) : name;
        auto found = variants_.find(full);
        if (found == variants_.end()) found = variants_.emplace(full, bitmap(full)).first;
        return found->second;
    }

    Coverage cover(int left, int right, bool withPanel)
    {
        Coverage c;
        for (const Placed& p : kFrameTable) {
            const QString name = p.name;
            if (name.startsWith("Exit") || name == "Ball_Shato") continue;
            if (name == "Title_Ball_Panel_Image_Middle" && !withPanel) continue;
            const int variant = name == "Title_Left_Image_top" ? left : name == "Title_Right_Image_top" ? right : 0;
            c.add(part(name, variant), p.at, kGreen);
        }
        return c;
    }

private slots:
    void initTestCase()
    {
        form_ = QRegion(polygon("pApp_X", "pApp_Y"), Qt::WindingFill);
        QVERIFY(!form_.isEmpty());
    }

    void picturesHaveTheirSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const Placed& p : kFrameTable) {
            const QString name = p.name;
            if (name == "Title_Left_Image_top" || name == "Title_Right_Image_top") {
                for (int v = 1; v <= 7; ++v) {
                    const QString full = QString("%1_%2").arg(name).arg(v, 2, 10, QChar('0'));
                    QTest::newRow(qPrintable(full)) << full << p.size;
                }
            } else {
                QTest::newRow(p.name) << name << p.size;
            }
        }
        for (int n = 0; n < 4; ++n) {
            const QString name = QString("MOLECULA3C_ANE0%1").arg(n);
            QTest::newRow(qPrintable(name)) << name << QSize(100, 85);
        }
        for (int n = 1; n <= 4; ++n) {
            const QString name = QString("Image_Music%1").arg(n);
            QTest::newRow(qPrintable(name)) << name << QSize(48, 48);
        }
        QTest::newRow("logo") << "Main_Logo_Image" << QSize(80, 90);
        QTest::newRow("small logo") << "About_Logo_Image" << QSize(36, 40);
        QTest::newRow("processor") << "Processor_Image" << QSize(40, 40);
        QTest::newRow("video card") << "Video_Card_Image" << QSize(48, 40);
    }

    void picturesHaveTheirSizes()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QByteArray bytes = fileBytes(kSkinDir + "/BITMAP/" + name + ".bmp");
        QVERIFY2(bytes.startsWith("BM") && bytes.size() > 54, qPrintable(name));
        QCOMPARE(int(uchar(bytes[28])), 24);
        const QImage picture = bitmap(name);
        QCOMPARE(picture.size(), size);
        // Open somewhere and drawn somewhere: the key colour is the ball's own, green for the rest.
        const QRgb key = name == "Ball_Shato" ? kMagenta : kGreen;
        int open = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) open += picture.pixel(x, y) == key;
        QVERIFY2(open > 0 && open < picture.width() * picture.height(), qPrintable(name));
    }

    void ballKeyIsItsBottomLeftPixel()
    {
        const QImage ball = bitmap("Ball_Shato");
        QCOMPARE(ball.pixel(0, ball.height() - 1), kMagenta);
        // The float seen through the panel's porthole is drawn, and the porthole is open.
        const QPoint porthole = QPoint(371, 124);
        QVERIFY(ball.pixel(porthole - QPoint(341, 81)) != kMagenta);
        QCOMPARE(bitmap("Title_Ball_Panel_Image_Middle").pixel(porthole - QPoint(320, 76)), kGreen);
        QVERIFY(bitmap("Exit_Image_active") != bitmap("Exit_Image_passive"));
    }

    void outlinesAreCrLfLists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("limitX");
        QTest::addColumn<int>("limitY");
        QTest::newRow("pApp_X") << "pApp_X" << 410 << kFormWidth << kFormHeight;
        QTest::newRow("pApp_Y") << "pApp_Y" << 410 << kFormWidth << kFormHeight;
        QTest::newRow("pTVOut_X") << "pTVOut_X" << 135 << 285 << 240;
        QTest::newRow("pTVOut_Y") << "pTVOut_Y" << 135 << 285 << 240;
    }

    void outlinesAreCrLfLists()
    {
        QFETCH(QString, name);
        QFETCH(int, count);
        QFETCH(int, limitX);
        QFETCH(int, limitY);
        const QByteArray text = fileBytes(kSkinDir + "/POINTS/" + name + ".txt");
        QCOMPARE(text.count("\r\n"), count - 1);
        QCOMPARE(text.count('\n'), count - 1);
        const std::vector<int> values = pointsFile(name);
        QCOMPARE(int(values.size()), count);
        const int limit = name.endsWith("_X") ? limitX : limitY;
        for (int v : values) QVERIFY2(v >= 0 && v <= limit, qPrintable(QString::number(v)));
    }

    void outlineFollowsTheOpaqueEdge()
    {
        // Pixels of the form near its outline: within two pixels of one outside it.
        std::vector<QPoint> edge;
        for (int y = 0; y < kFormHeight; ++y)
            for (int x = 0; x < kFormWidth; ++x) {
                if (!form_.contains(QPoint(x, y))) continue;
                bool near = false;
                for (int dy = -2; dy <= 2 && !near; ++dy)
                    for (int dx = -2; dx <= 2 && !near; ++dx) near = !form_.contains(QPoint(x + dx, y + dy));
                if (near) edge.push_back({x, y});
            }
        QVERIFY(edge.size() > 2000);
        std::vector<bool> inside(size_t(kFormWidth) * kFormHeight);
        for (int y = 0; y < kFormHeight; ++y)
            for (int x = 0; x < kFormWidth; ++x) inside[size_t(y) * kFormWidth + x] = form_.contains(QPoint(x, y));

        for (int left = 1; left <= 7; ++left)
            for (int right = 1; right <= 7; ++right) {
                const Coverage c = cover(left, right, false);
                const QString pair = QString("left %1, right %2").arg(left).arg(right);
                QCOMPARE(c.beyondForm, 0);
                QRect extent;
                for (int y = 0; y < kFormHeight; ++y)
                    for (int x = 0; x < kFormWidth; ++x) {
                        const bool in = inside[size_t(y) * kFormWidth + x];
                        // No frame pixel outside the outline; below the background nothing but frame inside it.
                        if (c.at(x, y) && !in) QFAIL(qPrintable(pair + QString(": opaque outside at %1,%2").arg(x).arg(y)));
                        if (in && y >= kFormHeight - 37 && !c.at(x, y))
                            QFAIL(qPrintable(pair + QString(": open inside at %1,%2").arg(x).arg(y)));
                        if (c.at(x, y)) extent |= QRect(x, y, 1, 1);
                    }
                for (const QPoint& p : edge)
                    if (!c.at(p.x(), p.y())) QFAIL(qPrintable(pair + QString(": open edge at %1,%2").arg(p.x()).arg(p.y())));
                QCOMPARE(extent, QRect(0, 0, kFormWidth, kFormHeight));
            }
    }

    void screenIsOpenAndFramedByTheBezel()
    {
        const QRegion screen = QRegion(polygon("pTVOut_X", "pTVOut_Y"), Qt::WindingFill);
        QVERIFY(QRect(0, 0, 285, 240).contains(screen.boundingRect()));
        QVERIFY(screen.contains(QPoint(142, 120)));
        const QPoint panel(49, 43);
        const Coverage c = cover(3, 5, true);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 285; ++x) {
                const bool onScreen = screen.contains(QPoint(x, y));
                // The frame is open behind the screen and shows the bezel in the panel's corners.
                if (c.at(panel.x() + x, panel.y() + y) == onScreen)
                    QFAIL(qPrintable(QString("panel pixel %1,%2 on screen %3").arg(x).arg(y).arg(onScreen)));
            }
    }

    void placesFollowTheFrameTable()
    {
        for (int i = 0; i < kFrameParts; ++i) {
            const PartPlace place = partPlace(FramePart(i));
            QCOMPARE(place.rect, QRect(kFrameTable[i].at, kFrameTable[i].size));
            QCOMPARE(place.resource, QString(kFrameTable[i].name));
        }
        // The table's right bottom part reaches one pixel past the form: that column is open.
        const QImage rightBottom = part("Title_Right_Image_bottom");
        for (int y = 0; y < rightBottom.height(); ++y) QCOMPARE(rightBottom.pixel(rightBottom.width() - 1, y), kGreen);
    }

    void variantsTellApart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("left") << "Title_Left_Image_top";
        QTest::newRow("right") << "Title_Right_Image_top";
    }

    void variantsTellApart()
    {
        QFETCH(QString, name);
        for (int a = 1; a <= 7; ++a)
            for (int b = a + 1; b <= 7; ++b) {
                const QImage pa = part(name, a), pb = part(name, b);
                double sum = 0;
                int n = 0;
                for (int y = 0; y < pa.height(); ++y)
                    for (int x = 0; x < pa.width(); ++x) {
                        const QRgb ca = pa.pixel(x, y), cb = pb.pixel(x, y);
                        if (ca == kGreen || cb == kGreen) continue;
                        sum += std::abs(qRed(ca) - qRed(cb)) + std::abs(qGreen(ca) - qGreen(cb)) +
                               std::abs(qBlue(ca) - qBlue(cb));
                        ++n;
                    }
                // Over the post alone (the television beside it is the same in all of them) the
                // colours differ by far more than noise.
                const double mean = sum / n;
                QVERIFY2(mean > 20, qPrintable(QString("%1 %2 and %3 differ by %4").arg(name).arg(a).arg(b).arg(mean)));
            }
    }

    void sameBytesOnEveryRun()
    {
        const TempFolder folder("skingen");
        const QDir out(QString::fromStdString(folder.str()));
        QProcess skingen;
        skingen.start(QUELM_SKINGEN, {out.path()});
        QVERIFY(skingen.waitForFinished(120000));
        QCOMPARE(skingen.exitCode(), 0);
        int files = 0;
        for (const QString& sub : {QString("BITMAP"), QString("POINTS"), QString()}) {
            for (const QFileInfo& f : QDir(out.filePath(sub)).entryInfoList(QDir::Files)) {
                const QString relative = sub.isEmpty() ? f.fileName() : sub + "/" + f.fileName();
                QVERIFY2(fileBytes(f.filePath()) == fileBytes(kSkinDir + "/" + relative), qPrintable(relative));
                ++files;
            }
        }
        QCOMPARE(files, 11 + 12 + 2 + 4 + 2 + 4 + 4 + 1);
    }

    // The package's icon: the island disc at every size desktops ask for, round, on transparency,
    // sky over its middle and sea under it.
    void iconAtEverySize()
    {
        const TempFolder folder("skingen");
        const QDir out(QString::fromStdString(folder.str()));
        QProcess skingen;
        skingen.start(QUELM_SKINGEN, {"--icons", out.path()});
        QVERIFY(skingen.waitForFinished(120000));
        QCOMPARE(skingen.exitCode(), 0);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(out.filePath(QString("%1x%1/apps/quelm3d.png").arg(size)));
            QCOMPARE(icon.size(), QSize(size, size));
            QCOMPARE(qAlpha(icon.pixel(0, 0)) + qAlpha(icon.pixel(size - 1, size - 1)), 0);
            QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
            const QRgb sky = icon.copy(size * 2 / 5, size / 5, size / 5, size / 5).scaled(1, 1, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation).pixel(0, 0);
            const QRgb sea = icon.copy(size * 2 / 5, size * 3 / 5, size / 5, size / 5).scaled(1, 1, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation).pixel(0, 0);
            QVERIFY2(qBlue(sky) > qRed(sky) && qBlue(sea) > qRed(sea), qPrintable(QString::number(size)));
        }
    }

    void refusesWhatItCannotDo()
    {
        QProcess skingen;
        skingen.start(QUELM_SKINGEN, {});
        QVERIFY(skingen.waitForFinished());
        QCOMPARE(skingen.exitCode(), 2);
        // A file stands where a folder must go: a clear message, an error status and no half files.
        const TempFolder folder("skingen");
        const QDir out(QString::fromStdString(folder.str()));
        QFile blocker(out.filePath("BITMAP"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        skingen.start(QUELM_SKINGEN, {out.path()});
        QVERIFY(skingen.waitForFinished(120000));
        QCOMPARE(skingen.exitCode(), 1);
        QVERIFY(skingen.readAllStandardError().contains("could not write"));
        QCOMPARE(out.entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"BITMAP"});
    }
};

QTEST_MAIN(SkingenTest)
#include "skingen_test.moc"
