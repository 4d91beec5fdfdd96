// The profile module: Windows profile semantics on text, and integers as the form reads them.
#include "profile.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Profile, Integers)
{
    const struct {
        const char* value;
        int expected;   // the fallback is 77
    } rows[] = {
        {"133", 133},          {"  25 \t", 25},        {"-1", -1},          {"+4", 4},
        {"0x1F", 31},          {"0XfF", 255},          {"0xFFFFFFFF", -1},  {"0x100000000", 77},
        {"-2147483648", INT_MIN}, {"2147483648", 77},  {"12abc", 77},       {"abc", 77},
        {"", 77},              {"0x", 77},             {"-", 77},           {"1 2", 77},
    };
    for (const auto& row : rows) EXPECT_EQ(Read_Profile_Integer(row.value, 77), row.expected) << '"' << row.value << '"';
}

TEST(Profile, Reading)
{
    const struct {
        const char* name;
        const char* text;
        const char* expected;   // the value of key "Speed" in section "Main"; nullptr when missing
    } rows[] = {
        {"plain", "[Main]\nSpeed=3\n", "3"},
        {"names ignore case", "[mAIN]\nsPEED=4\n", "4"},
        {"blanks around names and value", "  [ Main ]  \r\n  Speed  =  5  \r\n", "5"},
        {"first match wins", "[Main]\nSpeed=1\nSpeed=2\n", "1"},
        {"second section of the name", "[Main]\n[Other]\nSpeed=9\n[main]\nSpeed=6\n", "6"},
        {"other section only", "[Other]\nSpeed=9\n", nullptr},
        {"before any section", "Speed=9\n[Main]\n", nullptr},
        {"quotes removed", "[Main]\nSpeed=\"7\"\n", "7"},
        {"empty value", "[Main]\nSpeed=\n", ""},
        {"line without equals", "[Main]\nSpeed\n", nullptr},
        {"header without bracket", "[Main\nSpeed=8", "8"},
        {"empty file", "", nullptr},
    };
    for (const auto& row : rows) {
        const std::optional<std::string> value = Profile_File::Parse(row.text).Read_String("Main", "Speed");
        const std::optional<std::string> expected =
            row.expected ? std::optional<std::string>(row.expected) : std::nullopt;
        EXPECT_EQ(value, expected) << row.name;
    }
}

TEST(Profile, Writing)
{
    const struct {
        const char* name;
        const char* before;
        const char* after;   // after writing Speed=2 into section Main
    } rows[] = {
        {"empty file", "", "[Main]\nSpeed=2\n"},
        {"replaced in place, spelling of the file kept elsewhere", "; note\n[MAIN]\nA=1\nspeed = 9\nB=2\n",
         "; note\n[MAIN]\nA=1\nSpeed=2\nB=2\n"},
        {"added after the section's last line", "[Main]\nA=1\n\n[Other]\nC=3\n",
         "[Main]\nA=1\nSpeed=2\n\n[Other]\nC=3\n"},
        {"new section at the end", "[Other]\nC=3", "[Other]\nC=3\n\n[Main]\nSpeed=2\n"},
        {"Windows line ends kept", "[Main]\r\nA=1\r\n", "[Main]\r\nA=1\r\nSpeed=2\r\n"},
        {"each line's own end kept", "[Main]\r\nA=1\n\rB=\r\r\nx", "[Main]\r\nA=1\n\rB=\r\r\nx\r\nSpeed=2\r\n"},
    };
    for (const auto& row : rows) {
        Profile_File file = Profile_File::Parse(row.before);
        file.Write_String("Main", "Speed", "2");
        EXPECT_EQ(file.Text(), row.after) << row.name;
    }
}

TEST(Profile, ErasingKeepsEverythingElse)
{
    Profile_File file = Profile_File::Parse("top=1\n[Main]\nA=1\n[Other]\nB=2\n[main]\nC=3\n");
    EXPECT_TRUE(file.Erase_Section("MAIN"));
    EXPECT_EQ(file.Text(), "top=1\n[Other]\nB=2\n");
    EXPECT_FALSE(file.Erase_Section("Main"));
}

}  // namespace
