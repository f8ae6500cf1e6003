// The path operations: which separators count, and what each part keeps.
#include <gtest/gtest.h>

#include <string>

#include "sys/Path.h"

namespace {

using sys::path::kAnySeparator;

TEST(Path, FileNamePartFollowsTheLastOfTheGivenSeparators) {
  EXPECT_STREQ("song.bin", sys::path::FileNamePart("C:\\melodies\\song.bin", kAnySeparator));
  EXPECT_STREQ("song.bmt", sys::path::FileNamePart("/home/u/old.bin.d/song.bmt", kAnySeparator));
  EXPECT_STREQ("c", sys::path::FileNamePart("a\\b/c", kAnySeparator));
  EXPECT_STREQ("song.bin", sys::path::FileNamePart("song.bin", kAnySeparator));
  EXPECT_STREQ("", sys::path::FileNamePart("tunes\\", kAnySeparator));
  // Only the separators given count.
  EXPECT_STREQ("c\\d", sys::path::FileNamePart("a\\b/c\\d", "/"));
  EXPECT_STREQ("a/b", sys::path::FileNamePart("a/b", "\\"));
}

TEST(Path, FolderPartKeepsTheLastSeparatorAndIsEmptyWithoutOne) {
  EXPECT_EQ("D:\\Tools\\", sys::path::FolderPart("D:\\Tools\\prog.exe", kAnySeparator));
  EXPECT_EQ("/", sys::path::FolderPart("/prog", kAnySeparator));
  EXPECT_EQ("a/b\\", sys::path::FolderPart("a/b\\c", kAnySeparator));
  EXPECT_EQ("", sys::path::FolderPart("prog.exe", kAnySeparator));
  EXPECT_EQ("", sys::path::FolderPart("", kAnySeparator));
  EXPECT_EQ("a/", sys::path::FolderPart("a/b\\c", "/"));
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
