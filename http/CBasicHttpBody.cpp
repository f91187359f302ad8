// CBasicHttp: the multipart body, written part by part and file block by file block.
#include <algorithm>
#include <cstring>

#include "http/CBasicHttp.h"
#include "http/CBasicHttpException.h"
#include "http/CFileException.h"
#include "http/RequestWriter.h"
#include "http/UploadTrace.h"
#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/kernel/virtual_memory.h"

using namespace plat::kernel;
using plat::DWORD;

namespace {

// File content moves through one block of this size: one read and one write per block.
constexpr DWORD kBlockBytes = 1024;

// The block buffer from the system's virtual memory, released on every way out.
class BlockBuffer {
 public:
  BlockBuffer() : block_(static_cast<char*>(VirtualAlloc(nullptr, kBlockBytes, MEM_COMMIT, PAGE_READWRITE))) {}
  ~BlockBuffer() {
    if (block_ != nullptr) VirtualFree(block_, 0, MEM_RELEASE);
  }
  BlockBuffer(const BlockBuffer&) = delete;
  BlockBuffer& operator=(const BlockBuffer&) = delete;
  char* Get() const { return block_; }

 private:
  char* block_;
};

// The delimiter line that opens every part: "--", the boundary, CR LF.
void WriteDelimiter(RequestWriter& writer, const std::string& boundary) {
  writer.Write("--");
  writer.Write(boundary);
  writer.Write("\r\n");
}

}  // namespace

void CBasicHttp::WriteTextParts(RequestWriter& writer) {
  writer.SetBuffer();
  for (const auto& item : m_listItems) {
    if (item->m_bIsFile) continue;
    WriteDelimiter(writer, m_strBoundary);
    writer.Write("Content-Disposition: form-data");
    writer.Write("; name=\"" + item->m_strFieldName + "\"\r\n\r\n" + item->m_strValue);
    writer.Write("\r\n");
  }
  writer.Flush();
  writer.RemoveBuffer();
}

void CBasicHttp::WriteFileParts(RequestWriter& writer) {
  BlockBuffer block;
  if (block.Get() == nullptr) throw CBasicHttpException(HTTPERR_SYSTEM, GetLastError());
  for (const auto& item : m_listItems) {
    if (!item->m_bIsFile) continue;
    writer.SetBuffer();
    WriteDelimiter(writer, m_strBoundary);
    writer.Write("Content-Disposition: form-data");
    writer.Write("; name=\"" + item->m_strFieldName + "\"; filename=\"" + item->m_strFilePath +
                 "\"\r\nContent-Type: " + item->m_strContentType);
    writer.Write("\r\n");
    writer.Write("\r\n");
    writer.Flush();
    writer.RemoveBuffer();
    SendFileContent(writer, *item, block.Get());
    writer.Write("\r\n");
  }
}

void CBasicHttp::SendFileContent(RequestWriter& writer, const CFormItem& item, char* block) {
  UploadTrace trace;
  trace.FileName(item.m_strFilePath);
  // Other readers may share the file; writers are refused while it is sent.
  File file(CreateFileA(item.m_strFilePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) throw CBasicHttpException(HTTPERR_SYSTEM, GetLastError());
  // The declared length counted the recorded size. A file of another size (compared in 64 bits, so
  // that a file of 4 GiB or more, recorded by its low 32 bits, is refused too) would make the body
  // differ from its declaration: stop before any of its content is sent.
  std::int64_t length = file.Size();
  if (length < 0) throw CFileException(GetLastError(), item.m_strFilePath);
  if (length != static_cast<std::int64_t>(item.m_dwFileSize)) throw CBasicHttpException(HTTPERR_FILE, 0);

  DWORD sent = 0;
  DWORD remaining = item.m_dwFileSize;
  do {
    std::memset(block, 0, kBlockBytes);
    // Never more than the recorded size is read, so a file that grows is not sent past it.
    DWORD wanted = std::min(kBlockBytes, remaining);
    std::int64_t got = file.Read(block, wanted);
    if (got < 0) throw CFileException(GetLastError(), item.m_strFilePath);
    DWORD read = static_cast<DWORD>(got);
    trace.ReadBytes(read);
    // A file that ends early (it shrank) would leave the body short of its declared length.
    if (read < wanted) throw CBasicHttpException(HTTPERR_FILE, 0);
    if (read > 0) {
      writer.Write(std::string_view(block, read));
      sent += read;
      remaining -= read;
    }
    if (m_pfnProgress != nullptr && !m_pfnProgress(m_pProgressParam, item.m_dwFileSize, read)) {
      throw CBasicHttpException(HTTPERR_PROGRESS, 0);
    }
    trace.SendBytes(sent, item.m_dwFileSize);
  } while (remaining > 0);
  // A file that grew while it was read no longer is what was declared and sent: abandon the body.
  if (file.Size() != static_cast<std::int64_t>(item.m_dwFileSize)) throw CBasicHttpException(HTTPERR_FILE, 0);
}

void CBasicHttp::WriteClosingDelimiter(RequestWriter& writer) {
  writer.SetBuffer();
  writer.Write("--");
  writer.Write(m_strBoundary);
  writer.Write("--");
  writer.Write("\r\n");
  writer.Flush();
  writer.RemoveBuffer();
}
