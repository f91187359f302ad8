// XListCellData: the extra attributes the extended list keeps for each cell, and the record array a
// row carries through its item parameter.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/win/winuser.h"

namespace drev {

struct XListCellData {
  // The defaults; the colours are the system's at the moment the record is made.
  XListCellData();

  plat::BOOL enabled = 1;            // column 0's counts: 0 greys the row and ignores its clicks
  plat::BOOL bold = 0;               // draw the text in bold
  int image = -1;                    // index into the list's small-icon image list; -1: none
  std::string tooltip;               // CP949
  plat::COLORREF textColor;          // 0x00BBGGRR
  plat::COLORREF backColor;
  plat::BOOL hasProgress = 0;        // a progress bar instead of text
  int progressPercent = 0;           // 0..100, not clamped
  std::string progressText;          // format of the progress text; empty: "%d%%"
  plat::BOOL showProgressText = 1;
  int check = -1;                    // -1: no check box, 0: unchecked, 1: checked
  plat::win::DWORD_PTR userData = 0; // column 0's counts: the caller's value for the row
  int cellImage = -1;                // index into the list's cell image list; -1: none
};

// The records of one row, one per column that existed when the row was inserted. The list owns it;
// the list view's item parameter points at it.
struct XListRowData {
  std::vector<XListCellData> cells;

  // The record of a column, or null when the row has none for it.
  XListCellData* Cell(int column) {
    return column >= 0 && column < static_cast<int>(cells.size()) ? &cells[static_cast<std::size_t>(column)] : nullptr;
  }
  // The records behind an item parameter (null for a row without records).
  static XListRowData* FromParam(plat::LPARAM itemParam) { return reinterpret_cast<XListRowData*>(itemParam); }
};

}  // namespace drev
