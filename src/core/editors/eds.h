// Decoding the I/O connections of an adapter's EDS file (its "[Connection Manager]" section) into the
// records the EDS selection dialog lists, and the rule by which Import EDS fills the connection table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace konfex {

// The fields of one entry as the decoder saw them, for people who want to know why a connection reads
// the way it does (konfex-cli eds). Texts are trimmed pieces of the entry.
struct EdsRawFields {
  std::string keyword;                         // the entry's first line up to its first "=" (empty without one)
  std::string triggerTransport;                // field 1
  std::string connectionParameters;            // field 2 as written
  std::array<std::string, 10> rateSizeFormat;  // fields 3 to 12 as written
  std::string path;                            // field 15 without its quotation marks
  std::vector<uint8_t> pathBytes;              // the bytes read from the path (at most 1001)

  bool operator==(const EdsRawFields&) const = default;
};

// One decoded connection. The initial values are the record's own; the decoder sets every field except
// numClass.
struct ConnData {
  int32_t connIndex = 0;  // counts from 1
  std::string connName;   // field 13, trimmed, quotation marks kept
  std::string helpStr;    // field 14, trimmed, quotation marks kept
  uint8_t dimHeaderTO = 0;
  uint8_t dimHeaderOT = 4;
  uint8_t numClass = 4;
  uint8_t instanceTO = 30;
  uint8_t connPointTO = 0;
  uint8_t instanceOT = 30;
  uint8_t connPointOT = 0;
  EdsRawFields raw;

  bool operator==(const ConnData&) const = default;
};

// Limits that keep the memory of a decode bounded whatever the file holds. No real EDS file comes near
// them: a line or an entry past its limit is cut there, and no connection is listed once the list holds
// kEdsMaxListBytes of texts.
inline constexpr size_t kEdsMaxLineBytes = 64 * 1024;
inline constexpr size_t kEdsMaxEntryBytes = 64 * 1024;
inline constexpr size_t kEdsMaxListBytes = 32 * 1024 * 1024;
inline constexpr size_t kEdsMaxPathBytes = 1001;

// The connections of a text already decoded to UTF-8, in file order.
std::vector<ConnData> decodeEds(std::string_view decodedText);
// The connections of a file's bytes: a UTF-8 or UTF-16 byte-order mark selects that encoding, otherwise
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
std::vector<ConnData> decodeEdsFileBytes(std::string_view bytes);
// Reads the file in blocks (one pass, bounded memory). A missing or unreadable file, or one that is not
// a regular file, has no connections.
std::vector<ConnData> readEdsFile(const std::filesystem::path& file);

namespace detail {
// decodeEdsFileBytes with the bytes fed in blocks of the given size, as readEdsFile feeds a file (fuzzing).
std::vector<ConnData> decodeEdsFileBytesInBlocks(std::string_view bytes, size_t blockSize);
}  // namespace detail

// The selection grid: 9 columns, headers from text entries 2306 to 2314.
inline constexpr int kEdsGridColumns = 9;
inline constexpr int kEdsFirstHeaderEntry = 2306;
// Row texts as the grid shows them: "Connection<n>", name, help, instance and connection point O > T and
// T > O in decimal, and the header sizes ("Default" for O > T 4 and for T > O 0).
std::array<std::string, kEdsGridColumns> edsGridTexts(const ConnData& connection);

// Import EDS into the connection table.
struct EdsImportRow {
  std::string_view ipAddress;   // column 2
  std::string_view instanceTO;  // column 8
};
// The first row (counting from 1) whose IP address and Instance T > O are both empty after trimming;
// 0 when there is none.
int edsImportTargetRow(std::span<const EdsImportRow> rows);

struct EdsImportCopy {
  int selectionColumn;  // column of the selection grid
  int tableColumn;      // column of the connection table
};
// The six cells copied from the selected row, texts as they stand ("Default" included).
inline constexpr std::array<EdsImportCopy, 6> kEdsImportCopies = {{
    {3, 10},  // Instance O > T
    {4, 11},  // Conn. Point O > T
    {5, 8},   // Instance T > O
    {6, 9},   // Conn. Point T > O
    {8, 12},  // Dim Header T > O
    {7, 13},  // Dim Header O > T
}};

}  // namespace konfex
