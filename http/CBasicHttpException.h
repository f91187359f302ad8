// CBasicHttpException: the form poster's own failures, each a numeric code with a fixed message.
#pragma once

#include <exception>
#include <string>

#include "platform/base/types.h"

namespace drev {

// Error codes of the form poster.
constexpr int HTTPERR_SYSTEM = 100;       // a system call failed (block buffer, opening a file)
constexpr int HTTPERR_POST_FORMAT = 101;  // a POST whose body kind is neither URL-encoded nor multipart
constexpr int HTTPERR_POST_DATA = 102;    // the declared body length cannot be expressed
constexpr int HTTPERR_FILE = 103;         // a file's size is not the one recorded for it
constexpr int HTTPERR_PROGRESS = 104;     // the progress callback asked to stop

// Thrown by value, caught by reference. The message is chosen by the code at construction and held
// as code page 949 text:
//   100  the system text of the calling thread's last error (plat::kernel::GetLastError) at the
//        moment of construction, when it is shorter than 1024 bytes; else empty. Construct it right
//        after the failing call, before anything else can change the last error.
//   101  "POST 형식이 잘못 되었습니다!!!"     102  "POST DATA가 잘못 되었습니다!!!"
//   103  "파일이 잘못 되었습니다!!!"          104  "상태 정보 전송 오류!!!"
//   any other code (0 for a default-made object)  "알수 없는 오류!!!"
class CBasicHttpException : public std::exception {
 public:
  CBasicHttpException() : CBasicHttpException(0, 0) {}
  // `osError` is the operating-system error number the thrower names (0 when none).
  CBasicHttpException(int code, plat::DWORD osError);

  int m_nCode = 0;
  plat::DWORD m_dwOsError = 0;
  std::string m_strMessage;

  // The message text (CP949).
  const char* what() const noexcept override { return m_strMessage.c_str(); }
};

}  // namespace drev
