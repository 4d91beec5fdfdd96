// The outline resources' reader: what it takes and what it refuses, and the outlines compiled
// into the program read with the vertex counts of their y lists.
#include "points_resource.h"
#include "resources.h"

#include <QImage>
#include <QTest>

class PointsResourceTest : public QObject {
    Q_OBJECT

private slots:
    void readsValues_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("CR LF") << QByteArray("0\r\n12\r\n-3") << QList<int>{0, 12, -3};
        QTest::newRow("line break after the last") << QByteArray("5\r\n6\r\n") << QList<int>{5, 6};
        QTest::newRow("lone LF") << QByteArray("7\n8\n") << QList<int>{7, 8};
        QTest::newRow("blanks and plus") << QByteArray(" +9\t\r\n 10 ") << QList<int>{9, 10};
        QTest::newRow("the limits") << QByteArray("32767\r\n-32767\r\n007") << QList<int>{32767, -32767, 7};
    }

    void readsValues()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, values);
        const Points_List list = Parse_Points(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(QString::fromStdString(list.error), QString());
        QCOMPARE(QList<int>(list.values.begin(), list.values.end()), values);
    }

    void refusesNamingTheLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "the list is empty";
        QTest::newRow("empty line") << QByteArray("1\r\n\r\n2") << "line 2 ";
        QTest::newRow("two line breaks at the end") << QByteArray("1\r\n\r\n") << "line 2 ";
        QTest::newRow("letters") << QByteArray("1\r\n2\r\nx3") << "line 3 ";
        QTest::newRow("two numbers") << QByteArray("1 2") << "line 1 ";
        QTest::newRow("sign alone") << QByteArray("-") << "line 1 ";
        QTest::newRow("two signs") << QByteArray("--1") << "line 1 ";
        QTest::newRow("beyond the limit") << QByteArray("32768") << "line 1 ";
        QTest::newRow("far beyond") << QByteArray("0\n-99999999999999999999") << "line 2 ";
        QTest::newRow("zero byte") << QByteArray("1\0", 2) << "line 1 ";
    }

    void refusesNamingTheLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const Points_List list = Parse_Points(std::string_view(text.constData(), size_t(text.size())));
        QVERIFY2(QString::fromStdString(list.error).startsWith(error), list.error.c_str());
        QVERIFY(list.values.empty());
    }

    void outlineTakesItsCountFromY()
    {
        const Outline_Vertices ok = Make_Outline({1, 2, 3, 4}, {5, 6, 7});
        QVERIFY(ok.error.empty());
        QCOMPARE(ok.vertices.size(), size_t(3));
        QCOMPARE(ok.vertices[2], std::make_pair(3, 7));
        QCOMPARE(QString::fromStdString(Make_Outline({1, 2}, {5, 6, 7}).error), "the x list has 2 values for 3 vertices");
        QVERIFY(!Make_Outline({1, 2}, {5, 6}).error.empty());
        QVERIFY(Make_Outline({1, 2}, {5, 6}).vertices.empty());
    }

    void compiledOutlinesRead_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<int>("count");
        QTest::newRow("form") << "pApp_X" << "papp_y" << 410;
        QTest::newRow("screen") << "PTVOUT_X" << "pTVOut_Y" << 135;
    }

    void compiledOutlinesRead()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(int, count);
        const QByteArray xText = Find_Resource("POINTS", x), yText = Find_Resource("POINTS", y);
        const Points_List xs = Parse_Points(std::string_view(xText.constData(), size_t(xText.size())));
        const Points_List ys = Parse_Points(std::string_view(yText.constData(), size_t(yText.size())));
        const Outline_Vertices outline = Make_Outline(xs.values, ys.values);
        QVERIFY(outline.error.empty());
        QCOMPARE(int(outline.vertices.size()), count);
        // The frame pictures travel with them.
        QCOMPARE(QImage::fromData(Find_Resource("BITMAP", "title_top_image")).size(), QSize(716, 109));
    }
};

QTEST_MAIN(PointsResourceTest)
#include "points_resource_test.moc"
