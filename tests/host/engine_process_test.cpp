// The daemon's hack arguments: which command lines and environments make the host a hack, and
// the window id handed on.
#include "engine_process.h"

#include <QTest>

class EngineProcessTest : public QObject {
    Q_OBJECT

private slots:
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
            QVERIFY(error.startsWith("quelmscr: "));
        } else if (window.isEmpty()) {
            QVERIFY(!request);
            QVERIFY(error.isEmpty());
        } else {
            QVERIFY(request);
            QCOMPARE(request->windowId, window);
        }
    }
};

QTEST_GUILESS_MAIN(EngineProcessTest)
#include "engine_process_test.moc"
