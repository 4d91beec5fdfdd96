// The pack's directory as the writer lays it out and the reader takes it apart: the byte layout,
// the records a damaged directory keeps, and the names that are no entries.
#include "assets/pack_format.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(PackFormat, TwoEntryExampleIs49Bytes)
{
    std::vector<uint8_t> pack = buildPack({{"a.txt", bytes("abc")}, {"b.txt", bytes("de")}});
    ASSERT_EQ(pack.size(), 49u);
    EXPECT_EQ(pack[0], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&pack[4])), "a.txt");
    EXPECT_EQ(pack[20], 44);
    EXPECT_EQ(pack[40], 47);
    EXPECT_EQ(std::string(pack.begin() + 44, pack.end()), "abcde");
    auto dir = parsePackDirectory(pack, 49);
    ASSERT_EQ(dir.size(), 2u);
    EXPECT_EQ(dir[0].name, "b.txt");   // the last record comes first
    EXPECT_EQ(dir[0].size, 2);
    EXPECT_EQ(dir[1].name, "a.txt");
    EXPECT_EQ(dir[1].size, 3);
}

TEST(PackFormat, BadDirectoriesKeepOnlySensibleRecords)
{
    std::vector<uint8_t> good = buildPack({{"a.txt", bytes("abc")}, {"b.txt", bytes("de")}});
    auto withCount = [&](int32_t count) {
        std::vector<uint8_t> p = good;
        std::memcpy(p.data(), &count, 4);
        return parsePackDirectory(p, static_cast<int64_t>(p.size()));
    };
    EXPECT_TRUE(withCount(-1).empty());
    EXPECT_TRUE(withCount(0).empty());
    EXPECT_TRUE(withCount(0x7FFFFFFF).empty());   // more records than the file can hold

    std::vector<uint8_t> beyond = good;
    int32_t far = 100000;
    std::memcpy(&beyond[40], &far, 4);   // b.txt starts past the end
    auto dir = parsePackDirectory(beyond, static_cast<int64_t>(beyond.size()));
    EXPECT_TRUE(std::none_of(dir.begin(), dir.end(), [](const PackRecord& r) { return r.name == "b.txt"; }));

    std::vector<uint8_t> decreasing = good;
    int32_t back = 44;
    int32_t later = 46;
    std::memcpy(&decreasing[20], &later, 4);
    std::memcpy(&decreasing[40], &back, 4);   // a.txt would get a negative size
    for (const PackRecord& r : parsePackDirectory(decreasing, 49)) {
        EXPECT_GE(r.size, 0);
        EXPECT_LE(r.offset + r.size, 49);
    }
    EXPECT_TRUE(parsePackDirectory({1, 0}, 2).empty());
}

TEST(PackFormat, NamesWithFolderPartsAreNotEntries)
{
    for (const char* bad : {"../escape.txt", "/tmp/x", "a\\b", "c:x", "..", ".", ""})
        EXPECT_FALSE(isPlainEntryName(bad)) << bad;
    EXPECT_TRUE(isPlainEntryName("ter.3ds"));
    auto dir = parsePackDirectory(buildPack({{"../escape.txt", bytes("x")}, {"ok.txt", bytes("y")}}), 4 + 40 + 2);
    ASSERT_EQ(dir.size(), 1u);
    EXPECT_EQ(dir[0].name, "ok.txt");
}
