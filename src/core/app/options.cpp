#include "core/app/options.h"

#include <algorithm>
#include <system_error>

#include "core/io/text.h"

namespace konfex {

namespace fs = std::filesystem;

std::vector<std::string> listLanguageFiles(const fs::path& languageFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(languageFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sec;
    // Not followed: a link is no plain file of the folder.
    const fs::file_status status = it->symlink_status(sec);
    if (sec || !fs::is_regular_file(status)) continue;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) continue;  // read-only
    // The loader opens "<language>.lng" exactly, so only that spelling of the extension is offered.
    std::string name = utf8String(it->path().filename());
    if (name.size() < 4 || !name.ends_with(".lng")) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lessNoCase(a, b); });
  return names;
}

std::string languageOfFile(const std::string& fileName) {
  return fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

LanguagePage languagePage(size_t count, int page) {
  LanguagePage p;
  p.page = page;
  p.pages = static_cast<int>((count + kLanguagesPerPage - 1) / kLanguagesPerPage);
  p.first = kLanguagesPerPage * (page - 1);
  p.shown = std::clamp(static_cast<int>(count) - p.first, 0, kLanguagesPerPage);
  p.previousVisible = page != 1;
  // Without languages there are no pages, so Next stays visible on "page 1 of 0" and leads nowhere.
  p.nextVisible = page != p.pages;
  return p;
}

int nextPage(size_t count, int page) {
  return page + 1 <= languagePage(count, page).pages ? page + 1 : page;
}

int previousPage(int page) {
  return page > 1 ? page - 1 : page;
}

std::optional<fs::path> flagFile(const fs::path& languageFolder, const std::string& language) {
  std::error_code ec;
  const fs::path own = languageFolder / utf8Path(language + ".bmp");
  if (fs::exists(own, ec)) return own;
  const fs::path fallback = languageFolder / "DefaultFlag.bmp";
  if (fs::exists(fallback, ec)) return fallback;
  return std::nullopt;
}

}  // namespace konfex
