// CFileException: a file that was opened for the upload could not be read.
#pragma once

#include <exception>
#include <string>

#include "platform/base/types.h"

namespace drev {

// Carries the system error number of the failed read and its description: the system's text for
// that number (CP949), or "file read error N" when the system has none.
class CFileException : public std::exception {
 public:
  CFileException(plat::DWORD osError, std::string fileName);

  plat::DWORD m_lOsError;
  std::string m_strFileName;     // the path that was being read (CP949)
  std::string m_strDescription;  // what the user is shown

  const char* what() const noexcept override { return m_strDescription.c_str(); }
};

}  // namespace drev
