// screen-host: one control in a top-level window on the real screen, for the on-screen tests. It
// reads commands on standard input (one a line) and answers on standard output, one line each, with
// every event the control fires as "event NAME(ARGS)" as soon as the loop sees it:
//   prop NAME VALUE       a property for the control, before "place" (the <param>s of a page)
//   place W H             makes the window (title "DREV screen test"), client area W x H, and shows it
//   call NAME [ARG...]    a script call (integer-looking args as numbers); "result NAME TEXT"
//   queue PATH...         queues an open-file answer (the headless road)
//   cell ROW COL          "cell X Y L T R B": the centre and the rectangle of a list cell, in the
//                         window's client coordinates
//   row ROW COL           "row TEXT": the text of a list cell, in UTF-8 ("row none" past the last)
//   button TITLE ID       "button X Y L T R B": the centre of control ID of the top-level window
//                         titled TITLE in screen coordinates, and its rectangle in that window's
//                         client area ("button none" when there is none)
//   quit                  ends the run (so does closing the window)
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "control/DrevFactory.h"
#include "control/DrevTypeLib.h"
#include "control/Identifiers.h"
#include "host/ControlHost.h"
#include "platform/gtk/screen.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/commctrl.h"
#include "platform/win/dialog.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "resources/ModuleResources.h"

namespace pw = plat::win;
using drev::host::ScriptArg;

namespace {

constexpr plat::UINT kCommand = pw::WM_APP + 7;  // lParam: a std::string line to run and free

struct Session {
  std::unique_ptr<drev::host::ControlHost> host;
  std::vector<std::pair<std::string, std::string>> props;
  std::size_t eventsShown = 0;
  pw::HWND commands = nullptr;
};
Session* g_session = nullptr;

void Say(const std::string& line) {
  std::cout << line << std::endl;  // a line at a time: the test reads as it goes
}

void ShowNewEvents() {
  if (!g_session->host) return;
  auto log = g_session->host->Events().Log();
  for (; g_session->eventsShown < log.size(); ++g_session->eventsShown) Say("event " + log[g_session->eventsShown]);
}

pw::HWND FindList(pw::HWND under) {
  for (pw::HWND c = pw::GetWindow(under, pw::GW_CHILD); c; c = pw::GetWindow(c, pw::GW_HWNDNEXT)) {
    if (pw::GetClassName(c) == "SysListView32") return c;
    if (pw::HWND deeper = FindList(c)) return deeper;
  }
  return nullptr;
}

pw::HWND FindTopLevel(const std::string& utf8Title) {
  for (pw::HWND hwnd : pw::GetTopLevelWindows())
    if (pw::IsWindowVisible(hwnd) && plat::text::Cp949ToUtf8(pw::GetWindowText(hwnd)) == utf8Title) return hwnd;
  return nullptr;
}

ScriptArg ArgOf(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("-0123456789") == std::string::npos && word != "-")
    return ScriptArg(static_cast<std::int32_t>(std::stol(word)));
  return ScriptArg(word);
}

void Place(int width, int height) {
  auto& s = *g_session;
  s.host = std::make_unique<drev::host::ControlHost>(drev::GetDrevClassFactory().Get());
  s.host->ConnectEvents(drev::DIID__DDrevEvents, *drev::DrevTypeLibrary().FindInterface("_DDrevEvents"));
  s.host->LoadProperties(s.props);
  if (s.host->CreateWindows(width, height) < 0) {
    Say("error cannot place the control");
    return;
  }
  pw::SetWindowText(s.host->HostWindow(), "DREV screen test");
  Say("placed");
}

