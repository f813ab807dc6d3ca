// The rules behind the software options dialog: which language files it offers, how they are paged
// six at a time, and which flag picture each shows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace konfex {

inline constexpr int kLanguagesPerPage = 6;

// The file names (with ".lng") of the plain files in the folder that end in ".lng", sorted without regard
// to letter case. Folders, links and files whose owner may not write them (read-only) are left out;
// hidden files are listed. A missing folder gives an empty list.
std::vector<std::string> listLanguageFiles(const std::filesystem::path& languageFolder);

// The language a listed file stands for: its name without the last four characters.
std::string languageOfFile(const std::string& fileName);

// One page of the language list.
struct LanguagePage {
  int page = 1;   // shown, from 1
  int pages = 0;  // (count + 5) / 6; 0 without languages
  int first = 0;  // position in the list of the first slot, from 0
  int shown = 0;  // languages on this page, 0 to 6
  bool previousVisible = false;
  bool nextVisible = false;
};
LanguagePage languagePage(size_t count, int page);
// The page the paging buttons lead to: unchanged where there is no page beyond.
int nextPage(size_t count, int page);
int previousPage(int page);

// The picture for a language: LANGUAGE/<language>.bmp, else LANGUAGE/DefaultFlag.bmp, else none.
std::optional<std::filesystem::path> flagFile(const std::filesystem::path& languageFolder, const std::string& language);

}  // namespace konfex
