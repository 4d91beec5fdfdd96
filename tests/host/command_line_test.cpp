// The host's command line (the screensaver's modes and a daemon's hack options).
#include "behaviour_keys.h"
#include "command_line.h"

#include <QRegularExpression>
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
        // Past 64 bits by less than a tenth: multiplied without a check it wraps to a plausible id.
        QTest::newRow("/p past 64 bits") << QStringList{"/p", "30000000000000000000"} << "p" << 0ull;
        QTest::newRow("/p largest") << QStringList{"/p", "18446744073709551615"} << "p" << 18446744073709551615ull;
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
        QTest::newRow("past 64 bits") << QStringList{"--window-id", "30000000000000000000"} << "" << true << "!";
    }
    void hackRequest()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, environment);
        QFETCH(bool, runMode);
        QFETCH(QString, window);
        const auto request = Read_Hack_Request(args, environment, runMode);
        if (window == u"!") {
            QVERIFY(!request.Ok);
            QVERIFY(!request.Message.empty());
        } else if (window.isEmpty()) {
            QVERIFY(request.Ok && !request.Value);
        } else {
            QVERIFY(request.Ok && request.Value);
            QCOMPARE(QStringLiteral("0x") + QString::number(request.Value->Window, 16), window);
        }
    }

    // The descriptor's options become behaviour keys for one run; anything else is refused.
    void hackOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("settings");   // "!" and what the message says: refused
        QTest::addColumn<bool>("pane");
        QTest::newRow("none") << QStringList{"--root"} << "" << false;
        QTest::newRow("the settings app's own example")
            << QStringList{"--root", "--fps", "--no-clock", "--music-volume", "20"} << "clock_on=0;fpsch_on=1;music_vo=20" << false;
        QTest::newRow("every option, one dash")
            << QStringList{"-root", "-no-fps", "-clock", "-no-music", "-sound", "-vsync", "-sound-volume", "99",
                           "-speed", "0", "-jump-interval", "100"}
            << "camjump_vo=100;clock_on=1;fpsch_on=0;music_on=0;sound_on=1;sound_vo=99;speed_vo=0;vsync_on=1" << false;
        QTest::newRow("the last one wins") << QStringList{"--clock", "--root", "--no-clock", "--speed", "7", "--speed", "2"}
                                           << "clock_on=0;speed_vo=2" << false;
        QTest::newRow("preview pane") << QStringList{"--window-id", "77", "--no-vsync"} << "vsync_on=0" << true;
        QTest::newRow("unknown") << QStringList{"--root", "--bogus"} << "!unknown option \"--bogus\"" << false;
        QTest::newRow("gamma is the daemon's") << QStringList{"--root", "--gamma", "150"} << "!unknown option \"--gamma\"" << false;
        QTest::newRow("below the range") << QStringList{"--root", "--music-volume", "9"} << "!--music-volume takes a whole number from 10 to 99, not \"9\"" << false;
        QTest::newRow("above the range") << QStringList{"--root", "--jump-interval", "101"} << "!from 3 to 100, not \"101\"" << false;
        QTest::newRow("not a number") << QStringList{"--root", "--speed", "fast"} << "!from 0 to 7, not \"fast\"" << false;
        QTest::newRow("a fraction") << QStringList{"--root", "--sound-volume", "20.5"} << "!not \"20.5\"" << false;
        QTest::newRow("no value") << QStringList{"--root", "--sound-volume"} << "!--sound-volume takes a whole number from 10 to 99" << false;
        QTest::newRow("battery") << QStringList{"--root", "--battery", "still", "-battery", "full"} << "battery_mode=1" << false;
        QTest::newRow("battery cap") << QStringList{"--root", "--battery", "cap"} << "battery_mode=0" << false;
        QTest::newRow("battery, another word") << QStringList{"--root", "--battery", "off"}
                                               << "!--battery takes cap, full or still, not \"off\"" << false;
        QTest::newRow("battery, no word") << QStringList{"--root", "--battery"} << "!--battery takes cap, full or still" << false;
    }
    void hackOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, settings);
        QFETCH(bool, pane);
        const auto request = Read_Hack_Request(args, "0x40000C", true);
        const QString error = QString::fromStdString(request.Message);
        if (settings.startsWith(u'!')) {
            QVERIFY(!request.Ok);
            QVERIFY2(error.contains(settings.mid(1)), qPrintable(error));
            return;
        }
        QVERIFY2(request.Ok && request.Value, qPrintable(error));
        QCOMPARE(request.Value->Run_Settings, settings);
        QCOMPARE(request.Value->Settings_Pane, pane);
        // Our own modes are not the daemon's: options without --root or a window mean nothing.
        const auto own = Read_Hack_Request({"/c", "--bogus"}, "0x40000C", false);
        QVERIFY(own.Ok && !own.Value);
    }

    // An unknown option is told with every option the hack takes, so the message names each one
    // the table gives the daemon (a switch with its --no- form).
    void unknownOptionNamesEveryOption()
    {
        const auto request = Read_Hack_Request({"--root", "--bogus"}, "0x40000C", true);
        QVERIFY(!request.Ok);
        const QString error = QString::fromStdString(request.Message);
        for (const Behaviour_Key& key : Behaviour_Keys) {
            if (!key.Hack_Option) continue;
            const QString option = QStringLiteral("--") + QLatin1String(key.Hack_Option);
            // The whole option, not the start of a longer one ("--sound" of "--sound-volume").
            const QRegularExpression named(QRegularExpression::escape(option) + QStringLiteral("(?![-\\w])"));
            QVERIFY2(error.contains(named), qPrintable(option + ": " + error));
            if (key.Kind == Behaviour_Kind::Switch) QVERIFY2(error.contains("--no- forms"), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
