#include "core/update/job_file.h"

#include <pugixml.hpp>

#include "core/editors/number_text.h"
#include "core/io/text.h"
#include "core/io/xml.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

void leaf(pugi::xml_node parent, const char* name, const std::string& text) {
  pugi::xml_node node = parent.append_child(name);
  if (!text.empty()) node.text().set(text.c_str());
}

void addOperation(pugi::xml_node operations, bool firmware, const JobRequest& r) {
  const std::string readBack = r.readBack ? "1" : "0";
  pugi::xml_node op = operations.append_child("Operation");
  leaf(op, "Ope_Protection_Enabled", "");
  leaf(op, "Ope_GoToBoot_Before", "0");
  leaf(op, "Ope_GoToApp_Before", "0");
  leaf(op, "Ope_IP_Address", "");
  leaf(op, "Ope_Port", "2008");
  leaf(op, "Ope_Port_Sec", "2007");
  leaf(op, "Ope_Erase_Memory", "0");
  leaf(op, "Ope_FileName", utf8String(firmware ? r.firmwareFile : r.bankFile));
  leaf(op, "Ope_Start_Address", firmware ? "0x8000" : "0x60000");
  leaf(op, "Ope_Memory_Type", "0");
  leaf(op, "Ope_Bank_Type", firmware ? "1" : "2");
  leaf(op, "Ope_Read_Back", readBack);
  leaf(op, "Ope_Write_CSS", firmware ? "1" : "0");
  leaf(op, "Ope_Address_CSS", firmware ? "0x78100" : "0x50100");
  leaf(op, "Ope_Command_CSS", "0x0B");
  if (!firmware) {
    leaf(op, "Ope_Write_Internal_Data", "0");
    leaf(op, "Ope_WID_Address", "0x78200");
    leaf(op, "Ope_WID_Command", "0x0B");
    leaf(op, "Ope_WID_Data", "0x00, 0x00, 0x00, 0x01");
  }
  // Only a firmware-only update starts the application after the firmware; otherwise the configuration
  // operation that follows does.
  leaf(op, "Ope_GoToApp_After", !firmware || r.option == UpdateOption::Firmware ? "1" : "0");
}

// Reading: every element the configurator writes must be there; the messages name the element.
class Reader {
 public:
  explicit Reader(const fs::path& file) : file_(utf8String(file)) {}

  [[noreturn]] void fail(const std::string& where, const std::string& problem) const {
    throw JobError(file_ + ": " + (where.empty() ? "" : where + ": ") + problem);
  }

  std::string rawText(pugi::xml_node parent, const char* name, const std::string& where) const {
    const pugi::xml_node child = parent.child(name);
    if (!child) fail(where, std::string("the element ") + name + " is missing");
    return child.text().get();
  }
  std::string text(pugi::xml_node parent, const char* name, const std::string& where) const {
    return std::string(trim(rawText(parent, name, where)));
  }

  uint32_t number(pugi::xml_node parent, const char* name, const std::string& where, uint32_t max) const {
    const std::string t = text(parent, name, where);
    const std::optional<int32_t> v = parseIntText(t);
    if (!v) fail(where, std::string(name) + " \"" + t + "\" is no number");
    const auto u = static_cast<uint32_t>(*v);
    if ((*v < 0 && max != UINT32_MAX) || u > max)
      fail(where, std::string(name) + " " + t + " is out of range (0 to " + std::to_string(max) + ")");
    return u;
  }

  uint16_t port(pugi::xml_node parent, const char* name, const std::string& where, bool optional = false) const {
    if (optional && text(parent, name, where).empty()) return 0;
    const uint32_t p = number(parent, name, where, 65535);
    if (p == 0) fail(where, std::string(name) + " must not be 0");
    return static_cast<uint16_t>(p);
  }

  bool flag(pugi::xml_node parent, const char* name, const std::string& where) const {
    const std::string t = text(parent, name, where);
    if (t == "1") return true;
    if (t.empty() || t == "0") return false;
    fail(where, std::string(name) + " \"" + t + "\" is neither 0 nor 1");
  }

