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
  using sys::path::EndsWith;
  EXPECT_TRUE(EndsWith("out/song.bin", ".bin") && EndsWith(".bin", ".bin") && EndsWith("song", ""));
  EXPECT_FALSE(EndsWith("song.BIN", ".bin") || EndsWith("song.bin.old", ".bin") || EndsWith("bin", ".bin"));
}

}  // namespace
