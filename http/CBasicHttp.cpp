// CBasicHttp: fields, boundary, declared length, and the request's life from open to close.
#include "http/CBasicHttp.h"

#include <cstdio>
#include <cstdlib>

#include "http/CBasicHttpException.h"
#include "http/RequestWriter.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/error.h"
#include "platform/kernel/rand.h"

namespace drev {

using namespace plat::inet;
using plat::DWORD;

namespace {

constexpr const char* kVerbNames[] = {"POST", "GET"};

// Sends each write as one InternetWriteFile on the request; all bytes or the internet error.
class InternetSink : public IBodySink {
 public:
  explicit InternetSink(HINTERNET request) : request_(request) {}
  void Send(const char* data, DWORD count) override {
    DWORD written = 0;
    if (!InternetWriteFile(request_, data, count, &written)) ThrowLastInternetError(CBasicHttp::kContext);
    // The client takes every byte or fails; a short count would mean a broken client.
    if (written != count) ThrowInternetException(ERROR_INTERNET_INTERNAL_ERROR, CBasicHttp::kContext);
  }

 private:
  HINTERNET request_;
};

// Percent-encoding of a URL-encoded form: unreserved bytes stay, a blank becomes '+'.
std::string FormEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '~';
    if (unreserved) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

}  // namespace

CBasicHttp::CBasicHttp(HINTERNET session) : m_pSession(session) {}

CBasicHttp::~CBasicHttp() {
  CBasicHttp::Close();
  m_listItems.clear();
}

void CBasicHttp::AddItem(const std::string& fieldName, const std::string& value, const std::string& filePath,
                         const std::string& contentType, DWORD fileSize, const std::string& fileName) {
  m_listItems.push_back(std::make_unique<CFormItem>(fieldName, value, filePath, contentType, fileSize, fileName));
}

void CBasicHttp::SetHeader(const std::string& name, const std::string& value) {
  m_strHeaders = name + ": " + value + "\r\n";
}

void CBasicHttp::SetProgressCallback(void* param, ProgressCallback callback) {
  m_pProgressParam = param;
  m_pfnProgress = callback;
}

void CBasicHttp::MakeBoundary() {
  unsigned r1 = static_cast<unsigned>(plat::kernel::crt_rand()) & 0xFFFF;
  unsigned r2 = static_cast<unsigned>(plat::kernel::crt_rand()) & 0xFFFF;
  unsigned r3 = static_cast<unsigned>(plat::kernel::crt_rand()) & 0xFFFF;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X%04X%04X", r1, r2, r3);
  m_strBoundary = std::string("--Velmora.Boundary") + digits;
}

std::string CBasicHttp::HeaderParameter(const std::string& text) {
  if (text.find_first_of("\"\r\n") == std::string::npos) return text;
  std::string escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '"': escaped += "%22"; break;
      case '\r': escaped += "%0D"; break;
      case '\n': escaped += "%0A"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

void CBasicHttp::ComputeContentLength() {
  // Summed in 64 bits: a body whose length a 32-bit Content-Length cannot carry is refused here,
  // before anything is sent, instead of being declared with a wrapped length.
  const std::uint64_t boundary = m_strBoundary.size();
  std::uint64_t total = 0;
  for (const auto& item : m_listItems) {
    total += (boundary + 4) + 39 + HeaderParameter(item->m_strFieldName).size();
    if (item->m_bIsFile) {
      total += 13 + HeaderParameter(item->SentFileName()).size() + 16 + item->m_strContentType.size() + 4 + item->m_dwFileSize + 2;
    } else {
      total += 4 + item->m_strValue.size() + 2;
    }
  }
  total += boundary + 6;
  if (total > 0xFFFFFFFFu) throw CBasicHttpException(HTTPERR_POST_DATA, 0);
  m_dwContentLength = static_cast<DWORD>(total);
}

void CBasicHttp::OpenRequest() {
  Close();  // an object serves one request; a repeated open must not leave the first one's handles open
  if (m_nVerb == Verb::Post && m_nFormType == FormType::Multipart) {
    MakeBoundary();
    char line[128];
    std::snprintf(line, sizeof line, "%s; boundary=%s", "multipart/form-data", m_strBoundary.c_str());
    SetHeader("Content-Type", line);
  } else if (m_nVerb == Verb::Post && m_nFormType == FormType::UrlEncoded) {
    SetHeader("Content-Type", "application/x-www-form-urlencoded");
  }
  m_pConnection = InternetConnectA(m_pSession, m_strServerName.c_str(), m_nPort, nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, kContext);
  if (m_pConnection == nullptr) ThrowLastInternetError(kContext);
  const char* verb = kVerbNames[m_nVerb == Verb::Post ? 0 : 1];
  // A request that cannot be opened is left null: starting it reports the failure, with the reason
  // the client gave here (a referer holding a line break, one too long).
  m_pFile = HttpOpenRequestA(m_pConnection, verb, m_strObjectName.c_str(), "HTTP/1.0", m_strReferer.c_str(),
                             nullptr, INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT, kContext);
  m_dwOpenError = m_pFile == nullptr ? plat::kernel::GetLastError() : 0;
  if (!m_strHeaders.empty() && m_pFile != nullptr) {
    HttpAddRequestHeadersA(m_pFile, m_strHeaders.c_str(), static_cast<DWORD>(m_strHeaders.size()),
                           HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  }
}

void CBasicHttp::ThrowIfNotOpened() const {
  if (m_pFile == nullptr && m_dwOpenError != 0) ThrowInternetException(m_dwOpenError, kContext);
}

void CBasicHttp::SendRequest() {
  if (m_nVerb != Verb::Post) {
    // A GET has no body: started and ended here, its reply readable at once.
    ThrowIfNotOpened();
    if (!HttpSendRequestExA(m_pFile, nullptr, nullptr, HSR_INITIATE, kContext)) ThrowLastInternetError(kContext);
    if (!HttpEndRequestA(m_pFile, nullptr, 0, kContext)) ThrowLastInternetError(kContext);
    return;
  }
  if (m_nFormType == FormType::Multipart) {
    SendMultipart();
  } else if (m_nFormType == FormType::UrlEncoded) {
    SendUrlEncoded();
  } else {
    throw CBasicHttpException(HTTPERR_POST_FORMAT, 0);
  }
}

void CBasicHttp::StartRequest() {
  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = m_dwContentLength;
  ThrowIfNotOpened();
  if (!HttpSendRequestExA(m_pFile, &buffers, nullptr, HSR_INITIATE, kContext)) ThrowLastInternetError(kContext);
}

void CBasicHttp::SendMultipart() {
  ComputeContentLength();
  StartRequest();
  InternetSink sink(m_pFile);
  RequestWriter writer(sink);
  WriteTextParts(writer);
  WriteFileParts(writer);
  WriteClosingDelimiter(writer);
}

void CBasicHttp::SendUrlEncoded() {
  // name=value pairs of the text fields joined by '&'; file fields have no place in this body kind.
  std::string body;
  for (const auto& item : m_listItems) {
    if (item->m_bIsFile) continue;
    if (!body.empty()) body += '&';
    body += FormEncode(item->m_strFieldName) + '=' + FormEncode(item->m_strValue);
  }
  if (body.size() > 0xFFFFFFFFu) throw CBasicHttpException(HTTPERR_POST_DATA, 0);
  m_dwContentLength = static_cast<DWORD>(body.size());
  StartRequest();
  InternetSink sink(m_pFile);
  RequestWriter writer(sink);
  writer.Write(body);
}

void CBasicHttp::EndRequest() {
  if (m_nVerb != Verb::Post) return;
  if (!HttpEndRequestA(m_pFile, nullptr, 0, kContext)) ThrowLastInternetError(kContext);
}

plat::BOOL CBasicHttp::QueryStatusCode(DWORD& status) {
  char text[80] = {};
  DWORD length = sizeof text;
  if (!HttpQueryInfoA(m_pFile, HTTP_QUERY_STATUS_CODE, text, &length, nullptr)) return plat::FALSE;
  status = static_cast<DWORD>(std::strtoul(text, nullptr, 10));
  return plat::TRUE;
}

void CBasicHttp::Close() {
  if (m_pFile != nullptr) {
    InternetCloseHandle(m_pFile);
    m_pFile = nullptr;
  }
  if (m_pConnection != nullptr) {
    InternetCloseHandle(m_pConnection);
    m_pConnection = nullptr;
  }
}

}  // namespace drev