  Ipv4 address(const std::string& t, const char* name, const std::string& where) const {
    const std::optional<Ipv4> a = parseIpv4(t);
    if (!a) fail(where, std::string(name) + " \"" + t + "\" is no dotted IPv4 address");
    return *a;
  }

  std::vector<uint8_t> bytes(pugi::xml_node parent, const char* name, const std::string& where) const {
    const std::string t = text(parent, name, where);
    std::vector<uint8_t> out;
    size_t pos = 0;
    while (!t.empty() && pos <= t.size()) {
      const size_t comma = t.find(',', pos);
      const std::string part(trim(std::string_view(t).substr(pos, comma == std::string::npos ? comma : comma - pos)));
      const std::optional<int32_t> v = parseIntText(part);
      if (!v || *v < 0 || *v > 255) fail(where, std::string(name) + ": \"" + part + "\" is no byte value");
      out.push_back(static_cast<uint8_t>(*v));
      if (comma == std::string::npos) break;
      pos = comma + 1;
    }
    return out;
  }

 private:
  std::string file_;
};

}  // namespace

std::string jobFileXml(const JobRequest& r) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Ethernet_Update");
  leaf(root, "Version", "1000");
  leaf(root, "Title", "Veltrona - QS40213 Ethernet Update");
  leaf(root, "IP_Address_Dev", r.address);
  leaf(root, "Application_Port", "10000");
  leaf(root, "Boot_Port", "2008");
  leaf(root, "Boot_Port_Sec", "2007");
  leaf(root, "Address_Protection", "0x78000");
  leaf(root.append_child("Protections"), "Protection", "0x5C7");
  pugi::xml_node operations = root.append_child("Operations");
  if (r.option != UpdateOption::Configuration) addOperation(operations, true, r);
  if (r.option != UpdateOption::Firmware) addOperation(operations, false, r);
  return xmlToString(doc);
}

void writeJobFile(const fs::path& file, const JobRequest& request) {
  writeFileAtomically(file, jobFileXml(request));
}

std::string JobOperation::label() const {
  if (bankType == 1) return "firmware";
  if (bankType == 2) return "configuration";
  return "bank " + std::to_string(bankType);
}

