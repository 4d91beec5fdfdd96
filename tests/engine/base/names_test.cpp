#include "base/names.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SameNameIgnoringCase, FoldsAsciiLettersOnly)
{
    EXPECT_TRUE(sameNameIgnoringCase("Controls.cfg", "controls.CFG"));
    EXPECT_TRUE(sameNameIgnoringCase("FullScreen behaviour Control", "fullscreen BEHAVIOUR control"));
    EXPECT_TRUE(sameNameIgnoringCase("", ""));
    EXPECT_FALSE(sameNameIgnoringCase("sky.3ds", "sky.3d"));
    EXPECT_FALSE(sameNameIgnoringCase("sky.3ds", "skz.3ds"));
    EXPECT_FALSE(sameNameIgnoringCase("a_b", "a-b"));
    EXPECT_FALSE(sameNameIgnoringCase("@", "`")) << "only letters fold: '@' + 32 is '`'";
    EXPECT_FALSE(sameNameIgnoringCase("[", "{"));
    EXPECT_FALSE(sameNameIgnoringCase("\xc3\x89", "\xc3\xa9")) << "bytes beyond ASCII stay as they are";
}

TEST(FindIgnoringCase, ExactSpellingFirstThenTheFirstSortedMatch)
{
    TempFolder temp("names");
    const std::string folder = temp.str();
    EXPECT_FALSE(findIgnoringCase(folder, "controls.cfg"));
    std::ofstream(folder + "/CONTROLS.cfg") << "";
    std::ofstream(folder + "/Controls.cfg") << "";
    EXPECT_EQ(findIgnoringCase(folder, "controls.cfg"), folder + "/CONTROLS.cfg");
    std::ofstream(folder + "/controls.cfg") << "";
    EXPECT_EQ(findIgnoringCase(folder, "controls.cfg"), folder + "/controls.cfg");
    fs::create_directory(folder + "/data.RES");
    EXPECT_FALSE(findIgnoringCase(folder, "data.res")) << "a folder is not a file";
}
