#include "core/editors/eds.h"

#include <random>

#include <gtest/gtest.h>

#include "core/io/text.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;

const fs::path kFixtures = fs::path(KONFEX_TEST_DATA) / "eds";

using Row = std::array<std::string, kEdsGridColumns>;

std::vector<Row> gridOf(const std::vector<ConnData>& list) {
  std::vector<Row> rows;
  for (const ConnData& c : list) rows.push_back(edsGridTexts(c));
  return rows;
}

std::string section(std::string_view entries) {
  return "[Connection Manager]\n" + std::string(entries);
}

constexpr std::string_view kOwner =
    "Connection1 = 0x04010002, 0x44640405, 10000, 8, Assem150, 10000, 8, Assem100, , , , , "
    "\"Exclusive Owner\", \"\", \"20 04 24 01 2C 96 2C 64\";\n";
const Row kOwnerRow = {"Connection1", "\"Exclusive Owner\"", "\"\"", "1", "150", "1", "100", "Default", "Default"};

// An entry with the given connection parameters, name, help and path text (fields 3 to 12 empty).
std::string entry(std::string_view parameters, std::string_view path, std::string_view name = "\"N\"") {
  return "Connection1 = 0x04010002," + std::string(parameters) + ",,,,,,,,,,," + std::string(name) + ",\"\"," +
         std::string(path) + ";\n";
}

