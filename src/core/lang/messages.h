// Messages that the product's safety mends added beside the 2400-entry text table (a save that failed,
// rows that OK would drop, a damaged file, ...). They have keys of their own, so a language file sets them
// with lines "MSG.<Key> = text" that the STR loader ignores, and no STR entry changes meaning.
#pragma once

#include <span>
#include <string_view>

namespace konfex {

struct MessageText {
  std::string_view key;
  std::string_view text;  // English; "%1", "%2" stand for values filled in at run time
};

// The English defaults, sorted by key.
std::span<const MessageText> defaultMessages();

// Keys used by the code; each has an entry in defaultMessages().
namespace msg {
inline constexpr std::string_view kSettingsNotSaved = "SettingsNotSaved";
inline constexpr std::string_view kSettingsMalformed = "SettingsMalformed";
inline constexpr std::string_view kImageNotWritten = "ImageNotWritten";
inline constexpr std::string_view kFileNotSaved = "FileNotSaved";
inline constexpr std::string_view kFileMalformed = "FileMalformed";
inline constexpr std::string_view kRowsWouldBeDropped = "RowsWouldBeDropped";
inline constexpr std::string_view kJobNotWritten = "JobNotWritten";
inline constexpr std::string_view kUpdaterNotStarted = "UpdaterNotStarted";
inline constexpr std::string_view kEchoNotSent = "EchoNotSent";
}  // namespace msg

}  // namespace konfex
