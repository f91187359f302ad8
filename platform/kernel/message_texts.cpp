// The system's message texts for the error numbers this system reports, in English and Korean.
#include "platform/kernel/message_texts.h"

#include <algorithm>
#include <iterator>

namespace plat::kernel::detail {
namespace {

// Sorted by code. System texts end with a full stop; the HTTP client library's do not.
constexpr MessageText kTexts[] = {
    {0, "The operation completed successfully.\r\n", "작업을 완료했습니다.\r\n"},
    {1, "Incorrect function.\r\n", "함수가 잘못되었습니다.\r\n"},
    {2, "The system cannot find the file specified.\r\n", "지정된 파일을 찾을 수 없습니다.\r\n"},
    {3, "The system cannot find the path specified.\r\n", "지정된 경로를 찾을 수 없습니다.\r\n"},
    {4, "The system cannot open the file.\r\n", "시스템이 파일을 열 수 없습니다.\r\n"},
    {5, "Access is denied.\r\n", "액세스가 거부되었습니다.\r\n"},
    {6, "The handle is invalid.\r\n", "핸들이 잘못되었습니다.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n",
     "이 명령을 처리할 메모리 리소스가 부족합니다.\r\n"},
    {14, "Not enough storage is available to complete this operation.\r\n",
     "이 작업을 완료하기 위한 저장 공간이 부족합니다.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n",
     "시스템에 부착된 장치가 작동하지 않습니다.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n",
     "다른 프로세스가 파일을 사용 중이기 때문에 프로세스가 액세스 할 수 없습니다.\r\n"},
    {33, "The process cannot access the file because another process has locked a portion of the file.\r\n",
     "다른 프로세스가 파일의 일부를 잠갔기 때문에 프로세스가 액세스할 수 없습니다.\r\n"},
    {38, "Reached the end of the file.\r\n", "파일의 끝에 도달했습니다.\r\n"},
    {50, "The request is not supported.\r\n", "요청이 지원되지 않습니다.\r\n"},
    {80, "The file exists.\r\n", "파일이 있습니다.\r\n"},
    {87, "The parameter is incorrect.\r\n", "매개 변수가 틀립니다.\r\n"},
    {112, "There is not enough space on the disk.\r\n", "디스크 공간이 부족합니다.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n",
     "시스템 호출에 전달된 데이터 영역이 너무 작습니다.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n",
     "파일 이름, 디렉터리 이름 또는 볼륨 레이블 구문이 잘못되었습니다.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n",
     "파일이 이미 있으므로 만들 수 없습니다.\r\n"},
    {206, "The filename or extension is too long.\r\n", "파일 이름이나 확장명이 너무 깁니다.\r\n"},
    {223, "The file size exceeds the limit allowed and cannot be saved.\r\n",
     "파일 크기가 허용된 한도를 초과하여 저장할 수 없습니다.\r\n"},
    {234, "More data is available.\r\n", "데이터가 더 있습니다.\r\n"},
    {258, "The wait operation timed out.\r\n", "대기 작업 시간이 초과되었습니다.\r\n"},
    {259, "No more data is available.\r\n", "데이터가 더 이상 없습니다.\r\n"},
    {267, "The directory name is invalid.\r\n", "디렉터리 이름이 올바르지 않습니다.\r\n"},
    {317, "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n",
     "시스템이 %2에 대한 메시지 파일에서 메시지 번호 0x%1에 대한 메시지 텍스트를 찾을 수 없습니다.\r\n"},
    {487, "Attempt to access invalid address.\r\n", "잘못된 주소에 액세스하려고 했습니다.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n", "구성 레지스트리 키가 잘못되었습니다.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n", "구성 레지스트리 키를 읽을 수 없습니다.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n",
     "구성 레지스트리 키를 쓸 수 없습니다.\r\n"},
    {1015, "The registry is corrupted.\r\n", "레지스트리가 손상되었습니다.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n",
     "삭제하도록 표시된 레지스트리 키에 대해 잘못된 작업을 시도했습니다.\r\n"},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page.\r\n",
     "대상 멀티바이트 코드 페이지에 유니코드 문자에 대한 매핑이 없습니다.\r\n"},
    {1815, "The specified resource language ID cannot be found in the image file.\r\n",
     "지정된 리소스 언어 ID를 이미지 파일에서 찾을 수 없습니다.\r\n"},
    {1921, "The name of the file cannot be resolved by the system.\r\n",
     "시스템에서 파일 이름을 확인할 수 없습니다.\r\n"},
    {12001, "No more Internet handles can be allocated\r\n", "인터넷 핸들을 더 이상 할당할 수 없습니다\r\n"},
    {12002, "The operation timed out\r\n", "작업 시간을 초과했습니다\r\n"},
    {12003, "An extended error was returned from the server\r\n", "서버에서 확장 오류를 반환했습니다\r\n"},
    {12004, "An internal error occurred in the Internet extensions\r\n",
     "인터넷 확장에서 내부 오류가 발생했습니다\r\n"},
    {12005, "The URL is invalid\r\n", "URL이 잘못되었습니다\r\n"},
    {12006, "The URL does not use a recognized protocol\r\n", "URL이 인식할 수 있는 프로토콜을 사용하지 않습니다\r\n"},
    {12007, "The server name or address could not be resolved\r\n", "서버 이름 또는 주소를 확인할 수 없습니다\r\n"},
    {12017, "The operation was canceled\r\n", "작업이 취소되었습니다\r\n"},
    {12018, "The type of handle supplied is incorrect for this operation\r\n",
     "이 작업에 제공된 핸들 형식이 올바르지 않습니다\r\n"},
    {12019, "The handle is in the wrong state for the requested operation\r\n",
     "핸들이 요청한 작업에 맞지 않는 상태입니다\r\n"},
    {12029, "A connection with the server could not be established\r\n", "서버에 연결할 수 없습니다\r\n"},
    {12030, "The connection with the server was terminated abnormally\r\n",
     "서버와의 연결이 비정상적으로 종료되었습니다\r\n"},
    {12031, "The connection with the server was reset\r\n", "서버와의 연결이 재설정되었습니다\r\n"},
    {12150, "The requested header could not be located\r\n", "요청한 헤더를 찾을 수 없습니다\r\n"},
    {12152, "The server returned an invalid or unrecognized response\r\n",
     "서버에서 잘못된 응답 또는 인식할 수 없는 응답을 반환했습니다\r\n"},
    {12153, "The supplied header is invalid\r\n", "제공된 헤더가 잘못되었습니다\r\n"},
    {12154, "The request made to HttpQueryInfo is invalid\r\n", "HttpQueryInfo에 대한 요청이 잘못되었습니다\r\n"},
    {12156, "The redirection failed because either the scheme changed or all attempts made to redirect failed\r\n",
     "구성표가 변경되었거나 모든 리디렉션 시도가 실패하여 리디렉션하지 못했습니다\r\n"},
    {12182, "A header value is too long to be sent\r\n", "헤더 값이 너무 길어서 보낼 수 없습니다\r\n"},
};

}  // namespace

const MessageText* FindMessageText(DWORD code) {
  auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                             [](const MessageText& m, DWORD c) { return m.code < c; });
  return it != std::end(kTexts) && it->code == code ? &*it : nullptr;
}

}  // namespace plat::kernel::detail