TEST(EdsDecode, CasesAsTheSelectionGridShowsThem) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Row> rows;
  };
  const std::vector<Case> cases = {
      {"one line", section(kOwner), {kOwnerRow}},
      {"over several lines with comments",
       section("Connection1 =          $ the keyword alone\n"
               "  0x04010002,          $ trigger and transport\n"
               "  0x44640405,          $ parameters\n"
               "  10000,8,Assem150,    $ O>T\n"
               "  10000,8,Assem100,    $ T>O\n"
               "  ,,,,                 $ configuration\n"
               "  \"Exclusive Owner\", $ name\n"
               "  \"\",                $ help\n"
               "  \"20 04 24 01 2C 96 2C 64\";  $ path\n"),
       {kOwnerRow}},
      {"CR LF and CR line ends",
       section("Connection1 =\r\n  0x04010002,0x44640405,\r  10000,8,Assem150,10000,8,Assem100,,,,,\r\n"
               "  \"Exclusive Owner\",\"\",\"20 04 24 01 2C 96 2C 64\";\r\n"),
       {kOwnerRow}},
      {"T>O header size 3",
       section(entry("0x44643405", "\"20 04 24 01 2C 96 2C 64\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "3"}}},
      {"decimal parameters: both sizes 4",
       section(entry("17408", "\"20 04 24 01 2C 96 2C 64\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "4"}}},
      {"O>T header size 0",
       section(entry("0x0", "\"20 04 24 01 2C 96 2C 64\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "0", "Default"}}},
      {"unreadable parameters give 7",
       section(entry("0x4464040G", "\"20 04 24 01 2C 96 2C 64\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "7", "7"}}},
      {"instance segment for T>O",
       section(entry("0x44640405", "\"20 04 24 05 2C 64 24 06 2C 65\"")),
       {{"Connection1", "\"N\"", "\"\"", "5", "100", "6", "101", "Default", "Default"}}},
      {"six bytes: skipped", section(entry("0x44640405", "\"20 04 24 01 2C 96\"")), {}},
      {"16-bit class segment: skipped", section(entry("0x44640405", "\"21 00 04 00 24 01 2C 96 2C 64\"")), {}},
      {"no instance segment: skipped", section(entry("0x44640405", "\"20 04 2C 01 2C 96 2C 64\"")), {}},
      {"no T>O point after the O>T point: skipped", section(entry("0x44640405", "\"20 04 24 01 2C 96 00 00\"")), {}},
      {"T>O instance without a point: skipped", section(entry("0x44640405", "\"20 04 24 01 2C 96 24 07\"")), {}},
      {"single bytes are searched, not segments",
       section(entry("0x44640405", "\"20 04 24 01 2D 00 96 00 2C 64 2C 65\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "100", "1", "101", "Default", "Default"}}},
      {"the class byte is never a segment code",
       section(entry("0x44640405", "\"20 2C 24 01 2C 96 2C 64\"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "Default"}}},
      {"odd tokens: leading zeros read, values above 255 and non-hex skipped, runs of blanks",
       section(entry("0x44640405", "\" 020  04 zz 24 100 0x05 01 2C 96  2C 64 \"")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "Default"}}},
      {"quotation marks anywhere are removed",
       section(entry("0x44640405", "\"20 04\" \"24 01 2\"C 96 2C 64")),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "Default"}}},
      {"no semicolon after the path: skipped",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"N\",\"\",\"20 04 24 01 2C 96 2C 64\"\n"),
       {}},
      {"a comma before the semicolon ends the path",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"N\",\"H\",\"20 04 24 01 2C 96 2C 64\",\"x\";\n"),
       {{"Connection1", "\"N\"", "\"H\"", "1", "150", "1", "100", "Default", "Default"}}},
      {"a path that goes on over the next line is joined without a blank",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"N\",\"\",\n  \"20 04 24 01 2C 96\"\n"
               "  \"2C 64\";\n"),
       {}},
      {"\"$\" cuts a line also inside a quoted text",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"Costs $5\",\"\",\"20 04 24 01 2C 96 2C 64\";\n"),
       {}},
      {"a continuation line with \"Connection\" starts a shifted entry",
       section("Connection2 =\n  0x02010002,0x44640305,,,Assem150,,,Assem101,,,,,\n"
               "  \"Listen Only Connection\",\n  \"Inputs only\",\n  \"20 04 24 01 2C 97 2C 65\";\n"),
       {{"Connection1", "", "", "1", "151", "1", "101", "7", "7"}}},
      {"keyword lines that are no connections yield nothing",
       section("Object_Name = \"Connection Manager Object\";\nObject_Class_Code = 0x06;\n" + std::string(kOwner)),
       {kOwnerRow}},
      {"three connections are numbered in order",
       section(std::string(kOwner) + entry("0x44640405", "\"20 04 24 02 2C 97 2C 65\"", "\"B\"") +
               entry("0x44640405", "\"20 04 24 03 2C 98 2C 66\"", "\"C\"")),
       {kOwnerRow,
        {"Connection2", "\"B\"", "\"\"", "2", "151", "2", "101", "Default", "Default"},
        {"Connection3", "\"C\"", "\"\"", "3", "152", "3", "102", "Default", "Default"}}},
      {"entries outside the section are ignored",
       std::string(kOwner) + "[Other]\n" + std::string(kOwner) + "[connection manager]\n" + std::string(kOwner),
       {}},
      {"the section name may stand anywhere in its line; the rest of it is ignored",
       "x[Connection Manager]" + std::string(kOwner) + std::string(kOwner),
       {kOwnerRow}},
      {"the next section ends the entry and the section",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"Exclusive Owner\",\"\",\n") +
           "[Assembly]\n\"20 04 24 01 2C 96 2C 64\";\n",
       {}},
      {"a repeated section line ends the section; a later one starts it again",
       section("[Connection Manager]\n" + std::string(kOwner) + "[Connection Manager]\n" + std::string(kOwner)),
       {kOwnerRow}},
      {"the last entry is decoded at the end of the text",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"N\",\"\",\"20 04 24 01 2C 96 2C 64\";"),
       {{"Connection1", "\"N\"", "\"\"", "1", "150", "1", "100", "Default", "Default"}}},
      {"no section at all", std::string(kOwner), {}},
      {"empty text", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(gridOf(decodeEds(c.text)), c.rows) << c.name;
}

TEST(EdsDecode, KeepsTheRawFieldsOfEachEntry) {
  const auto list = decodeEds(section(kOwner));
  ASSERT_EQ(list.size(), 1u);
  const EdsRawFields& raw = list[0].raw;
  EXPECT_EQ(raw.keyword, "Connection1");
  EXPECT_EQ(raw.triggerTransport, "0x04010002");
  EXPECT_EQ(raw.connectionParameters, "0x44640405");
  EXPECT_EQ(raw.rateSizeFormat,
            (std::array<std::string, 10>{"10000", "8", "Assem150", "10000", "8", "Assem100", "", "", "", ""}));
  EXPECT_EQ(raw.path, "20 04 24 01 2C 96 2C 64");
  EXPECT_EQ(raw.pathBytes, (std::vector<uint8_t>{0x20, 0x04, 0x24, 0x01, 0x2C, 0x96, 0x2C, 0x64}));
  EXPECT_EQ(list[0].connIndex, 1);
  EXPECT_EQ(list[0].numClass, 4) << "never filled by the decoder";
}

TEST(EdsDecode, ReadsAtMost1001PathBytes) {
  const auto pathWith = [](size_t zeros) {
    std::string path = "\"20 04 24 01";
    for (size_t i = 0; i < zeros; ++i) path += " 00";
    return path + " 2C 96 2C 64\"";
  };
  // 4 + 993 + 4 bytes fit exactly; one more zero pushes the last byte out.
  EXPECT_EQ(decodeEds(section(entry("0x44640405", pathWith(993)))).size(), 1u);
  EXPECT_TRUE(decodeEds(section(entry("0x44640405", pathWith(994)))).empty());
  const auto list = decodeEds(section(entry("0x44640405", pathWith(5000))));
  EXPECT_TRUE(list.empty());
}

TEST(EdsFile, TheFixtureListsItsThreeConnections) {
  const auto list = readEdsFile(kFixtures / "adapter.eds");
  EXPECT_EQ(gridOf(list),
            (std::vector<Row>{
                {"Connection1", "\"Exclusive Owner\"", "\"\"", "1", "150", "1", "100", "Default", "Default"},
                {"Connection2", "", "", "1", "151", "1", "101", "7", "7"},
                {"Connection3", "\"Input Only\"", "\"T>O header 3\"", "5", "100", "6", "102", "Default", "3"},
            }));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].raw.keyword, "") << "the shifted entry began on a line without \"=\"";
  EXPECT_EQ(list[2].raw.keyword, "Connection3");
}

std::string utf16(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  // The fixtures hold ASCII and the letters below only.
  std::u32string cps;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      cps.push_back(b);
      i += 1;
    } else if (b < 0xE0) {
      cps.push_back(((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu));
      i += 2;
    } else {
      cps.push_back(0x1F600);  // only the emoji below has four bytes
      i += 4;
    }
  }
  const auto unit = [&](char32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  };
  for (const char32_t cp : cps) {
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

TEST(EdsFile, DecodesEveryEncodingOfTheSameText) {
  const std::string text = section(
      "Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"M\xC3\xBCller \xF0\x9F\x98\x80\",\"\",\"20 04 24 01 2C 96 2C "
      "64\";\n");
  TempDir dir;
  struct Variant {
    const char* name;
    std::string bytes;
    const char* expectedName;
  };
  const std::vector<Variant> variants = {
      {"UTF-8", text, "\"M\xC3\xBCller \xF0\x9F\x98\x80\""},
      {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + text, "\"M\xC3\xBCller \xF0\x9F\x98\x80\""},
      {"UTF-16 LE", utf16(text, false), "\"M\xC3\xBCller \xF0\x9F\x98\x80\""},
      {"UTF-16 BE", utf16(text, true), "\"M\xC3\xBCller \xF0\x9F\x98\x80\""},
      // Without a mark and not valid UTF-8: Windows-1252, so 0xFC is u-umlaut and 0x80 the euro sign.
      {"Windows-1252",
       section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"M\xFCller \x80\",\"\",\"20 04 24 01 2C 96 2C 64\";\n"),
       "\"M\xC3\xBCller \xE2\x82\xAC\""},
      {"UTF-8 mark with a stray byte",
       "\xEF\xBB\xBF" +
           section("Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"M\xFCller\",\"\",\"20 04 24 01 2C 96 2C 64\";\n"),
       "\"M\xEF\xBF\xBDller\""},
  };
  for (const Variant& v : variants) {
    writeText(dir / "x.eds", v.bytes);
    const auto list = readEdsFile(dir / "x.eds");
    ASSERT_EQ(list.size(), 1u) << v.name;
    EXPECT_EQ(list[0].connName, v.expectedName) << v.name;
    EXPECT_EQ(decodeEdsFileBytes(v.bytes), list) << v.name;
  }
}

// The file is read in blocks of 64 KiB: whatever falls on a block's edge (a CR LF, a character of several
// bytes, a surrogate pair), the result is that of decoding the whole file at once.
TEST(EdsFile, BlockEdgesChangeNothing) {
  TempDir dir;
  const std::string owner = section(
      "Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"\xC3\xBC\xF0\x9F\x98\x80\",\"\",\r\n"
      "  \"20 04 24 01 2C 96 2C 64\";\r\n");
  constexpr long kBlock = 65536;
  for (long edge = -4; edge < static_cast<long>(owner.size()) + 2; ++edge) {
    for (const bool sixteen : {false, true}) {
      // Blanks and a line end before the entry put the block's edge `edge` bytes (or units) into it.
      const long lead = sixteen ? (kBlock - 2) / 2 - 2 - edge : kBlock - 2 - edge;
      const std::string text = std::string(static_cast<size_t>(lead), ' ') + "\r\n" + owner;
      const std::string bytes = sixteen ? utf16(text, edge % 2 != 0) : text;
      writeText(dir / "x.eds", bytes);
      const auto list = readEdsFile(dir / "x.eds");
      ASSERT_EQ(list.size(), 1u) << edge << " " << sixteen;
      ASSERT_EQ(list, decodeEds(decodeTextFile(bytes))) << edge << " " << sixteen;
      EXPECT_EQ(list[0].connName, "\"\xC3\xBC\xF0\x9F\x98\x80\"");
    }
  }
}

TEST(EdsFile, BadFilesHaveNoConnectionsAndNeverFail) {
  TempDir dir;
  EXPECT_TRUE(readEdsFile(dir / "missing.eds").empty());
  EXPECT_TRUE(readEdsFile(dir.path()).empty()) << "a folder";
  EXPECT_TRUE(readEdsFile("/dev/zero").empty()) << "no regular file: never read";

  // Binary noise, with and without the section line inside it.
  std::mt19937 gen(42);
  std::string noise(3 * 1024 * 1024, '\0');
  for (char& ch : noise) ch = static_cast<char>(gen());
  writeText(dir / "noise.eds", noise);
  EXPECT_TRUE(readEdsFile(dir / "noise.eds").empty());
  noise.insert(1000, "\n[Connection Manager]\n" + std::string(kOwner));
  writeText(dir / "noise.eds", noise);
  const auto found = readEdsFile(dir / "noise.eds");
  ASSERT_FALSE(found.empty()) << "an entry between noise lines is still found";
  EXPECT_EQ(edsGridTexts(found[0]), kOwnerRow);

  // A truncated file: the last entry lacks its semicolon and is skipped; the complete one stays.
  const std::string fixture = readText(kFixtures / "adapter.eds");
  const size_t cut = fixture.find("2C 66\";");
  writeText(dir / "cut.eds", fixture.substr(0, cut));
  EXPECT_EQ(readEdsFile(dir / "cut.eds").size(), 2u);
  writeText(dir / "cut16.eds", utf16(fixture, false).substr(0, 2 * cut + 3));  // odd length
  EXPECT_EQ(readEdsFile(dir / "cut16.eds").size(), 2u);

  // A line of a megabyte is cut at its limit; the lines after it are read as usual.
  writeText(dir / "long.eds", section(std::string(1 << 20, 'A') + "\n" + std::string(kOwner)));
  EXPECT_EQ(gridOf(readEdsFile(dir / "long.eds")), std::vector<Row>{kOwnerRow});
  // An entry that grows past its limit is cut and so has no semicolon.
  std::string longEntry = "Connection1 = 0x04010002,0x44640405,,,,,,,,,,,\"N\",\"\",\"";
  for (int i = 0; i < 10000; ++i) longEntry += "\n00 00 00 00 00 00 00 00";
  writeText(dir / "entry.eds", section(longEntry + "\";\n" + std::string(kOwner)));
  EXPECT_EQ(gridOf(readEdsFile(dir / "entry.eds")), std::vector<Row>{kOwnerRow});
}

TEST(EdsImport, TargetRowIsTheFirstWithoutAddressAndInstance) {
  struct Case {
    const char* name;
    std::vector<EdsImportRow> rows;
    int target;
  };
  const std::vector<Case> cases = {
      {"empty table", std::vector<EdsImportRow>(10), 1},
      {"blanks count as empty", {{"10.0.0.1", "1"}, {" ", "\t"}, {"", ""}}, 2},
      {"an earlier import without an address is no target", {{"", "1"}, {"", ""}}, 2},
      {"an address without an instance is no target", {{"10.0.0.1", ""}, {"", ""}}, 2},
      {"every row used", std::vector<EdsImportRow>(10, {"10.0.0.1", ""}), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(edsImportTargetRow(c.rows), c.target) << c.name;

  // Columns 3 to 8 of the selection grid go to 10, 11, 8, 9, 13, 12 of the connection table.
  std::array<std::string, 15> table{};
  const Row selected = edsGridTexts(decodeEds(section(entry("0x44643405", "\"20 04 24 05 2C 64 24 06 2C 65\"")))[0]);
  for (const EdsImportCopy& copy : kEdsImportCopies)
    table[static_cast<size_t>(copy.tableColumn)] = selected[static_cast<size_t>(copy.selectionColumn)];
  EXPECT_EQ(table,
            (std::array<std::string, 15>{"", "", "", "", "", "", "", "", "6", "101", "5", "100", "3", "Default", ""}));
}

}  // namespace
}  // namespace konfex
