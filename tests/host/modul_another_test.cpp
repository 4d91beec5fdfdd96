// The host's command line, program directory and web addresses.
#include "modul_another.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ModulAnotherTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<qulonglong>("handle");
        QTest::newRow("none") << QStringList{} << "" << 0ull;
        QTest::newRow("/s") << QStringList{"/s"} << "" << 0ull;
        QTest::newRow("/S") << QStringList{"/S"} << "" << 0ull;
        QTest::newRow("x") << QStringList{"x"} << "" << 0ull;
        QTest::newRow("/c") << QStringList{"/c"} << "c" << 0ull;
        QTest::newRow("/C") << QStringList{"/C"} << "c" << 0ull;
        QTest::newRow("-c") << QStringList{"-c"} << "c" << 0ull;
        QTest::newRow("c") << QStringList{"c"} << "c" << 0ull;
        QTest::newRow("/r") << QStringList{"/r"} << "c" << 0ull;
        QTest::newRow("/c:1234") << QStringList{"/c:1234"} << "c" << 0ull;
        QTest::newRow("/p 1234") << QStringList{"/p", "1234"} << "p" << 1234ull;
        QTest::newRow("/P 77") << QStringList{"/P", "77"} << "p" << 77ull;
        QTest::newRow("/p:1234") << QStringList{"/p:1234"} << "p" << 0ull;
        QTest::newRow("/a 1234") << QStringList{"/a", "1234"} << "a" << 1234ull;
        QTest::newRow("/p word") << QStringList{"/p", "word"} << "p" << 0ull;
        QTest::newRow("/p overflow") << QStringList{"/p", "99999999999999999999999"} << "p" << 0ull;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mode);
        QFETCH(qulonglong, handle);
        Mode = QStringLiteral("stale");
        Preview_Window = 42;
        Read_Command_Line(args);
        QCOMPARE(Mode, mode);
        QCOMPARE(qulonglong(Preview_Window), handle);
    }

    void programDirectory_data()
    {
        QTest::addColumn<QByteArray>("file");   // empty: no file at all
        QTest::addColumn<QString>("expected");  // "EXE" stands for the test program's folder
        QTest::newRow("absent") << QByteArray() << "EXE";
        QTest::newRow("empty value") << QByteArray("[General]\nPath=\n") << "EXE";
        QTest::newRow("value") << QByteArray("[General]\nPath=/opt/quelm 3d\n") << "/opt/quelm 3d/";
        QTest::newRow("names ignore case, blanks, slash") << QByteArray("[general]\r\npath = /opt/q/ \r\n") << "/opt/q/";
        QTest::newRow("other section") << QByteArray("[Other]\nPath=/nope\n") << "EXE";
        QTest::newRow("other keys only") << QByteArray("[General]\nPathX=/nope\n") << "EXE";
    }
    void programDirectory()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        if (!file.isNull()) {
            QDir(config.path()).mkpath("Velmora");
            QFile out(config.path() + "/Velmora/Quelm 3D.ini");
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        Init_Paths();
        if (expected == u"EXE") expected = QCoreApplication::applicationDirPath() + u'/';
        QCOMPARE(Program_Dir, expected);
        QCOMPARE(Help_Dir, expected + "Info/");
    }

    void configHomeDefaultsToDotConfig()
    {
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", "/home/someone");
        QCOMPARE(Path_File_Name(), QStringLiteral("/home/someone/.config/Velmora/Quelm 3D.ini"));
    }

    void webAddresses()
    {
        Build_Web_Links();
        QVERIFY(Home_Page_Address.startsWith("https://"));
        QVERIFY(Home_Page_Address.endsWith("/quelm-3d-screensaver.shtml"));
        const QString site = Home_Page_Address.chopped(QStringLiteral("quelm-3d-screensaver.shtml").size());
        QCOMPARE(Support_Page_Address, site + "support.shtml");
        QVERIFY(!site.contains(' '));
    }
};

QTEST_GUILESS_MAIN(ModulAnotherTest)
#include "modul_another_test.moc"
