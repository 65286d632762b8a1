// path_split_tests.cpp: the split of a path into the directory to watch and the name to look for.
#include <gtest/gtest.h>

#include <string>

#include "watch/path_split.h"

namespace quillbrook {
namespace {

TEST(SplitPath, SplitsAtTheLastSlash) {
  struct Case {
    std::string path;
    PathParts expected;
  };
  const Case cases[] = {
      {"/home/me/blink/blink.hex", {"/home/me/blink/", "blink.hex"}},
      {"build/blink.hex", {"build/", "blink.hex"}},
      {"/blink.hex", {"/", "blink.hex"}},
      {"/home/me/blink/", {"/home/me/blink/", ""}},
      {"/", {"/", ""}},
      {"a//b.hex", {"a//", "b.hex"}},
      {"./blink.hex", {"./", "blink.hex"}},
      // No slash: the current directory, where anyone opening the path finds the file.
      {"blink.hex", {"./", "blink.hex"}},
      {" blink.hex ", {"./", " blink.hex "}},
      // A backslash is part of a name here, not a separator.
      {"C:\\work\\blink.hex", {"./", "C:\\work\\blink.hex"}},
      {"/home/me/my\\dir/blink.hex", {"/home/me/my\\dir/", "blink.hex"}},
      {"", {"", ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitPath(c.path), c.expected) << '"' << c.path << '"';
  }
}

TEST(SplitPath, AWatchedFilesFullPathSplitsBackIntoItsName) {
  for (const std::string path : {"/home/me/blink.hex", "blink.hex", "rel/dir/blink.hex"}) {
    const PathParts parts = SplitPath(path);
    EXPECT_EQ(SplitPath(parts.directory + parts.name), parts) << path;
  }
}

}  // namespace
}  // namespace quillbrook
