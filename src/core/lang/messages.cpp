#include "core/lang/messages.h"

namespace konfex {

namespace {

// Sorted by key; a test checks the order and that every key the code names is here.
constexpr MessageText kMessages[] = {
    {"EchoNotSent", "The echo request could not be sent: %1"},
    {"FileMalformed",
     "The file %1 is damaged and was not read: %2\nThe dialog shows its defaults. The file stays "
     "as it is unless you press OK; it is then kept as a .bak copy first."},
    {"FileNotSaved", "The file could not be saved; nothing was changed.\n%1"},
    {"ImageNotWritten", "The configuration image was not written.\n%1"},
    {"JobNotWritten", "The job file of the updater could not be written; the updater was not started.\n%1"},
    {"RowsWouldBeDropped",
     "Row %1 has an empty key cell: it and every row after it will not be saved, although "
     "they hold data. Save anyway?"},
    {"SettingsMalformed",
     "The settings file %1 is damaged and was not read: %2\nIt will be kept as Konfex.xml.bak "
     "when the settings are saved."},
    {"SettingsNotSaved", "The settings could not be saved.\n%1"},
    {"UpdaterNotStarted", "The updater could not be started: %1"},
};

}  // namespace

std::span<const MessageText> defaultMessages() {
  return kMessages;
}

}  // namespace konfex
