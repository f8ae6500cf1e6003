// The path operations: which separators count, and what each part keeps.
#include <gtest/gtest.h>

#include <string>

#include "sys/Path.h"

namespace {

// A path's file name and its folder, as "NAME | FOLDER".
std::string Parts(const char* path, const char* separators = sys::path::kAnySeparator) {
  return std::string(sys::path::FileNamePart(path, separators)) + " | " + sys::path::FolderPart(path, separators);
}

TEST(Path, TheFileNameFollowsTheLastOfTheGivenSeparatorsAndTheFolderKeepsIt) {
  EXPECT_EQ(Parts("C:\\melodies\\song.bin"), "song.bin | C:\\melodies\\");
  EXPECT_EQ(Parts("/home/u/old.bin.d/song.bmt"), "song.bmt | /home/u/old.bin.d/");
  EXPECT_EQ(Parts("a\\b/c"), "c | a\\b/");
  EXPECT_EQ(Parts("/prog"), "prog | /");
  EXPECT_EQ(Parts("song.bin"), "song.bin | ");
  EXPECT_EQ(Parts("tunes\\"), " | tunes\\");
  EXPECT_EQ(Parts(""), " | ");
  // Only the separators given count.
  EXPECT_EQ(Parts("a\\b/c\\d", "/"), "c\\d | a\\b/");
  EXPECT_EQ(Parts("a/b", "\\"), "a/b | ");
}

TEST(Path, EndsWithComparesTheLastCharactersExactly) {
  EXPECT_TRUE(sys::path::EndsWith("out/song.bin", ".bin"));
  EXPECT_TRUE(sys::path::EndsWith(".bin", ".bin"));
  EXPECT_FALSE(sys::path::EndsWith("song.BIN", ".bin"));
  EXPECT_FALSE(sys::path::EndsWith("song.bin.old", ".bin"));
  EXPECT_FALSE(sys::path::EndsWith("bin", ".bin"));
  EXPECT_TRUE(sys::path::EndsWith("song", ""));
}

}  // namespace
