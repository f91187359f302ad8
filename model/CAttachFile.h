// The attachment record and the lists that hold it.
//
// Header-only, in the bottom folder, so that the attachment manager, the progress dialog and the
// upload procedure all read the same records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace drev {

// One attachment: a local file, a local image, a file the server holds, or a deletion record. Texts
// are code page 949 bytes. Each record has exactly one owner (a list row, the image list or the
// deletion list) that destroys it.
class CAttachFile {
 public:
  CAttachFile() = default;
  virtual ~CAttachFile() = default;
  CAttachFile(const CAttachFile&) = delete;
  CAttachFile& operator=(const CAttachFile&) = delete;

  std::string m_strPath;         // full local path; for a server file the name the script gave
  std::string m_strName;         // name shown in the list
  std::string m_strExt;          // extension of the name with its dot, or the whole name
  std::string m_strContentType;  // MIME type sent with the file
  std::int32_t m_nSize = 0;      // low 32 bits of the file size, or the size the script gave
  std::int64_t m_nDiskSize = 0;  // a local file's whole size when it was listed (0 when not known)
  std::int32_t m_nKind = -1;     // kind code compared by DeleteAllItem
  std::int32_t m_bServer = 0;    // 1 when the server already holds the file
  std::int32_t m_bImage = 0;     // 1 for an image
  std::int32_t m_nFileId = -1;   // the server's id of the file; -1 when none
  std::int32_t m_bDeleted = 0;   // 1 on every record in the deletion list
  std::string m_strParamName;    // form field name of an image added by AddImage
};

// A list that owns its records (the image list, the deletion list), in the order they were added.
using CAttachList = std::vector<std::unique_ptr<CAttachFile>>;
// A list that borrows records (the upload hand-off list of row records).
using CAttachRefList = std::vector<CAttachFile*>;

// The three lists one upload sends, in the order they were handed over: the row records, the image
// records and the deletion records. Borrowed from the attachment manager for the upload's length;
// images and deletions may be null (nothing of them is sent then).
struct UploadLists {
  const CAttachRefList* rows = nullptr;
  const CAttachList* images = nullptr;
  const CAttachList* deletions = nullptr;
};

}  // namespace drev
