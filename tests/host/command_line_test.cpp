// The host's command line (the screensaver's modes and a daemon's hack options), program
// directory and web addresses.
#include "command_line.h"
#include "program_dir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mode");   // "a", "p", "c", or "" for run mode
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
        const Command_Line line = Read_Command_Line(args);
        const QString letter = line.Mode == Host_Mode::Password ? "a"
                               : line.Mode == Host_Mode::Preview ? "p"
                               : line.Mode == Host_Mode::Settings ? "c"
                                                                  : "";
        QCOMPARE(letter, mode);
        QCOMPARE(qulonglong(line.Preview_Window), handle);
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
        Host_Paths paths;
        Init_Paths(paths);
        if (expected == u"EXE") expected = QCoreApplication::applicationDirPath() + u'/';
        QCOMPARE(paths.Program_Dir, expected);
        QCOMPARE(paths.Help_Dir, expected + "Info/");
    }

    void configHomeDefaultsToDotConfig()
    {
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", "/home/someone");
        QCOMPARE(Path_File_Name(), QStringLiteral("/home/someone/.config/Velmora/Quelm 3D.ini"));
    }

    void webAddresses()
    {
        Host_Paths paths;
        Build_Web_Links(paths);
        QVERIFY(paths.Home_Page_Address.startsWith("https://"));
        QVERIFY(paths.Home_Page_Address.endsWith("/quelm-3d-screensaver.shtml"));
        const QString site = paths.Home_Page_Address.chopped(QStringLiteral("quelm-3d-screensaver.shtml").size());
        QCOMPARE(paths.Support_Page_Address, site + "support.shtml");
        QVERIFY(!site.contains(' '));
    }

    void hackRequest_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<bool>("runMode");
        QTest::addColumn<QString>("window");   // "" no request; "!" refused with a message
        QTest::newRow("daemon") << QStringList{"--root"} << "0x40000C" << true << "0x40000c";
        QTest::newRow("daemon, decimal") << QStringList{"-root"} << "4194316" << false << "0x40000c";
        QTest::newRow("settings pane") << QStringList{"--root", "--window-id", "0x400D80"} << "0x400D80" << true << "0x400d80";
        QTest::newRow("window id wins") << QStringList{"-window-id", "1234"} << "0x99" << true << "0x4d2";
        QTest::newRow("environment only") << QStringList{} << "0x200001" << true << "0x200001";
        QTest::newRow("environment, /s") << QStringList{"/s"} << "0x200001" << true << "0x200001";
        QTest::newRow("environment, /c keeps the dialog") << QStringList{"/c"} << "0x200001" << false << "";
        QTest::newRow("nothing") << QStringList{} << "" << true << "";
        QTest::newRow("/p 1234") << QStringList{"/p", "1234"} << "" << false << "";
        QTest::newRow("--root without a window") << QStringList{"--root"} << "" << true << "!";
        QTest::newRow("--window-id without an id") << QStringList{"--root", "--window-id"} << "" << true << "!";
        QTest::newRow("not a number") << QStringList{"--root"} << "0xZZ" << true << "!";
        QTest::newRow("zero") << QStringList{"--window-id", "0"} << "" << true << "!";
    }
    void hackRequest()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, environment);
        QFETCH(bool, runMode);
        QFETCH(QString, window);
        QString error;
        const auto request = Read_Hack_Request(args, environment, runMode, &error);
        if (window == u"!") {
            QVERIFY(!request);
            QVERIFY(!error.isEmpty());
        } else if (window.isEmpty()) {
            QVERIFY(!request);
            QVERIFY(error.isEmpty());
        } else {
            QVERIFY(request);
            QCOMPARE(request->Window_Id, window);
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
