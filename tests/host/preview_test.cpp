// The preview's picture: resources found whatever the letter case, only the first five drawn,
// stretched without keeping the aspect ratio, pure blue (and only pure blue) shown white.
#include "jpeg_picture.h"
#include "preview.h"
#include "resources.h"

#include <QTest>
#include <set>

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void resourcesIgnoreLetterCase()
    {
        for (const char* name : {"MINI_SSHOT_0", "Mini_sshot_4", "mini_sshot_5", "MYSCR_SSHOT_5", "myscr_Sshot_0"}) {
            const QImage picture = Decode_Jpeg(Find_Resource("JPEG", name));
            QVERIFY2(!picture.isNull(), name);
            QCOMPARE(picture.size(), QByteArray(name).toUpper().startsWith("MINI") ? QSize(152, 112) : QSize(286, 215));
        }
        QVERIFY(Find_Resource("JPEG", "Mini_sshot_6").isEmpty());
        QVERIFY(Find_Resource("BITMAP", "Mini_sshot_0").isEmpty());
    }

    void drawsOnlyTheFirstFive()
    {
        std::set<int> drawn;
        for (int i = 0; i < 200; ++i) {
            int n = -1;
            QVERIFY(!Load_Random_Preview_Image(&n).isNull());
            drawn.insert(n);
        }
        QCOMPARE(drawn, (std::set<int>{0, 1, 2, 3, 4}));
    }

    void stretchesAndWhitensPureBlue()
    {
        QImage picture(2, 2, QImage::Format_RGB32);
        picture.setPixel(0, 0, qRgb(0, 0, 255));
        picture.setPixel(1, 0, qRgb(0, 0, 254));
        picture.setPixel(0, 1, qRgb(1, 0, 255));
        picture.setPixel(1, 1, qRgb(10, 20, 30));
        const QImage shown = Prepare_Preview(picture, QSize(6, 3));
        QCOMPARE(shown.size(), QSize(6, 3));
        QCOMPARE(shown.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(shown.pixel(2, 0), qRgb(255, 255, 255));
        QCOMPARE(shown.pixel(5, 0), qRgb(0, 0, 254));
        QCOMPARE(shown.pixel(0, 2), qRgb(1, 0, 255));
        QCOMPARE(shown.pixel(5, 2), qRgb(10, 20, 30));
    }

    void damagedPictureDecodesToNothing()
    {
        QByteArray jpeg = Find_Resource("JPEG", "MINI_SSHOT_1");
        for (qsizetype cut : {qsizetype(0), qsizetype(2), qsizetype(200)}) QVERIFY(Decode_Jpeg(jpeg.left(cut)).isNull());
        QVERIFY(Decode_Jpeg("not a picture at all").isNull());
    }
};

QTEST_GUILESS_MAIN(PreviewTest)
#include "preview_test.moc"
