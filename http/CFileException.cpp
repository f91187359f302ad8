// CFileException: the description of a file read failure.
#include "http/CFileException.h"

#include "platform/kernel/message_table.h"

namespace drev {

CFileException::CFileException(plat::DWORD osError, std::string fileName)
    : m_lOsError(osError), m_strFileName(std::move(fileName)), m_strDescription(plat::kernel::FormatSystemMessage(osError)) {
  if (m_strDescription.empty()) m_strDescription = "file read error " + std::to_string(osError);
}

}  // namespace drev