void Run(const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  auto& s = *g_session;
  if (verb == "prop" && words.size() >= 2) {
    s.props.emplace_back(words[0], words[1]);
    Say("ok");
  } else if (verb == "place" && words.size() == 2) {
    Place(std::stoi(words[0]), std::stoi(words[1]));
  } else if (verb == "call" && !words.empty() && s.host) {
    std::vector<ScriptArg> args;
    for (std::size_t i = 1; i < words.size(); ++i) args.push_back(ArgOf(words[i]));
    auto result = s.host->Call(words[0], args);
    ShowNewEvents();
    Say("result " + words[0] + " " + result.Text());
  } else if (verb == "queue") {
    pw::QueueOpenFileAnswer(words);
    Say("ok");
  } else if (verb == "cell" && words.size() == 2 && s.host) {
    pw::HWND list = FindList(s.host->ControlWindow());
    int row = std::stoi(words[0]), column = std::stoi(words[1]);
    plat::RECT bounds{pw::LVIR_BOUNDS, 0, 0, 0};
    plat::RECT second{pw::LVIR_BOUNDS, 1, 0, 0};
    if (!list || !pw::SendMessage(list, pw::LVM_GETSUBITEMRECT, static_cast<plat::WPARAM>(row), reinterpret_cast<plat::LPARAM>(&bounds)) ||
        !pw::SendMessage(list, pw::LVM_GETSUBITEMRECT, static_cast<plat::WPARAM>(row), reinterpret_cast<plat::LPARAM>(&second))) {
      Say("cell none");
      return;
    }
    // Column 0's bounds are the whole row; its cell ends where column 1 begins.
    plat::RECT cell = column == 0 ? plat::RECT{bounds.left, bounds.top, second.left, bounds.bottom} : second;
    pw::MapWindowPoints(list, s.host->HostWindow(), reinterpret_cast<plat::POINT*>(&cell), 2);
    Say("cell " + std::to_string((cell.left + cell.right) / 2) + " " + std::to_string((cell.top + cell.bottom) / 2) +
        " " + std::to_string(cell.left) + " " + std::to_string(cell.top) + " " + std::to_string(cell.right) + " " +
        std::to_string(cell.bottom));
  } else if (verb == "row" && words.size() == 2 && s.host) {
    pw::HWND list = FindList(s.host->ControlWindow());
    char text[1024] = {};
    pw::LVITEM item;
    item.iSubItem = std::stoi(words[1]);
    item.pszText = text;
    item.cchTextMax = sizeof text;
    int row = std::stoi(words[0]);
    if (!list || row >= static_cast<int>(pw::SendMessage(list, pw::LVM_GETITEMCOUNT, 0, 0))) {
      Say("row none");
      return;
    }
    pw::SendMessage(list, pw::LVM_GETITEMTEXT, static_cast<plat::WPARAM>(row), reinterpret_cast<plat::LPARAM>(&item));
    Say("row " + plat::text::Cp949ToUtf8(text));
  } else if (verb == "button" && words.size() >= 2) {
    std::string title;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) title += (i ? " " : "") + words[i];
    pw::HWND top = FindTopLevel(title);
    pw::HWND button = top ? pw::GetDlgItem(top, std::stoi(words.back())) : nullptr;
    plat::RECT r{};
    if (!button || !pw::GetWindowRect(button, &r)) {
      Say("button none");
      return;
    }
    plat::POINT origin{0, 0};
    pw::ClientToScreen(top, &origin);
    // The centre on the screen, then the control's rectangle in the top-level window's client area.
    Say("button " + std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2) + " " +
        std::to_string(r.left - origin.x) + " " + std::to_string(r.top - origin.y) + " " +
        std::to_string(r.right - origin.x) + " " + std::to_string(r.bottom - origin.y));
  } else if (verb == "quit") {
    pw::PostQuitMessage(0);
    Say("bye");
  } else {
    Say("error unknown command: " + line);
  }
}

plat::LRESULT CommandProc(pw::HWND hwnd, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (msg == kCommand) {
    std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(lParam));
    Run(*line);
    return 0;
  }
  return pw::DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

int main() {
  static const int tag = 0;
  drev::RegisterModuleResources(&tag);
  std::string why;
  if (!plat::gtk::OpenScreen(&why)) {
    Say("no screen: " + why);
    return 2;
  }
  Session session;
  g_session = &session;
  pw::WNDCLASSA wc;
  wc.lpfnWndProc = CommandProc;
  wc.lpszClassName = "ScreenHostCommands";
  pw::RegisterClass(wc);
  session.commands = pw::CreateWindowEx(0, wc.lpszClassName, "", pw::WS_POPUP, 0, 0, 0, 0, nullptr, 0, nullptr);
  // Standard input is read on a thread of its own; each line reaches the window's thread as a
  // posted message, which wakes its loop at once.
  pw::HWND target = session.commands;
  std::thread reader([target] {
    for (std::string line; std::getline(std::cin, line);)
      pw::PostMessage(target, kCommand, 0, reinterpret_cast<plat::LPARAM>(new std::string(line)));
    pw::PostMessage(target, kCommand, 0, reinterpret_cast<plat::LPARAM>(new std::string("quit")));
  });
  reader.detach();
  Say("ready");
  pw::MSG msg;
  while (pw::GetMessage(&msg, nullptr, 0, 0)) {
    pw::HWND top = msg.hwnd ? pw::GetAncestor(msg.hwnd, pw::GA_ROOT) : nullptr;
    if (!top || !pw::IsDialogMessage(top, &msg)) {
      pw::TranslateMessage(&msg);
      pw::DispatchMessage(&msg);
    }
    ShowNewEvents();
    if (session.host && !pw::IsWindow(session.host->HostWindow())) break;  // closed by the user
  }
  ShowNewEvents();
  Say("ended");
  session.host.reset();
  std::_Exit(0);  // the reader thread may still sit in getline
}
