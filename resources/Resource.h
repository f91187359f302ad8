// Resource ids of the module: bitmaps, strings, dialog templates and their controls.
#pragma once

#include "platform/base/types.h"

namespace drev {

constexpr plat::UINT IDB_DREV = 1;              // toolbox picture of the control, 16 x 15
constexpr plat::UINT IDB_HEADER_CHECKS = 301;   // 48 x 16: blank, empty box, ticked box on 0xFF00FF
constexpr plat::UINT IDB_CELL_PICTURES = 302;   // 285 x 16: three 95 x 16 status badges on 0xFF00FF
constexpr plat::UINT IDB_DROP_HINT = 303;       // 210 x 49: the empty list's drop hint

constexpr plat::UINT IDS_DREV = 1;  // "DREV multiupload control", the control's user type name

// Dialog templates and their controls.
constexpr plat::UINT IDD_ATTACH_LIST = 101;      // the attachment list dialog
constexpr int IDC_ATTACH_LIST = 201;             //   its list view
constexpr plat::UINT IDD_UPLOAD_PROGRESS = 102;  // the upload progress dialog
constexpr int IDC_PROGRESS_CANCEL = 202;         //   cancel button
constexpr int IDC_PROGRESS_BAR = 204;            //   progress bar
constexpr int IDC_PROGRESS_BAR_NOTE = 205;       //   right-aligned, under the bar (text 2; nothing fills it)
constexpr int IDC_PROGRESS_BYTES = 206;          //   right-aligned: the progress text, sent of total (text 4)
constexpr int IDC_PROGRESS_TOTAL_FILES = 207;    //   beside the label "전체 파일 : " (text 1; nothing fills it)
constexpr int IDC_PROGRESS_LOWER_NOTE = 208;     //   left-aligned, at the bottom (text 3; nothing fills it)

}  // namespace drev
