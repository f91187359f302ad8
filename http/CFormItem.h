// CFormItem: one field of a form, text or file, as the form poster holds it.
#pragma once

#include <string>
#include <utility>

#include "platform/base/types.h"

namespace drev {

// Texts are the bytes sent (code page 949 unless the upload asks for UTF-8). A field with a path is a file field whatever its
// value; a field without a path is a text field whatever its type and size. Made, owned and destroyed
// by CBasicHttp.
class CFormItem {
 public:
  CFormItem(std::string fieldName, std::string value, std::string filePath, std::string contentType,
            plat::DWORD fileSize, std::string fileName = {})
      : m_strFieldName(std::move(fieldName)),
        m_strValue(std::move(value)),
        m_strFilePath(std::move(filePath)),
        m_strContentType(std::move(contentType)),
        m_dwFileSize(fileSize),
        m_bIsFile(m_strFilePath.empty() ? 0 : 1),
        m_strFileName(std::move(fileName)) {}
  virtual ~CFormItem() = default;
  CFormItem(const CFormItem&) = delete;
  CFormItem& operator=(const CFormItem&) = delete;

  std::string m_strFieldName;    // the part's name parameter
  std::string m_strValue;        // a text field's value; not sent for a file field
  std::string m_strFilePath;     // the file whose content is the part's data; also its filename parameter
  std::string m_strContentType;  // the file part's Content-Type value (sent even when empty)
  plat::DWORD m_dwFileSize;      // the content bytes the declared length counts for the file
  plat::BOOL m_bIsFile;          // 1 when m_strFilePath is not empty; fixed at construction
  std::string m_strFileName;     // the filename parameter when not empty (else m_strFilePath)

  // What the file part's filename parameter carries (before escaping).
  const std::string& SentFileName() const { return m_strFileName.empty() ? m_strFilePath : m_strFileName; }
};

}  // namespace drev
