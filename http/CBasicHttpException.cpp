// CBasicHttpException: the message of each code.
#include "http/CBasicHttpException.h"

#include <cstring>

#include "platform/kernel/error.h"
#include "platform/kernel/message_table.h"
#include "platform/text/text.h"

namespace drev {

namespace {

// The system text of the calling thread's last error, in the user's language, inserts ignored;
// empty when the system has none or it would not fit the 1024-byte message buffer.
std::string LastErrorText() {
  using namespace plat::kernel;
  plat::DWORD error = GetLastError();
  char* text = nullptr;
  plat::DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message;
  if (length > 0 && text != nullptr && length < 1024) message.assign(text, length);
  LocalFree(text);
  SetLastError(error);  // reading the text must not change what the thrower reported
  return message;
}

}  // namespace

CBasicHttpException::CBasicHttpException(int code, plat::DWORD osError) : m_nCode(code), m_dwOsError(osError) {
  using plat::text::Ansi;
  switch (code) {
    case HTTPERR_SYSTEM: m_strMessage = LastErrorText(); break;
    case HTTPERR_POST_FORMAT: m_strMessage = Ansi("POST 형식이 잘못 되었습니다!!!"); break;
    case HTTPERR_POST_DATA: m_strMessage = Ansi("POST DATA가 잘못 되었습니다!!!"); break;
    case HTTPERR_FILE: m_strMessage = Ansi("파일이 잘못 되었습니다!!!"); break;
    case HTTPERR_PROGRESS: m_strMessage = Ansi("상태 정보 전송 오류!!!"); break;
    default: m_strMessage = Ansi("알수 없는 오류!!!"); break;
  }
}

}  // namespace drev
