// The figures of the "About" page: the processor clock from two counter readings, the memory
// status from /proc/meminfo, megabytes as the page shows them.
#include <QtTest>

#include "system_info.h"

class System_Info_Test : public QObject {
    Q_OBJECT
private slots:
    void cpu_speed_data()
    {
        QTest::addColumn<quint64>("first");
        QTest::addColumn<quint64>("second");
        QTest::addColumn<double>("mhz");
        QTest::newRow("3 GHz") << quint64(1000) << quint64(1000 + 1500000000ull) << 3000.0;
        QTest::newRow("counter crossing 32 bits") << quint64(0xFFFFFFF0ull) << quint64(0xFFFFFFF0ull + 500000) << 1.0;
        QTest::newRow("2^32 ticks wrap to 0") << quint64(0) << quint64(1ull << 32) << 0.0;
        QTest::newRow("9 GHz wraps") << quint64(0) << quint64(4500000000ull)
                                     << (4500000000ull - (1ull << 32)) / 500000.0;
    }
    void cpu_speed()
    {
        QFETCH(quint64, first);
        QFETCH(quint64, second);
        QFETCH(double, mhz);
        QCOMPARE(CPU_Speed_From_Ticks(first, second), mhz);
    }
    void memory_status_data()
    {
        QTest::addColumn<QString>("meminfo");
        QTest::addColumn<uint>("load");
        QTest::addColumn<quint64>("total");
        QTest::newRow("available") << "MemTotal:  4194304 kB\nMemFree:  100 kB\nMemAvailable:  1048576 kB\n" << 75u
                                   << quint64(4294967296ull);
        QTest::newRow("old kernel: free") << "MemTotal: 1000 kB\nMemFree: 600 kB\n" << 40u << quint64(1024000);
        QTest::newRow("nothing readable") << "garbage\n" << 0u << quint64(0);
        QTest::newRow("more available than total") << "MemTotal: 10 kB\nMemAvailable: 20 kB\n" << 0u << quint64(10240);
    }
    void memory_status()
    {
        QFETCH(QString, meminfo);
        QFETCH(uint, load);
        QFETCH(quint64, total);
        Memory_Status status = Parse_Memory_Status(meminfo.toStdString());
        QCOMPARE(status.Load_Percent, load);
        QCOMPARE(status.Total_Bytes, total);
    }
    void megabytes_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("4 GiB") << quint64(4294967296ull) << "4294 Mb";
        QTest::newRow("just under one") << quint64(999999) << "0 Mb";
        QTest::newRow("one") << quint64(1000000) << "1 Mb";
    }
    void megabytes()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Megabytes_Text(bytes), text);
    }
};

QTEST_GUILESS_MAIN(System_Info_Test)
#include "system_info_test.moc"
