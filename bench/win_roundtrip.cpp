// Measures what a cross-thread SendMessage costs (the progress dialog's worker crosses threads per bar
// change) next to a same-thread send. Prints; asserts nothing. Usage: win_roundtrip [count].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/win/message.h"
#include "platform/win/window.h"

using namespace plat;
using namespace plat::win;

namespace {

LRESULT Echo(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) return static_cast<LRESULT>(wParam) + 1;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

double MicrosecondsPerSend(HWND target, int count) {
  auto start = std::chrono::steady_clock::now();
  LRESULT sum = 0;
  for (int i = 0; i < count; ++i) sum += SendMessage(target, WM_USER, static_cast<WPARAM>(i), 0);
  auto elapsed = std::chrono::steady_clock::now() - start;
  if (sum == 0) std::puts("unexpected answers");
  return std::chrono::duration<double, std::micro>(elapsed).count() / count;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  WNDCLASSA wc;
  wc.lpfnWndProc = Echo;
  wc.lpszClassName = "RoundTripEcho";
  RegisterClass(wc);
  HWND local = CreateWindowEx(0, "RoundTripEcho", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0, nullptr);
  std::printf("same-thread send:  %8.3f us\n", MicrosecondsPerSend(local, count));

  // The window's thread waits in GetMessage, as the progress dialog's modal loop does.
  std::promise<HWND> made;
  std::thread owner([&] {
    HWND hwnd = CreateWindowEx(0, "RoundTripEcho", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0, nullptr);
    made.set_value(hwnd);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) DispatchMessage(&msg);
    DestroyWindow(hwnd);
  });
  HWND remote = made.get_future().get();
  std::printf("cross-thread send: %8.3f us (%d round trips)\n", MicrosecondsPerSend(remote, count), count);
  PostThreadMessage(GetWindowThreadProcessId(remote, nullptr), WM_QUIT, 0, 0);
  owner.join();
  DestroyWindow(local);
  return 0;
}
