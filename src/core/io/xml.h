// Loading and saving the product's XML files with pugixml, and the lookups every reader shares.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "core/io/files.h"

namespace konfex {

// A file that is not well-formed XML; the message names the file, the parser's complaint and its position.
class XmlError : public FileError {
 public:
  using FileError::FileError;
};

enum class XmlText {
  // Element text matters (settings, communication parameters): a text of blanks alone is kept.
  KeepBlankText,
  // Only attributes matter (the row tables): whitespace between elements is dropped.
  DropBlankText,
};

// Parses the file; comments are nodes (the first top-level node may be one), a declaration is skipped.
// Throws XmlError for malformed XML and FileError when the file cannot be read.
void loadXmlFile(pugi::xml_document& doc, const std::filesystem::path& path, XmlText mode);
void loadXmlText(pugi::xml_document& doc, std::string_view text, const std::filesystem::path& nameForErrors,
                 XmlText mode);

// The XML as the product writes it: UTF-8, indented, without a declaration.
std::string xmlToString(const pugi::xml_document& doc);

// The document's first top-level node, whatever its kind or name.
pugi::xml_node firstTopLevelNode(const pugi::xml_document& doc);

// Text of the first child element with that name; nullopt when there is none.
std::optional<std::string> childText(pugi::xml_node parent, const char* name);

// Value of the attribute; nullopt when the attribute is absent (an empty value is not absent).
std::optional<std::string_view> attributeText(pugi::xml_node node, const char* name);

}  // namespace konfex
