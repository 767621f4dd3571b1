#include "app/Pathutil.h"

#include <gtest/gtest.h>

namespace {
// Shift-JIS characters whose second byte is 0x5C, the byte of '\'.
const std::string kHyou = "\x95\x5c"; // 表
const std::string kSo = "\x83\x5c";   // ソ
const std::string kNou = "\x94\x5c";  // 能
} // namespace

TEST(Pathutil, SecondByteOfADoubleByteCharacterIsNoBackslash)
{
    for (const std::string& ch : {kHyou, kSo, kNou}) {
        std::string folder = "C:\\" + ch;
        EXPECT_FALSE(EndsWithChar(folder, '\\'));
        EXPECT_EQ(folder + "\\", AddBackslash(folder));
        EXPECT_EQ(folder, RemoveBackslash(folder));
        EXPECT_EQ(folder + "\\README.TXT", JoinPath(folder, "README.TXT"));
        EXPECT_TRUE(EndsWithChar(folder + "\\", '\\'));
        EXPECT_EQ(folder, RemoveBackslash(folder + "\\"));
    }
    // A lead byte at the very end counts as a character of its own.
    EXPECT_TRUE(EndsWithChar(std::string("C:\\\x95"), '\x95'));
}

TEST(Pathutil, TrailingBackslashes)
{
    EXPECT_EQ("C:\\", AddBackslash("C:\\"));
    EXPECT_EQ("C:", RemoveBackslash("C:\\"));
    EXPECT_EQ("C:\\Tools\\", RemoveBackslash("C:\\Tools\\\\"));
    EXPECT_EQ("C:\\Tools\\\\", AddBackslash("C:\\Tools\\\\"));
    EXPECT_EQ("", AddBackslash(""));
    EXPECT_EQ("", RemoveBackslash(""));
    EXPECT_FALSE(EndsWithChar("", '\\'));
    EXPECT_EQ("\\", AddBackslash("\\"));
}

TEST(Pathutil, JoinPathWithAndWithoutSeparator)
{
    EXPECT_EQ("C:\\Tools\\README.TXT", JoinPath("C:\\Tools", "README.TXT"));
    EXPECT_EQ("C:\\Tools\\README.TXT", JoinPath("C:\\Tools\\", "README.TXT"));
    EXPECT_EQ("README.TXT", JoinPath("", "README.TXT"));
}
