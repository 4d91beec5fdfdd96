#include "base/whole_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

static std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WholeFile, ReadsWhatIsThereAndNothingElse)
{
    TempFolder folder("whole-file");
    std::ofstream(folder / "text.txt", std::ios::binary) << std::string("ab\0cd", 5);
    std::ofstream(folder / "empty.txt", std::ios::binary);
    fs::create_directory(folder / "folder");
    fs::create_symlink(folder / "text.txt", folder / "link.txt");
    ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0600), 0);
    struct Case {
        const char* name;
        size_t maxBytes;
        std::optional<std::vector<uint8_t>> expected;
    };
    const size_t all = std::numeric_limits<size_t>::max();
    const Case cases[] = {
        {"text.txt", all, std::vector<uint8_t>{'a', 'b', 0, 'c', 'd'}},   // zero bytes are data
        {"text.txt", 3, std::vector<uint8_t>{'a', 'b', 0}},
        {"text.txt", 0, std::vector<uint8_t>{}},
        {"text.txt", 99, bytesOf(std::string("ab\0cd", 5))},
        {"link.txt", all, bytesOf(std::string("ab\0cd", 5))},
        {"empty.txt", all, std::vector<uint8_t>{}},
        {"missing.txt", all, std::nullopt},
        {"folder", all, std::nullopt},   // opens, but its size means nothing
        {"pipe", all, std::nullopt},     // nobody writes: refused, not waited on
        {"/dev/zero", all, std::nullopt},   // a device reports no size of its own
        {"text.txt/inside", all, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readWholeFile(folder.file(c.name), c.maxBytes), c.expected) << c.name << " up to " << c.maxBytes;
}
