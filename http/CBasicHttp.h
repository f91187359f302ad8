// CBasicHttp: the HTTP form poster, one multipart/form-data POST streamed over the platform's client.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "http/CFormItem.h"
#include "platform/base/types.h"
#include "platform/inet/inet.h"

namespace drev {

class RequestWriter;

// Called after every block of file content: (param, the field's recorded file size, the bytes of the
// block just read, 0 when a read found nothing). Nonzero goes on; 0 stops the upload with
// CBasicHttpException 104.
using ProgressCallback = plat::BOOL (*)(void* param, plat::DWORD fileSize, plat::DWORD bytesRead);

// One object per request, used on the thread that made it. Texts are code page 949 bytes and go onto
// the wire exactly as held: no escaping of quotes, CR or LF, no encoding.
//
// Calling order: setters and AddItem in any order, SetProgressCallback, OpenRequest, SendRequest,
// EndRequest, QueryStatusCode, the reply read through GetFile, Close (or destruction).
//
// Failures: a failing HTTP client call throws plat::inet::InternetException with its WinInet error
// number; the poster's own failures throw CBasicHttpException (100 a file cannot be opened or the block
// buffer not obtained, 101 a POST whose body kind is neither 0 nor 1, 102 a body too long to declare,
// 103 a file whose size differs from its recorded one or that was written while it was sent, 104 the callback stopped the upload); a file
// read error throws CFileException. After any failure the request is abandoned: nothing more of the
// body is sent, and Close (or destruction) closes the connection without completing it.
class CBasicHttp {
 public:
  // The request's verb (m_nVerb) and its body kind (m_nFormType), with the values they have always had.
  enum class Verb { Post = 0, Get = 1 };
  enum class FormType { None = -1, UrlEncoded = 0, Multipart = 1 };
  // The context value of every call made on the session's behalf.
  static constexpr plat::inet::DWORD_PTR kContext = 1;

  // `session` is borrowed: it must stay open until this object is closed; it is never closed here.
  explicit CBasicHttp(plat::inet::HINTERNET session);
  // Closes the request and the connection (as Close) and destroys the form fields.
  virtual ~CBasicHttp();
  CBasicHttp(const CBasicHttp&) = delete;
  CBasicHttp& operator=(const CBasicHttp&) = delete;

  void SetServerName(const std::string& name) { m_strServerName = name; }
  void SetObjectName(const std::string& path) { m_strObjectName = path; }
  void SetRefererUrl(const std::string& referer) { m_strReferer = referer; }
  void SetPort(plat::WORD port) { m_nPort = port; }
  void SetVerb(Verb verb) { m_nVerb = verb; }
  void SetFormType(FormType formType) { m_nFormType = formType; }

  // Appends a field; nothing is checked, equal names all stay. A nonempty `filePath` makes it a
  // file field whose content is the file and whose declared size is `fileSize`; its filename
  // parameter is `fileName`, or the path itself when `fileName` is empty.
  void AddItem(const std::string& fieldName, const std::string& value, const std::string& filePath,
               const std::string& contentType, plat::DWORD fileSize, const std::string& fileName = {});

  // Replaces the extra header text with the single line "name: value\r\n".
  void SetHeader(const std::string& name, const std::string& value);

  // Makes m_strBoundary: "--Velmora.Boundary" and three values of the calling thread's C runtime
  // generator (plat::kernel::crt_rand) as "%04X%04X%04X", 30 characters in all. Never seeds: a thread
  // that has not seeded its generator always draws "--Velmora.Boundary0029482318BE" first.
  void MakeBoundary();

  // A field name or file name as it goes into a part header's quoted parameter: `"` written as %22,
  // CR as %0D and LF as %0A (as browsers post forms), so that no name can end its parameter or its
  // header and bring in fields of its own. Every other byte is kept.
  static std::string HeaderParameter(const std::string& text);

  // The declared body length, from the field texts and recorded sizes alone (no file is opened):
  // per text field (B+4)+39+name+4+value+2, per file field (B+4)+39+name+13+path+16+type+4+size+2,
  // and B+6 for the closing delimiter, B being the boundary's length, name and path counted as
  // HeaderParameter writes them. Throws CBasicHttpException 102 when the sum does not fit the 32
  // bits a declared length has.
  void ComputeContentLength();

  // Stores the per-block progress callback and its first argument (callback may be null).
  void SetProgressCallback(void* param, ProgressCallback callback);

  // For a POST: for a multipart body makes the boundary and the Content-Type header line (for a
  // URL-encoded one the line "Content-Type: application/x-www-form-urlencoded"), names the
  // server (InternetConnectA) and opens the request (HTTP/1.0, the referer, redirects not followed),
  // and adds the header line. A failing connect throws InternetException; a request that could not be
  // opened surfaces when it is started.
  virtual void OpenRequest();

  // For a POST with a multipart body: computes the declared length, starts the request and writes
  // the whole body (text parts, file parts sent in 1024-byte blocks with the callback after each --
  // read from the disk 64 KiB at a time, so memory stays fixed whatever the file size --
  // closing delimiter). The body on the wire is exactly the declared length, or the request is
  // abandoned with an exception. A POST with a URL-encoded body sends the text fields as
  // name=value pairs joined by '&' (percent-encoded, a blank as '+'; file fields are left out). A
  // POST with another body kind throws 101 before anything is sent. A GET is started and ended here
  // without a body.
  virtual void SendRequest();

  // Ends a POST (HttpEndRequestA): receives the reply's status and header. Nothing for other verbs.
  void EndRequest();

  // The reply's numeric status. FALSE, with `status` unchanged, when it cannot be read.
  plat::BOOL QueryStatusCode(plat::DWORD& status);

  // The open request, through which the caller reads the reply; null before OpenRequest.
  plat::inet::HINTERNET GetFile() const { return m_pFile; }

  // Closes the request, then the connection; both become null. Safe to repeat.
  virtual void Close();

  // The boundary and declared length of the present request (for callers that check the wire).
  const std::string& GetBoundary() const { return m_strBoundary; }
  plat::DWORD GetContentLength() const { return m_dwContentLength; }
  const std::string& GetHeaders() const { return m_strHeaders; }

 protected:
  // HttpSendRequestExA with the declared length m_dwContentLength.
  void StartRequest();
  // Raises the reason the request could not be opened, when it was not.
  void ThrowIfNotOpened() const;
  void SendMultipart();
  void SendUrlEncoded();
  // The body pieces, written through `writer` (see RequestWriter).
  void WriteTextParts(RequestWriter& writer);
  void WriteFileParts(RequestWriter& writer);
  void WriteClosingDelimiter(RequestWriter& writer);

  plat::inet::HINTERNET m_pSession;
  plat::inet::HINTERNET m_pConnection = nullptr;
  plat::inet::HINTERNET m_pFile = nullptr;
  std::string m_strServerName;
  std::string m_strObjectName;
  Verb m_nVerb = Verb::Get;
  plat::WORD m_nPort = 80;
  FormType m_nFormType = FormType::None;
  std::string m_strHeaders;
  std::string m_strReferer;
  std::string m_strBoundary;
  std::list<std::unique_ptr<CFormItem>> m_listItems;
  plat::DWORD m_dwContentLength = 0;
  void* m_pProgressParam = nullptr;
  ProgressCallback m_pfnProgress = nullptr;
  // Why the last OpenRequest could not open the request (0 when it did): starting the request
  // reports this, not the invalid handle the refused request left behind.
  plat::DWORD m_dwOpenError = 0;

 private:
  void SendFileContent(RequestWriter& writer, const CFormItem& item, char* window);
};

}  // namespace drev
