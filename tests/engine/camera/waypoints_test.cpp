// The waypoint file: its layout as the writer makes it, the reader's handling of counts and
// lengths, the open failure, and loading through the resource pack.
#include "assets/pack.h"
#include "camera/camera.h"
#include "camera/waypoints.h"
#include "engine/base/fatal_messages.h"
#include "support/temp_folder.h"
#include "waypoints/wp_writer.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <numbers>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

static Waypoint numbered(int i)
{
    float f = static_cast<float>(i);
    return {f, f + 0.25f, -f, 0.0f, 0.5f, -0.5f, f * 0.001f};
}

static std::vector<Waypoint> numberedPath(int n)
{
    std::vector<Waypoint> points;
    for (int i = 0; i < n; ++i) points.push_back(numbered(i));
    return points;
}

static void expectSame(const Waypoint& a, const Waypoint& b, int index)
{
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "waypoint " << index;
}

static WaypointPath parsed(const std::vector<uint8_t>& bytes)
{
    WaypointPath path;
    parseWaypoints(bytes.data(), bytes.size(), path);
    return path;
}

static bool allZeroFrom(const WaypointPath& path, int first)
{
    static const Waypoint zero{};
    for (int i = first; i < kMaxWaypoints; ++i)
        if (std::memcmp(&path.points[i], &zero, sizeof zero) != 0) return false;
    return true;
}

TEST(WaypointFile, WriterLaysOutCountThenLittleEndianRecords)
{
    std::vector<uint8_t> bytes = encodeWaypointFile({{1.0f, -2.0f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f}});
    ASSERT_EQ(bytes.size(), 4u + 28u);
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4)), (std::vector<uint8_t>{1, 0, 0, 0}));
    // 1.0f = 0x3F800000, -2.0f = 0xC0000000, 0.5f = 0x3F000000, low byte first.
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 16)),
              (std::vector<uint8_t>{0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F}));
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 28, bytes.end())), (std::vector<uint8_t>{0, 0, 0x80, 0x3F}));
    EXPECT_EQ(encodeWaypointFile(-1, {})[3], 0xFF);
}

TEST(WaypointFile, CountZeroGivesAnEmptyPath)
{
    WaypointPath path = parsed(encodeWaypointFile({}));
    EXPECT_EQ(path.count, 0);
    EXPECT_TRUE(allZeroFrom(path, 0));
}

TEST(WaypointFile, RecordsAreReadInOrderAndTheRestStaysZero)
{
    std::vector<Waypoint> points = numberedPath(4);
    WaypointPath path = parsed(encodeWaypointFile(points));
    EXPECT_EQ(path.count, 4);
    for (int i = 0; i < 4; ++i) expectSame(path.points[i], points[i], i);
    EXPECT_TRUE(allZeroFrom(path, 4));
}

TEST(WaypointFile, TwoThousandRecordsFillTheTable)
{
    std::vector<Waypoint> points = numberedPath(kMaxWaypoints);
    WaypointPath path = parsed(encodeWaypointFile(points));
    EXPECT_EQ(path.count, kMaxWaypoints);
    for (int i : {0, 1, 999, 1998, 1999}) expectSame(path.points[i], points[i], i);
}

TEST(WaypointFile, CountsOutsideTheTableAreBounded)
{
    // 5000 stated and present: the first 2000 are read and nothing beyond the table is touched.
    std::vector<Waypoint> points = numberedPath(5000);
    WaypointParseReport report;
    WaypointPath path;
    std::vector<uint8_t> bytes = encodeWaypointFile(points);
    report = parseWaypoints(bytes.data(), bytes.size(), path);
    EXPECT_EQ(path.count, kMaxWaypoints);
    EXPECT_EQ(report.storedCount, 5000);
    EXPECT_TRUE(report.countClamped);
    expectSame(path.points[1999], points[1999], 1999);

    WaypointPath negative = parsed(encodeWaypointFile(-7, numberedPath(3)));
    EXPECT_EQ(negative.count, 0);
    EXPECT_TRUE(allZeroFrom(negative, 0));

    WaypointPath huge = parsed(encodeWaypointFile(INT32_MAX, numberedPath(2)));
    EXPECT_EQ(huge.count, kMaxWaypoints);
    expectSame(huge.points[1], numbered(1), 1);
    EXPECT_TRUE(allZeroFrom(huge, 2));
}