UpdateJob parseJob(std::string_view xml, const fs::path& file) {
  const Reader in(file);
  pugi::xml_document doc;
  try {
    loadXmlText(doc, xml, file, XmlText::KeepBlankText);
  } catch (const XmlError& e) {
    throw JobError(e.what());
  }
  const pugi::xml_node root = doc.child("Ethernet_Update");
  if (!root) in.fail("", "the root element Ethernet_Update is missing");

  UpdateJob job;
  const std::string version = in.text(root, "Version", "");
  if (version != "1000") in.fail("", "Version \"" + version + "\" is not supported (only 1000)");
  job.title = root.child("Title") ? in.text(root, "Title", "") : std::string();
  job.device = in.address(in.text(root, "IP_Address_Dev", ""), "IP_Address_Dev", "");
  job.applicationPort = in.port(root, "Application_Port", "");
  job.bootPort = in.port(root, "Boot_Port", "");
  job.bootPortSec = in.port(root, "Boot_Port_Sec", "", true);
  job.addressProtection = in.number(root, "Address_Protection", "", UINT32_MAX);
  const pugi::xml_node protections = root.child("Protections");
  if (!protections) in.fail("", "the element Protections is missing");
  for (const pugi::xml_node p : protections.children("Protection")) {
    const std::string t(trim(p.text().get()));
    const std::optional<int32_t> v = parseIntText(t);
    if (!v) in.fail("Protections", "Protection \"" + t + "\" is no number");
    job.protections.push_back(static_cast<uint32_t>(*v));
  }

  const pugi::xml_node operations = root.child("Operations");
  if (!operations) in.fail("", "the element Operations is missing");
  for (const pugi::xml_node node : operations.children("Operation")) {
    const std::string where = "Operation " + std::to_string(job.operations.size() + 1);
    JobOperation op;
    op.protectionEnabled = in.flag(node, "Ope_Protection_Enabled", where);
    op.goToBootBefore = in.flag(node, "Ope_GoToBoot_Before", where);
    op.goToAppBefore = in.flag(node, "Ope_GoToApp_Before", where);
    const std::string ip = in.text(node, "Ope_IP_Address", where);
    op.address = ip.empty() ? job.device : in.address(ip, "Ope_IP_Address", where);
    op.port = in.port(node, "Ope_Port", where);
    op.portSec = in.port(node, "Ope_Port_Sec", where, true);
    op.eraseMemory = in.flag(node, "Ope_Erase_Memory", where);
    const std::string name = in.rawText(node, "Ope_FileName", where);  // a folder name may end in blanks
    if (name.empty()) in.fail(where, "Ope_FileName is empty");
    op.fileName = utf8Path(name);
    // A relative name is taken from the job file's folder, where the configurator keeps its files.
    if (op.fileName.is_relative()) op.fileName = (file.parent_path() / op.fileName).lexically_normal();
    op.startAddressText = in.text(node, "Ope_Start_Address", where);
    op.startAddress = in.number(node, "Ope_Start_Address", where, UINT32_MAX);
    // The name of the transfer is the start address text: keep it to characters every server accepts.
    if (op.startAddressText.find_first_not_of("0123456789abcdefABCDEFxX$") != std::string::npos)
      in.fail(where, "Ope_Start_Address \"" + op.startAddressText + "\" may hold only digits and a 0x prefix");
    op.memoryType = static_cast<int>(in.number(node, "Ope_Memory_Type", where, 255));
    if (op.memoryType != 0) in.fail(where, "Ope_Memory_Type " + std::to_string(op.memoryType) + " is not supported");
    op.bankType = static_cast<int>(in.number(node, "Ope_Bank_Type", where, 255));
    op.readBack = in.flag(node, "Ope_Read_Back", where);
    op.writeCss = in.flag(node, "Ope_Write_CSS", where);
    op.addressCss = in.number(node, "Ope_Address_CSS", where, UINT32_MAX);
    op.commandCss = static_cast<uint8_t>(in.number(node, "Ope_Command_CSS", where, 255));
    // The internal-data elements belong to the configuration operation only.
    if (node.child("Ope_Write_Internal_Data")) {
      op.writeInternalData = in.flag(node, "Ope_Write_Internal_Data", where);
      op.widAddress = in.number(node, "Ope_WID_Address", where, UINT32_MAX);
      op.widCommand = static_cast<uint8_t>(in.number(node, "Ope_WID_Command", where, 255));
      op.widData = in.bytes(node, "Ope_WID_Data", where);
    }
    op.goToAppAfter = in.flag(node, "Ope_GoToApp_After", where);
    // Only a plain file of a size a device can hold: a device file or a pipe would never end.
    std::error_code ec;
    if (fs::exists(op.fileName, ec) && !fs::is_regular_file(op.fileName, ec))
      in.fail(where, "the file to send " + utf8String(op.fileName) + " is not a plain file");
    if (fs::is_regular_file(op.fileName, ec) && fs::file_size(op.fileName, ec) > kMaxFileToSend)
      in.fail(where, "the file to send " + utf8String(op.fileName) + " is larger than " +
                         std::to_string(kMaxFileToSend) + " bytes");
    try {
      op.data = readFile(op.fileName);
    } catch (const FileError& e) {
      in.fail(where, std::string("the file to send cannot be read: ") + e.what());
    }
    job.operations.push_back(std::move(op));
  }
  return job;
}

UpdateJob readJobFile(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) throw JobError(utf8String(file) + ": the job file is missing");
  std::string xml;
  try {
    xml = readFile(file);
  } catch (const FileError& e) {
    throw JobError(e.what());
  }
  return parseJob(xml, file);
}

}  // namespace konfex
