#include "core/app/settings.h"

#include <system_error>

#include "core/io/xml.h"

namespace konfex {

namespace {

void readText(pugi::xml_node root, const char* section, const char* name, std::string& value) {
  if (auto text = childText(root.child(section), name)) value = std::move(*text);
}

void readFlag(pugi::xml_node flags, const char* name, bool& value) {
  const auto text = childText(flags, name);
  value = text && *text == "1";
}

void addLeaf(pugi::xml_node parent, const char* section, const char* name, const std::string& value) {
  parent.append_child(section).append_child(name).text().set(value.c_str());
}

Settings settingsFromDocument(const pugi::xml_document& doc) {
  Settings settings;
  const pugi::xml_node root = firstTopLevelNode(doc);
  readText(root, "lastproj", "projectname", settings.projectName);
  readText(root, "lastipadd", "ipaddress", settings.lastDeviceIp);
  readText(root, "lastlang", "language", settings.language);
  const pugi::xml_node flags = root.child("lastinternet");
  readFlag(flags, "enable_internet", settings.enableInternet);
  readFlag(flags, "enable_update", settings.enableUpdate);
  readFlag(flags, "enable_jump_field_tables", settings.enableJumpFieldTables);
  readFlag(flags, "Double_Click_Auto_Size", settings.doubleClickAutoSize);
  return settings;
}

}  // namespace

SettingsRead readSettingsFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return {};
  try {
    pugi::xml_document doc;
    loadXmlText(doc, readFile(file), file, XmlText::KeepBlankText);
    return {settingsFromDocument(doc), std::nullopt};
  } catch (const XmlError& e) {
    return {Settings{}, e.reason()};  // damaged: the defaults, and the reason for the user
  } catch (const FileError&) {
    return {};  // unreadable (a folder, no permission): as if there were none; saving reports it
  }
}

Settings readSettings(const std::filesystem::path& file) {
  return readSettingsFile(file).settings;
}

Settings settingsFromXml(std::string_view xml) {
  pugi::xml_document doc;
  try {
    loadXmlText(doc, xml, "Konfex.xml", XmlText::KeepBlankText);
  } catch (const XmlError&) {
    return Settings{};  // malformed: as if there were none
  }
  return settingsFromDocument(doc);
}

std::string settingsXml(const Settings& s) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Conf_Settings");
  addLeaf(root, "lastproj", "projectname", s.projectName);
  addLeaf(root, "lastipadd", "ipaddress", s.lastDeviceIp);
  addLeaf(root, "lastlang", "language", s.language);
  pugi::xml_node flags = root.append_child("lastinternet");
  const auto flag = [&](const char* name, bool on) { flags.append_child(name).text().set(on ? "1" : "0"); };
  flag("enable_internet", s.enableInternet);
  flag("enable_update", s.enableUpdate);
  flag("enable_jump_field_tables", s.enableJumpFieldTables);
  flag("Double_Click_Auto_Size", s.doubleClickAutoSize);
  return xmlToString(doc);
}

void writeSettings(const std::filesystem::path& file, const Settings& settings) {
  writeFileAtomically(file, settingsXml(settings));
}

}  // namespace konfex
