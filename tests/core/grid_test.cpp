#include "core/editors/grid.h"

#include <gtest/gtest.h>

#include "core/editors/editors.h"
#include "test_support.h"

namespace konfex::test {
namespace {

// Marks every data cell of a row with its row number, so moves are visible.
void fillRow(Grid& g, int row, const std::string& tag) {
  for (int c = 2; c < g.columnCount(); ++c) g.setCell(row, c, tag + "." + std::to_string(c));
}

std::string key(const Grid& g, int row) {
  return g.cell(row, 2);
}

TEST(GridTest, DeleteAndInsertMoveRowsWithinTheFixedCount) {
  Grid g(connectionsLayout());
  for (int r = 1; r <= 10; ++r) fillRow(g, r, std::to_string(r));

  g.deleteRow(3);
  EXPECT_EQ(key(g, 2), "2.2");
  EXPECT_EQ(key(g, 3), "4.2");
  EXPECT_EQ(key(g, 9), "10.2");
  EXPECT_EQ(g.copyRow(10), std::vector<std::string>(14, ""));  // Enable emptied too
  EXPECT_EQ(g.cell(10, 0), "10");

  g.insertRow(1, true);
  EXPECT_EQ(g.cell(1, 1), "Y");
  EXPECT_EQ(key(g, 1), "");
  EXPECT_EQ(key(g, 2), "1.2");
  EXPECT_EQ(key(g, 10), "10.2");  // the old row 9 moved to 10, the old row 10 (empty) is lost

  g.setCell(10, 2, "last");
  g.insertRow(10, true);
  EXPECT_EQ(key(g, 10), "");
  EXPECT_EQ(key(g, 9), "9.2");
  g.setCell(10, 2, "x");
  g.deleteRow(10);
  EXPECT_EQ(key(g, 10), "");
  EXPECT_EQ(g.cell(10, 1), "");
}

TEST(GridTest, PasteRowAsksAndRefusesByTheRules) {
  RecordingMessages messages;
  const TextTable texts;
  Grid g(receiveFramesLayout());
  std::vector<std::string> clipboard;
  fillRow(g, 2, "two");
  gridCopyRow(g, 2, clipboard);
  ASSERT_EQ(clipboard.size(), 14u);

  EXPECT_FALSE(gridPasteRow(g, 5, clipboard, false, messages, texts));
  EXPECT_TRUE(gridPasteRow(g, 5, clipboard, true, messages, texts));  // untouched row: no question
  EXPECT_EQ(g.copyRow(5), g.copyRow(2));

  g.setCell(6, 1, "N");  // a check box alone never makes a row used
  EXPECT_TRUE(gridPasteRow(g, 6, clipboard, true, messages, texts));
  g.setCell(7, 14, "x");
  messages.answers = {false};
  EXPECT_FALSE(gridPasteRow(g, 7, clipboard, true, messages, texts));
  EXPECT_EQ(g.cell(7, 14), "x");

  // A row copied from the send table (17 texts) does not fit the receive table.
  Grid send(sendFramesLayout());
  std::vector<std::string> sendRow;
  gridCopyRow(send, 1, sendRow);
  EXPECT_EQ(sendRow.size(), 17u);
  EXPECT_FALSE(gridPasteRow(g, 8, sendRow, true, messages, texts));

  ASSERT_EQ(messages.shown.size(), 3u);
  EXPECT_EQ(messages.shown[0].text, "Error!!! Copy a valid row before Paste it");
  EXPECT_EQ(messages.shown[1].text, "Row Already used. Do you want to overwrite the values?");
  EXPECT_EQ(messages.shown[2].text, "Error in the Copy values!!! Copy a valid row before Paste it");
}

TEST(GridTest, DeleteRowAsksWithTheRowNumber) {
  RecordingMessages messages;
  const TextTable texts;
  Grid g(connectionsLayout());
  fillRow(g, 4, "four");
  EXPECT_FALSE(gridDeleteRow(g, 4, messages, texts));
  EXPECT_EQ(key(g, 4), "four.2");
  messages.answers = {true};
  EXPECT_TRUE(gridDeleteRow(g, 4, messages, texts));
  EXPECT_EQ(key(g, 4), "");
  EXPECT_EQ(messages.shown[0].text, "Are you sure to delete the Row number 4");
}

TEST(GridTest, ExtentEndsAtTheFirstEmptyKeyAndDroppedDataIsFound) {
  Grid g(sendFramesLayout());
  EXPECT_EQ(g.extent(), 0);
  EXPECT_EQ(g.firstDroppedRowWithData(), 0);  // fresh rows: only check boxes
  g.setCell(1, 2, "0x10");
  g.setCell(2, 2, " \t");
  g.setCell(2, 6, "Y");  // the hidden column holds nothing the user typed
  EXPECT_EQ(g.extent(), 1);
  EXPECT_EQ(g.firstDroppedRowWithData(), 0);
  g.setCell(4, 17, "lost");
  EXPECT_EQ(g.firstDroppedRowWithData(), 4);
  g.setCell(2, 17, "also lost");
  EXPECT_EQ(g.firstDroppedRowWithData(), 2);
}

TEST(GridTest, EnterWalksVisibleCellsAndWraps) {
  Grid g(sendFramesLayout());
  using C = Grid::Cell;
  EXPECT_EQ(g.enterJumpTarget(1, 1), (C{1, 2}));
  EXPECT_EQ(g.enterJumpTarget(3, 5), (C{3, 7}));  // the hidden column 6 is stepped over
  EXPECT_EQ(g.enterJumpTarget(3, 17), (C{4, 1}));
  EXPECT_EQ(g.enterJumpTarget(512, 17), (C{1, 1}));
  EXPECT_EQ(g.enterJumpTarget(0, 3), std::nullopt);
  EXPECT_EQ(g.enterJumpTarget(3, 0), std::nullopt);
}

TEST(GridTest, SpreadsheetBlocksSkipHiddenColumnsAndAreCut) {
  Grid g(sendFramesLayout());
  g.setCell(1, 5, "Y");
  g.setCell(1, 6, "Y");
  g.setCell(1, 7, "N");
  g.setCell(1, 8, "10\tx");
  EXPECT_EQ(g.copyBlock(1, 1, 5, 8), "Y\tN\t10 x\n");

  // Check boxes take Y or N; the hidden column and the numbering column are never written.
  EXPECT_EQ(g.pasteBlock(2, 5, "y\tmaybe\t250\r\nN\tY\n"), 5);
  EXPECT_EQ(g.cell(2, 5), "Y");
  EXPECT_EQ(g.cell(2, 6), "");
  EXPECT_EQ(g.cell(2, 7), "N");
  EXPECT_EQ(g.cell(2, 8), "250");
  EXPECT_EQ(g.cell(3, 5), "N");
  EXPECT_EQ(g.cell(3, 7), "Y");

  // What does not fit is cut at the last column and the last row.
  EXPECT_EQ(g.pasteBlock(512, 16, "a\tb\tc\nd\n"), 2);
  EXPECT_EQ(g.cell(512, 16), "a");
  EXPECT_EQ(g.cell(512, 17), "b");
  EXPECT_EQ(g.pasteBlock(4, 0, "first"), 1);
  EXPECT_EQ(g.cell(4, 0), "4");
  EXPECT_EQ(g.cell(4, 1), "N");
}

}  // namespace
}  // namespace konfex::test
