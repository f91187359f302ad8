// The system small-icon list and a path's icon index in it, in the shell's call shape.
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "platform/gdi/image_list.h"

namespace plat::shell {

using DWORD_PTR = std::uintptr_t;

// SHGetFileInfoA options. Only the system icon index is offered: SHGFI_SYSICONINDEX must be given,
// SHGFI_SMALLICON and SHGFI_LARGEICON both answer the one list of 16 x 16 icons, and
// SHGFI_USEFILEATTRIBUTES judges the path by its name and the attributes passed in.
constexpr UINT SHGFI_LARGEICON = 0x0000;
constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x0010;
constexpr UINT SHGFI_ICON = 0x0100;
constexpr UINT SHGFI_DISPLAYNAME = 0x0200;
constexpr UINT SHGFI_TYPENAME = 0x0400;
constexpr UINT SHGFI_ATTRIBUTES = 0x0800;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

struct SHFILEINFOA {
  void* hIcon = nullptr;  // never filled: no icon handles are handed out
  int iIcon = 0;          // the index in the system small-icon list
  DWORD dwAttributes = 0;
  char szDisplayName[260] = {};
  char szTypeName[80] = {};
};

// The pictures of the system small-icon list, by index. One picture per kind of file; a file's kind
// comes from the MIME type that HKEY_CLASSES_ROOT\.ext "Content Type" gives for its extension.
enum SystemIcon : int {
  kIconDocument = 0,   // a file of unknown kind (also a name without an extension)
  kIconFolder,
  kIconDrive,          // a drive root such as "C:\"
  kIconText,           // text/*, JSON, XML, scripts' sources
  kIconWeb,            // HTML pages
  kIconImage,          // image/*
  kIconAudio,          // audio/*
  kIconVideo,          // video/*
  kIconArchive,        // zip, tar, gzip, 7z, rar and other packed files
  kIconPdf,            // application/pdf
  kIconWordDocument,   // word processors' documents (doc, docx, odt, rtf, hwp)
  kIconSpreadsheet,    // xls, xlsx, ods, csv
  kIconPresentation,   // ppt, pptx, odp
  kIconProgram,        // programs and installers (exe, msi, bat, sh)
  kSystemIconCount
};

// The process's one system small-icon list: kSystemIconCount pictures of 16 x 16 pixels drawn by
// this layer, made on first use (from any thread) and kept until the process ends. Every caller
// borrows it: nobody may destroy it or change its pictures.
gdi::CImageList* GetSystemSmallIconList();

// The system icon index of `path` (CP949) in `info->iIcon`; returns the system small-icon list (as
// a number, the way the shell returns its image list handle), or 0 when nothing was answered.
//   flags: SHGFI_SYSICONINDEX, optionally SHGFI_SMALLICON/SHGFI_LARGEICON and
//   SHGFI_USEFILEATTRIBUTES; any other flag answers 0 (this shell offers no icon handles, names,
//   type names or attributes). `info` must be given and cbInfo must be at least its size.
//   With SHGFI_USEFILEATTRIBUTES nothing is opened or looked at on disk: FILE_ATTRIBUTE_DIRECTORY in
//   `attributes` gives the folder icon, a drive root ("C:\", "C:") the drive icon, anything else the
//   icon of its name's kind. Without it, the path is looked at: a drive root still gives the drive
//   icon, an existing folder the folder icon, an existing file the icon of its name's kind, and a
//   missing path answers 0.
// The name is the text after the last "\" or "/" (lead-byte aware); its kind comes from the text
// from its last "." on, looked up as a key under HKEY_CLASSES_ROOT (its "Content Type" value, read
// into 512 bytes). No extension, no key or an unknown type gives kIconDocument.
DWORD_PTR SHGetFileInfoA(const char* path, DWORD attributes, SHFILEINFOA* info, UINT cbInfo, UINT flags);

}  // namespace plat::shell
