#include "core/io/xml.h"

#include <sstream>

namespace konfex {

namespace {

unsigned parseFlags(XmlText mode) {
  unsigned flags = pugi::parse_default | pugi::parse_comments;
  if (mode == XmlText::KeepBlankText) flags |= pugi::parse_ws_pcdata_single;
  return flags;
}

std::string positionOf(std::string_view text, ptrdiff_t offset) {
  const size_t end = offset < 0 ? 0 : std::min(static_cast<size_t>(offset), text.size());
  size_t line = 1;
  size_t column = 1;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

void loadXmlText(pugi::xml_document& doc, std::string_view text, const std::filesystem::path& nameForErrors,
                 XmlText mode) {
  const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size(), parseFlags(mode));
  if (!result) {
    throw XmlError(nameForErrors, std::string("not well-formed XML: ") + result.description() + " at " +
                                      positionOf(text, result.offset));
  }
}

void loadXmlFile(pugi::xml_document& doc, const std::filesystem::path& path, XmlText mode) {
  loadXmlText(doc, readFile(path), path, mode);
}

std::string xmlToString(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

pugi::xml_node firstTopLevelNode(const pugi::xml_document& doc) {
  return doc.first_child();
}

std::optional<std::string> childText(pugi::xml_node parent, const char* name) {
  const pugi::xml_node child = parent.child(name);
  if (!child) return std::nullopt;
  return std::string(child.text().get());
}

std::optional<std::string_view> attributeText(pugi::xml_node node, const char* name) {
  const pugi::xml_attribute attr = node.attribute(name);
  if (!attr) return std::nullopt;
  return std::string_view(attr.value());
}

}  // namespace konfex
