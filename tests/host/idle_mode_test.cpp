// The idle watcher's words and plans: its command line, the session lock's file, and which
// engines it starts for the outputs a compositor names.
#include "idle_mode.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(IdleRequest, TheTimeIsReadAndEveryBadWordRefused)
{
    struct Case {
        QStringList args;
        int milliseconds;   // 0: no request; -1: refused
    };
    const Case cases[] = {{{"/s"}, 0},
                          {{"--idle"}, 4 * 60000},
                          {{"--idle", "--idle-minutes", "6"}, 6 * 60000},
                          {{"--idle-minutes", "1440", "--idle"}, 1440 * 60000},
                          {{"--idle", "--idle-seconds", "2"}, 2000},
                          {{"--idle", "--idle-seconds", "86400"}, 86400000},
                          {{"--idle", "--idle-minutes", "0"}, -1},
                          {{"--idle", "--idle-minutes", "1441"}, -1},
                          {{"--idle", "--idle-seconds", "86401"}, -1},
                          {{"--idle", "--idle-seconds", "-3"}, -1},
                          {{"--idle", "--idle-seconds", "2.5"}, -1},
                          {{"--idle", "--idle-minutes"}, -1},
                          {{"--idle", "--idle-minutes", "x"}, -1},
                          {{"--idle", "/s"}, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result<std::optional<Idle_Request>> read = Read_Idle_Request(c.args);
        if (c.milliseconds < 0) {
            EXPECT_FALSE(read.Ok);
            EXPECT_FALSE(read.Message.empty());
            continue;
        }
        ASSERT_TRUE(read.Ok) << read.Message;
        ASSERT_EQ(read.Value.has_value(), c.milliseconds > 0);
        if (read.Value) {
            EXPECT_EQ(read.Value->Milliseconds, c.milliseconds);
        }
    }
}

// A socket given by its full path (which libwayland allows) or none at all still names a file
// in the runtime folder, and the same session the same file.
TEST(IdleLock, OneFilePerSessionInTheRuntimeFolder)
{
    struct Case {
        QString runtime, display, path;
    };
    const QString temp = QDir::tempPath();
    const Case cases[] = {{"/run/user/1000", "wayland-1", "/run/user/1000/quelm3d-idle-wayland-1.lock"},
                          {"/run/user/1000/", "wayland-1", "/run/user/1000/quelm3d-idle-wayland-1.lock"},
                          {"/run/user/1000", "/run/user/1000/wayland-1", "/run/user/1000/quelm3d-idle-wayland-1.lock"},
                          {"/run/user/1000", "", "/run/user/1000/quelm3d-idle-wayland-0.lock"},
                          {"/run/user/1000", "/srv/sock/w-0", "/run/user/1000/quelm3d-idle-_srv_sock_w-0.lock"},
                          {"/run/user/1000", "../w", "/run/user/1000/quelm3d-idle-.._w.lock"},
                          {"", "/srv/sock/w-0", temp + "/quelm3d-idle-1000-_srv_sock_w-0.lock"},
                          {"", "wayland-0", temp + "/quelm3d-idle-1000-wayland-0.lock"}};
    for (const Case& c : cases) {
        SCOPED_TRACE((c.runtime + " " + c.display).toStdString());
        EXPECT_EQ(Idle_Lock_Path(c.runtime, c.display, 1000).toStdString(), c.path.toStdString());
    }
}

TEST(IdleEngines, OnePerOutputTheFirstWithSoundAndOneWhereNoOutputIsNamed)
{
    const std::vector<Engine_Launch> two = Plan_Engines({"DP-1", "HDMI-A-1"});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].Arguments(), QStringList({"--output", "DP-1"}));
    EXPECT_TRUE(two[0].Silent_Reason.isEmpty());
    EXPECT_EQ(two[1].Arguments(), QStringList({"--output", "HDMI-A-1"}));
    EXPECT_EQ(two[1].Silent_Reason.toStdString(), "the copy on DP-1 plays the sound");

    // A compositor that names no output (wl_output before version 4 and no xdg-output) still gets
    // one engine, on the output it chooses, with sound.
    const std::vector<Engine_Launch> unnamed = Plan_Engines({});
    ASSERT_EQ(unnamed.size(), 1u);
    EXPECT_TRUE(unnamed[0].Arguments().isEmpty());
    EXPECT_TRUE(unnamed[0].Silent_Reason.isEmpty());
}