TEST(WaypointFile, ShortFileKeepsItsCountAndZerosTheMissingRecords)
{
    std::vector<uint8_t> bytes = encodeWaypointFile(10, numberedPath(3));
    bytes.resize(bytes.size() + 20, 0xAB);   // a torn fourth record is not taken in part
    WaypointParseReport report;
    WaypointPath path;
    report = parseWaypoints(bytes.data(), bytes.size(), path);
    EXPECT_EQ(path.count, 10);
    EXPECT_EQ(report.recordsRead, 3);
    expectSame(path.points[2], numbered(2), 2);
    EXPECT_TRUE(allZeroFrom(path, 3));

    // Too short even for the count.
    std::vector<uint8_t> stub{5, 0};
    EXPECT_EQ(parsed(stub).count, 0);
    EXPECT_EQ(parsed({}).count, 0);
}

TEST(WaypointFile, ReadingAgainReplacesThePath)
{
    WaypointPath path;
    std::vector<uint8_t> longer = encodeWaypointFile(numberedPath(6));
    std::vector<uint8_t> shorter = encodeWaypointFile(numberedPath(2));
    parseWaypoints(longer.data(), longer.size(), path);
    parseWaypoints(shorter.data(), shorter.size(), path);
    EXPECT_EQ(path.count, 2);
    EXPECT_TRUE(allZeroFrom(path, 2));
}

// File and pack tests run in a fresh current directory, as the engine does in its program directory.
class WaypointFolder : public ::testing::Test {
protected:
    fs::path oldDir = fs::current_path();
    TempFolder dir{"wp"};
    FatalMessages fatal;
    void SetUp() override
    {
        setenv("ZERO_MESSAGES", "stderr", 1);
        fs::current_path(dir.path());
    }
    void TearDown() override { fs::current_path(oldDir); }
};

