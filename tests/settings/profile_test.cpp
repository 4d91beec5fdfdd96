// The profile module: Windows profile semantics on text, integers as the form reads them, and
// the replacement of a file on disk.
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "profile.h"

class Profile_Test : public QObject {
    Q_OBJECT
private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");   // the fallback is 77
        QTest::newRow("decimal") << "133" << 133;
        QTest::newRow("blanks around") << "  25 \t" << 25;
        QTest::newRow("signs") << "-1" << -1;
        QTest::newRow("plus") << "+4" << 4;
        QTest::newRow("hex") << "0x1F" << 31;
        QTest::newRow("hex upper X") << "0XfF" << 255;
        QTest::newRow("hex, 32 bits") << "0xFFFFFFFF" << -1;
        QTest::newRow("hex past 32 bits") << "0x100000000" << 77;
        QTest::newRow("smallest") << "-2147483648" << INT_MIN;
        QTest::newRow("past the largest") << "2147483648" << 77;
        QTest::newRow("trailing letters") << "12abc" << 77;
        QTest::newRow("not a number") << "abc" << 77;
        QTest::newRow("empty") << "" << 77;
        QTest::newRow("hex prefix alone") << "0x" << 77;
        QTest::newRow("sign alone") << "-" << 77;
        QTest::newRow("inner blank") << "1 2" << 77;
    }
    void integers()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        QCOMPARE(Read_Profile_Integer(value.toStdString(), 77), expected);
    }
    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");   // the value of key "Speed" in section "Main", "<none>" when missing
        QTest::newRow("plain") << "[Main]\nSpeed=3\n" << "3";
        QTest::newRow("names ignore case") << "[mAIN]\nsPEED=4\n" << "4";
        QTest::newRow("blanks around names and value") << "  [ Main ]  \r\n  Speed  =  5  \r\n" << "5";
        QTest::newRow("first match wins") << "[Main]\nSpeed=1\nSpeed=2\n" << "1";
        QTest::newRow("second section of the name") << "[Main]\n[Other]\nSpeed=9\n[main]\nSpeed=6\n" << "6";
        QTest::newRow("other section only") << "[Other]\nSpeed=9\n" << "<none>";
        QTest::newRow("before any section") << "Speed=9\n[Main]\n" << "<none>";
        QTest::newRow("quotes removed") << "[Main]\nSpeed=\"7\"\n" << "7";
        QTest::newRow("empty value") << "[Main]\nSpeed=\n" << "";
        QTest::newRow("line without equals") << "[Main]\nSpeed\n" << "<none>";
        QTest::newRow("header without bracket") << "[Main\nSpeed=8" << "8";
        QTest::newRow("empty file") << "" << "<none>";
    }
    void reading()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        auto value = Profile_File::Parse(text.toStdString()).Read_String("Main", "Speed");
        QCOMPARE(value ? QString::fromStdString(*value) : QString("<none>"), expected);
    }
    void writing_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");   // after writing Speed=2 into section Main
        QTest::newRow("empty file") << "" << "[Main]\nSpeed=2\n";
        QTest::newRow("replaced in place, spelling of the file kept elsewhere")
            << "; note\n[MAIN]\nA=1\nspeed = 9\nB=2\n" << "; note\n[MAIN]\nA=1\nSpeed=2\nB=2\n";
        QTest::newRow("added after the section's last line")
            << "[Main]\nA=1\n\n[Other]\nC=3\n" << "[Main]\nA=1\nSpeed=2\n\n[Other]\nC=3\n";
        QTest::newRow("new section at the end") << "[Other]\nC=3" << "[Other]\nC=3\n\n[Main]\nSpeed=2\n";
        QTest::newRow("Windows line ends kept") << "[Main]\r\nA=1\r\n" << "[Main]\r\nA=1\r\nSpeed=2\r\n";
        QTest::newRow("each line's own end kept") << "[Main]\r\nA=1\n\rB=\r\r\nx"
                                                  << "[Main]\r\nA=1\n\rB=\r\r\nx\r\nSpeed=2\r\n";
    }
    void writing()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Profile_File file = Profile_File::Parse(before.toStdString());
        file.Write_String("Main", "Speed", "2");
        QCOMPARE(QString::fromStdString(file.Text()), after);
    }
    void erasing_keeps_everything_else()
    {
        Profile_File file = Profile_File::Parse("top=1\n[Main]\nA=1\n[Other]\nB=2\n[main]\nC=3\n");
        QVERIFY(file.Erase_Section("MAIN"));
        QCOMPARE(QString::fromStdString(file.Text()), QString("top=1\n[Other]\nB=2\n"));
        QVERIFY(!file.Erase_Section("Main"));
    }
    void replacing_a_file_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("through_link");
        QTest::newRow("new file") << false << false;
        QTest::newRow("old file") << true << false;
        QTest::newRow("through a link") << true << true;
        // A dotfile manager's link to a file it has not made yet: the link stays, the file is made.
        QTest::newRow("through a link to no file yet") << false << true;
    }
    void replacing_a_file()
    {
        QFETCH(bool, exists);
        QFETCH(bool, through_link);
        QTemporaryDir dir;
        const std::string real = dir.filePath("Controls.cfg").toStdString();
        if (exists) {
            std::ofstream(real) << "old contents that are longer than the new ones";
            chmod(real.c_str(), 0640);
        }
        std::string path = real;
        if (through_link) {
            // Two links, the second relative to its own folder.
            path = dir.filePath("link.cfg").toStdString();
            QVERIFY(symlink("hop.cfg", path.c_str()) == 0);
            QVERIFY(symlink(real.c_str(), dir.filePath("hop.cfg").toLocal8Bit().constData()) == 0);
        }
        std::string error;
        QVERIFY(Replace_File(path, "[Main]\nA=1\n", error));
        std::ifstream in(real);
        QCOMPARE(QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {})), QString("[Main]\nA=1\n"));
        struct stat info {};
        QVERIFY(lstat(path.c_str(), &info) == 0);
        QCOMPARE(S_ISLNK(info.st_mode), through_link);
        stat(real.c_str(), &info);
        if (exists) QCOMPARE(info.st_mode & 0777, 0640u);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 through_link ? 3 : 1);
    }
    void a_link_into_a_missing_folder_is_refused()
    {
        QTemporaryDir dir;
        const std::string link = dir.filePath("link.cfg").toStdString();
        QVERIFY(symlink("gone/Controls.cfg", link.c_str()) == 0);
        std::string error;
        QVERIFY(!Replace_File(link, "x", error));
        QVERIFY2(error.find("whose folder") != std::string::npos, error.c_str());
        struct stat info {};
        QVERIFY(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
        // A link that leads nowhere is a "system" entry to QDir.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 1);
    }
    void a_failed_replacement_leaves_nothing_behind()
    {
        QTemporaryDir dir;
        // A folder in the file's place cannot be renamed over.
        QVERIFY(QDir(dir.path()).mkdir("Controls.cfg"));
        std::string error;
        QVERIFY(!Replace_File(dir.filePath("Controls.cfg").toStdString(), "x", error));
        QVERIFY(!error.empty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Controls.cfg"});
        QVERIFY(!Replace_File(dir.filePath("missing/Controls.cfg").toStdString(), "x", error));
    }
    void a_folder_that_takes_no_new_file_leaves_the_old_one_as_it_was()
    {
        // A writable file in a folder the user may not add to: rewriting it in place could leave
        // it half written, so the replacement fails and the file keeps every byte. Root may add
        // to any folder, so the attempt runs as the user "nobody" in a child process.
        QTemporaryDir dir;
        const std::string path = dir.filePath("Controls.cfg").toStdString();
        std::ofstream(path) << "[Main]\nA=old\n";
        chmod(path.c_str(), 0666);
        chmod(dir.path().toLocal8Bit().constData(), 0555);
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
            std::string error;
            const bool replaced = Replace_File(path, "[Main]\nA=new\n", error);
            _exit(replaced ? 1 : error.find("takes no new file") == std::string::npos ? 2 : 0);
        }
        int status = -1;
        waitpid(child, &status, 0);
        chmod(dir.path().toLocal8Bit().constData(), 0755);
        QCOMPARE(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
        std::ifstream in(path);
        QCOMPARE(QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {})), QString("[Main]\nA=old\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Controls.cfg"});
    }
};

QTEST_GUILESS_MAIN(Profile_Test)
#include "profile_test.moc"
