// The control's settings record: limits, the upload host and path, the referer and the page's fields.
//
// Owned by the control (one per control object); the attachment manager and the upload worker read it
// through a pointer and never own it. Header-only so that every subsystem can read the record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace drev {

// Texts are code page 949 bytes. Construction values are zero and empty texts; the property exchange
// gives MaxFileCount, ActionTime, Normal_ServerName, Normal_UploadURL and MaxNormalSize their values.
struct UploadSettings {
  std::int32_t MaxFileCount = 0;     // most rows the attachment list may hold
  std::string ActionTime;            // time stamp kept for the page; not sent
  std::string Normal_ServerName;     // host of the upload server
  std::string Normal_UploadURL;      // path of the upload request on that host, query included
  std::int32_t MaxNormalSize = 0;    // kept for the page; nothing reads it
  std::string Referer;               // referer of the upload request
  // Page form fields in the order added; equal names all stay.
  std::vector<std::pair<std::string, std::string>> Parameters;
  // The page's <param name="Utf8Form" value="1">: the request for servers that read forms as UTF-8
  // (field names, values and file names in UTF-8, a file part named by the file's own name rather
  // than its local path, the reply read as UTF-8). Off: the request as it has always been.
  bool Utf8Form = false;
  // The page's <param name="FileFieldName" value="...">: the field name the attachment list's files
  // go under. Empty: "ATTACH_FILES", as always. Servers that keep one file per field name (PHP keeps
  // the last) get every file when the page names them as a list there ("ATTACH_FILES[]").
  std::string FileFieldName;
};

}  // namespace drev
