// A window class for tests whose procedure is a closure given at creation.
#pragma once

#include <functional>
#include <optional>

#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::win::testing {

// Answers a message, or nullopt for the default handling (DefWindowProc).
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// Creates a window of the test class with `handler` as its procedure (kept until WM_NCDESTROY).
HWND CreateTestWindow(Handler handler, DWORD style = WS_POPUP | WS_VISIBLE, RECT rect = {0, 0, 200, 100},
                      HWND parent = nullptr, int id = 0);

}  // namespace plat::win::testing
