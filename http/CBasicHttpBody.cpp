// CBasicHttp: the multipart body, written part by part and file block by file block.
#include <algorithm>

#include "http/CBasicHttp.h"
#include "http/CBasicHttpException.h"
#include "http/CFileException.h"
#include "http/RequestWriter.h"
#include "http/UploadTrace.h"
#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/kernel/virtual_memory.h"

namespace drev {

using namespace plat::kernel;
using plat::DWORD;

namespace {

// File content is sent and reported in blocks of this size: one callback per block.
constexpr DWORD kBlockBytes = 1024;
// It is read from the disk in windows of this size and handed to the request a window at a time. A read
// per 1 KiB block made the read system calls most of an upload's CPU time; the window keeps memory
// fixed and the blocks exactly as before.
constexpr DWORD kWindowBytes = 64 * 1024;

// The read window from the system's virtual memory, released on every way out.
class ReadWindow {
 public:
  ReadWindow() : bytes_(static_cast<char*>(VirtualAlloc(nullptr, kWindowBytes, MEM_COMMIT, PAGE_READWRITE))) {}
  ~ReadWindow() {
    if (bytes_ != nullptr) VirtualFree(bytes_, 0, MEM_RELEASE);
  }
  ReadWindow(const ReadWindow&) = delete;
  ReadWindow& operator=(const ReadWindow&) = delete;
  char* Get() const { return bytes_; }

 private:
  char* bytes_;
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
    writer.Write("; name=\"" + HeaderParameter(item->m_strFieldName) + "\"\r\n\r\n" + item->m_strValue);
    writer.Write("\r\n");
  }
  writer.Flush();
  writer.RemoveBuffer();
}

void CBasicHttp::WriteFileParts(RequestWriter& writer) {
  ReadWindow window;
  if (window.Get() == nullptr) throw CBasicHttpException(HTTPERR_SYSTEM, GetLastError());
  for (const auto& item : m_listItems) {
    if (!item->m_bIsFile) continue;
    writer.SetBuffer();
    WriteDelimiter(writer, m_strBoundary);
    writer.Write("Content-Disposition: form-data");
    writer.Write("; name=\"" + HeaderParameter(item->m_strFieldName) + "\"; filename=\"" +
                 HeaderParameter(item->SentFileName()) + "\"\r\nContent-Type: " + item->m_strContentType);
    writer.Write("\r\n");
    writer.Write("\r\n");
    writer.Flush();
    writer.RemoveBuffer();
    SendFileContent(writer, *item, window.Get());
    writer.Write("\r\n");
  }
}

void CBasicHttp::SendFileContent(RequestWriter& writer, const CFormItem& item, char* window) {
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
  // Other programs may still write the file (only openers through this layer are refused). A file
  // overwritten in place keeps its size, so its write and change times tell that what went out is
  // no longer one version of it.
  FILE_BASIC_INFO before;
  if (!file.BasicInfo(before)) throw CFileException(GetLastError(), item.m_strFilePath);

  // The window is handed to the writer whole instead of block by block: the blocks are counted and
  // reported from it as they would have been written, and what was counted leaves in one write at the
  // end of the window, or at once when the callback stops the transfer, so that exactly the blocks
  // reported reach the request. The request gathered the blocks into the same large socket writes
  // anyway; a copy and a call chain per kilobyte are saved.
  const bool traced = trace.Enabled();
  const ProgressCallback progress = m_pfnProgress;
  void* const param = m_pProgressParam;
  const DWORD size = item.m_dwFileSize;
  DWORD sent = 0;
  // An empty file still reports one block, of 0 bytes, as the block loop always did.
  DWORD remaining = size;  // bytes still to read
  do {
    // Never more than the recorded size is read, so a file that grows is not sent past it; one
    // that ends early (it shrank) would leave the body short of its declared length.
    const DWORD filled = std::min(kWindowBytes, remaining);
    if (filled > 0) {
      std::int64_t got = file.Read(window, filled);
      if (got < 0) throw CFileException(GetLastError(), item.m_strFilePath);
      if (got < static_cast<std::int64_t>(filled)) throw CBasicHttpException(HTTPERR_FILE, 0);
    }
    remaining -= filled;
    DWORD at = 0;  // where the next block starts in the window
    do {
      const DWORD block = std::min(kBlockBytes, filled - at);
      if (traced) trace.ReadBytes(block);
      at += block;
      sent += block;
      // The window's last block is written before its callback, as every block once was; a write
      // that fails shows there, before the callback of the block that completed the window.
      if (at == filled && filled > 0) writer.Write(std::string_view(window, filled));
      if (progress != nullptr && !progress(param, size, block)) {
        if (at < filled) writer.Write(std::string_view(window, at));
        throw CBasicHttpException(HTTPERR_PROGRESS, 0);
      }
      if (traced) trace.SendBytes(sent, size);
    } while (at < filled);
  } while (remaining > 0);
  // A file that grew, or was written at all, while it was read no longer is what was declared and
  // sent: abandon the body before it completes.
  if (file.Size() != static_cast<std::int64_t>(item.m_dwFileSize)) throw CBasicHttpException(HTTPERR_FILE, 0);
  FILE_BASIC_INFO after;
  if (!file.BasicInfo(after)) throw CFileException(GetLastError(), item.m_strFilePath);
  if (after.LastWriteTime.QuadPart != before.LastWriteTime.QuadPart ||
      after.ChangeTime.QuadPart != before.ChangeTime.QuadPart) {
    throw CBasicHttpException(HTTPERR_FILE, 0);
  }
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

}  // namespace drev