TEST_F(WaypointFolder, WriterAndFileReaderAgree)
{
    std::string error;
    std::vector<Waypoint> points = numberedPath(5);
    ASSERT_TRUE(writeWaypointFile("wp.dat", points, error)) << error;
    EXPECT_EQ(fs::file_size("wp.dat"), 4u + 5u * 28u);
    EXPECT_FALSE(fs::exists("wp.dat.part"));

    WaypointPath path;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(path.readFile("wp.dat"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fatal.count(), 0u);
    EXPECT_EQ(path.count, 5);
    for (int i = 0; i < 5; ++i) expectSame(path.points[i], points[i], i);
}

TEST_F(WaypointFolder, WriterLeavesNothingWhenItCannotWrite)
{
    std::string error;
    EXPECT_FALSE(writeWaypointFile("missing/wp.dat", numberedPath(4), error));
    EXPECT_NE(error.find("missing/wp.dat"), std::string::npos) << error;
    fs::create_directory("target");   // a folder in the way of the rename
    EXPECT_FALSE(writeWaypointFile("target", numberedPath(4), error));
    EXPECT_FALSE(fs::exists("target.part"));
}

TEST_F(WaypointFolder, CountZeroFileLoadsSilently)
{
    std::string error;
    ASSERT_TRUE(writeWaypointFile("wp.dat", std::vector<Waypoint>{}, error));
    WaypointPath path;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(path.readFile("wp.dat"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(path.count, 0);
    EXPECT_EQ(fatal.count(), 0u);
}

TEST_F(WaypointFolder, OddFilesAreLoggedNotReported)
{
    std::string error;
    ASSERT_TRUE(writeWaypointFile("wp.dat", encodeWaypointFile(9, numberedPath(4)), error));
    WaypointPath path;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(path.readFile("wp.dat"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("holds 4 of its 9 waypoints"), std::string::npos) << err;
    EXPECT_EQ(err.find("["), std::string::npos) << "no message box for a short file: " << err;
    EXPECT_EQ(path.count, 9);
    EXPECT_EQ(fatal.count(), 0u);
}

TEST_F(WaypointFolder, AFileLongerThanTheTableFillsTheTable)
{
    std::string error;
    const std::vector<Waypoint> points = numberedPath(kMaxWaypoints + 500);
    ASSERT_TRUE(writeWaypointFile("wp.dat", points, error)) << error;
    WaypointPath path;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(path.readFile("wp.dat"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zero: wp.dat states 2500 waypoints; 2000 are read\n");
    EXPECT_EQ(path.count, kMaxWaypoints);
    expectSame(path.points[kMaxWaypoints - 1], points[kMaxWaypoints - 1], kMaxWaypoints - 1);
    EXPECT_EQ(fatal.count(), 0u);
}

TEST_F(WaypointFolder, UnopenableFileStopsTheRunWithTheMessage)
{
    WaypointPath path;
    std::vector<uint8_t> bytes = encodeWaypointFile(numberedPath(4));
    parseWaypoints(bytes.data(), bytes.size(), path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(path.readFile("nothing-here.dat"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] Error loading WP file.\n");
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>{FailurePointer::Unchanged});
    EXPECT_EQ(path.count, 4) << "a failed read leaves the path as it was";
}

TEST_F(WaypointFolder, LoadsThroughThePack)
{
    std::vector<Waypoint> points = numberedPath(4);
    std::vector<uint8_t> pack = buildPack({{"other.txt", {'x'}}, {"WP.DAT", encodeWaypointFile(points)}});
    std::ofstream("data.res", std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), pack.size());
    WaypointPath path;
    {
        ResourcePack res;
        res.open("data.res");
        testing::internal::CaptureStderr();
        path.load(res, "wp.dat");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        res.removeTempFiles();
        EXPECT_FALSE(fs::exists(res.folderName()));
    }
    EXPECT_EQ(fatal.count(), 0u);
    ASSERT_EQ(path.count, 4);
    expectSame(path.points[3], points[3], 3);
}

TEST_F(WaypointFolder, MissingPackEntryGivesBothMessagesAndAnEmptyPath)
{
    std::vector<uint8_t> pack = buildPack({{"other.txt", {'x'}}});
    std::ofstream("data.res", std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), pack.size());
    WaypointPath path;
    ResourcePack res;
    res.open("data.res");
    testing::internal::CaptureStderr();
    path.load(res, "wp.dat");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[wp.dat] RES NOT FOUND\n[ERROR] Error loading WP file.\n");
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>{FailurePointer::Unchanged});
    EXPECT_EQ(path.count, 0);
    res.removeTempFiles();
}

TEST(OrbitPath, ClosedLoopLookingAlongTheFlight)
{
    const float radius = 120.0f, height = 12.0f, pitchDegrees = 8.0f;
    const int count = 24;
    std::vector<Waypoint> path = orbitPath(radius, height, pitchDegrees, count);
    ASSERT_EQ(path.size(), static_cast<size_t>(count + 3));
    for (int i = 0; i < 3; ++i) expectSame(path[count + i], path[i], count + i);
    const float pitch = pitchDegrees * std::numbers::pi_v<float> / 180.0f;
    for (int i = 0; i < count; ++i) {
        const Waypoint& w = path[i];
        EXPECT_NEAR(std::hypot(w.x, w.z), radius, 1e-3f);
        EXPECT_EQ(w.y, height);
        EXPECT_NEAR(w.qx * w.qx + w.qy * w.qy + w.qz * w.qz + w.qw * w.qw, 1.0f, 1e-5f);
        // The direction to the next waypoint, tilted down by the pitch, is straight ahead (eye -z).
        const Waypoint& next = path[i + 1];
        float dx = next.x - w.x, dz = next.z - w.z, len = std::hypot(dx, dz);
        float dir[3] = {dx / len * std::cos(pitch), -std::sin(pitch), dz / len * std::cos(pitch)};
        std::array<float, 16> m = rotationMatrix(Quaternion{w.qx, w.qy, w.qz, w.qw});
        float eye[3];
        for (int row = 0; row < 3; ++row) eye[row] = m[row] * dir[0] + m[4 + row] * dir[1] + m[8 + row] * dir[2];
        // The chord to the next waypoint is half a step off the tangent.
        float halfStep = std::numbers::pi_v<float> / count;
        EXPECT_NEAR(eye[0], 0.0f, std::sin(halfStep) + 1e-4f) << i;
        EXPECT_NEAR(eye[2], -1.0f, 1.0f - std::cos(halfStep) + 1e-4f) << i;
        EXPECT_NEAR(eye[1], 0.0f, 0.01f) << i;
    }
    EXPECT_TRUE(orbitPath(radius, height, pitchDegrees, 0).empty());
}
