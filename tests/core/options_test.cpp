#include "core/app/options.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeText;

TEST(LanguageList, ListsWritableLngFilesSortedWithoutCase) {
  TempDir dir;
  for (const char* name : {"italiano.lng", "Deutsch.lng", "English.lng", "Fran\u00e7ais.lng", ".hidden.lng",
                           "notes.txt", "English.bmp", "UPPER.LNG", "Locked.lng"})
    writeText(dir / name, "STR0000 = x");
  fs::create_directory(dir / "Folder.lng");
  fs::create_symlink(dir / "English.lng", dir / "Link.lng");
  fs::permissions(dir / "Locked.lng", fs::perms::owner_write, fs::perm_options::remove);

  EXPECT_EQ(listLanguageFiles(dir.path()), (std::vector<std::string>{".hidden.lng", "Deutsch.lng", "English.lng",
                                                                     "Fran\u00e7ais.lng", "italiano.lng"}))
      << "folders, links, read-only files and other extensions are left out";
  EXPECT_EQ(languageOfFile("Fran\u00e7ais.lng"), "Fran\u00e7ais");
  EXPECT_EQ(languageOfFile(".lng"), "");
  EXPECT_TRUE(listLanguageFiles(dir / "missing").empty());
}

TEST(LanguageList, PagesSixAtATime) {
  struct Case {
    size_t count;
    int page;
    LanguagePage expected;  // page, pages, first, shown, previous visible, next visible
  };
  const Case cases[] = {
      {0, 1, {1, 0, 0, 0, false, true}},  // "page 1 of 0": Next shows and leads nowhere
      {1, 1, {1, 1, 0, 1, false, false}}, {6, 1, {1, 1, 0, 6, false, false}}, {7, 1, {1, 2, 0, 6, false, true}},
      {7, 2, {2, 2, 6, 1, true, false}},  {13, 2, {2, 3, 6, 6, true, true}},  {13, 3, {3, 3, 12, 1, true, false}},
  };
  for (const Case& c : cases) {
    const LanguagePage p = languagePage(c.count, c.page);
    const std::string where = std::to_string(c.count) + " files, page " + std::to_string(c.page);
    EXPECT_EQ(p.page, c.expected.page) << where;
    EXPECT_EQ(p.pages, c.expected.pages) << where;
    EXPECT_EQ(p.first, c.expected.first) << where;
    EXPECT_EQ(p.shown, c.expected.shown) << where;
    EXPECT_EQ(p.previousVisible, c.expected.previousVisible) << where;
    EXPECT_EQ(p.nextVisible, c.expected.nextVisible) << where;
  }
  EXPECT_EQ(nextPage(0, 1), 1);
  EXPECT_EQ(nextPage(6, 1), 1);
  EXPECT_EQ(nextPage(7, 1), 2);
  EXPECT_EQ(nextPage(7, 2), 2);
  EXPECT_EQ(previousPage(2), 1);
  EXPECT_EQ(previousPage(1), 1);
}

TEST(LanguageList, FlagFallsBackToTheDefaultFlag) {
  TempDir dir;
  EXPECT_EQ(flagFile(dir.path(), "Deutsch"), std::nullopt);
  writeText(dir / "DefaultFlag.bmp", "BM");
  EXPECT_EQ(flagFile(dir.path(), "Deutsch"), dir / "DefaultFlag.bmp");
  writeText(dir / "Deutsch.bmp", "BM");
  EXPECT_EQ(flagFile(dir.path(), "Deutsch"), dir / "Deutsch.bmp");
}

}  // namespace
}  // namespace konfex
