// tick-bench: what one refresh of the upload progress dialog costs the user-interface thread. The
// dialog's template (102) is shown headless with its texts and its gradient bar set up as the
// progress dialog sets them, and refreshed as its 200 ms poll does: the texts exchanged with their
// statics, the bar moved, and whatever became invalid painted. Two kinds of tick are run N times
// each: one where nothing changed since the last, and one where the progress text and the bar
// position moved (as while an upload runs).
//
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*UnchangedTicks*' tick-bench [N]
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*MovingTicks*' tick-bench [N]
//   tick-bench --pictures DIR
//
// divide the collected instructions by N for the cost of one tick. Run plainly it prints the
// wall time of each kind. With --pictures it writes what the dialog shows after ticks at a few
// positions (DIR/tick-<percent>.png) instead, for comparing one build's pixels with another's.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/SizeText.h"
#include "platform/win/afxcmn.h"
#include "platform/win/cdialog.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"
#include "widgets/CGradientProgressCtrl.h"

namespace {

namespace pw = plat::win;

class TickDialog : public pw::CDialog {
 public:
  TickDialog() : CDialog(102) {}
  std::string m_text1, m_text2, m_text3, m_text4;
  drev::CGradientProgressCtrl m_bar;

 protected:
  void DoDataExchange(pw::CDataExchange* pDX) override {
    pw::DDX_Text(pDX, drev::IDC_PROGRESS_TOTAL_FILES, m_text1);
    pw::DDX_Control(pDX, drev::IDC_PROGRESS_BAR, m_bar);
    pw::DDX_Text(pDX, drev::IDC_PROGRESS_BAR_NOTE, m_text2);
    pw::DDX_Text(pDX, drev::IDC_PROGRESS_BYTES, m_text4);
    pw::DDX_Text(pDX, drev::IDC_PROGRESS_LOWER_NOTE, m_text3);
  }
};

constexpr plat::DWORD kTotal = 256u << 20;

void Tick(TickDialog& dlg) {
  dlg.UpdateData(plat::FALSE);
  pw::UpdateWindow(dlg.m_hWnd);
}

// The tick numbers give the sent bytes: tick i of n has sent i/n of the total.
void Move(TickDialog& dlg, int i, int n) {
  const auto sent = static_cast<plat::DWORD>(static_cast<unsigned long long>(kTotal) * i / n);
  dlg.m_text4 = drev::FormatProgressText(sent, kTotal);
  dlg.m_bar.SetPos(static_cast<int>(100LL * i / n));
}

__attribute__((noinline)) void WarmUp(TickDialog& dlg, int n) {
  for (int i = 1; i <= n; ++i) {
    Move(dlg, i, n);
    Tick(dlg);
  }
  pw::PumpPendingMessages();
}

__attribute__((noinline)) void UnchangedTicks(TickDialog& dlg, int n) {
  for (int i = 0; i < n; ++i) Tick(dlg);
}

__attribute__((noinline)) void MovingTicks(TickDialog& dlg, int n) {
  for (int i = 1; i <= n; ++i) {
    Move(dlg, i, n);
    Tick(dlg);
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const bool pictures = argc > 2 && std::string(argv[1]) == "--pictures";
  const int n = !pictures && argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  static const char owner = 0;
  drev::RegisterModuleResources(&owner);
  TickDialog dlg;
  if (!dlg.Create(102, nullptr)) {
    std::fprintf(stderr, "tick-bench: the progress dialog template did not load\n");
    return 1;
  }
  dlg.m_bar.SetStartColor(0xFF0000);
  dlg.m_bar.SetEndColor(0x0000FF);
  dlg.m_bar.ShowPercent(1);
  dlg.m_bar.SetTextColor(0xFFFFFF);
  dlg.ShowWindow(pw::SW_SHOW);
  if (pictures) {
    for (int i : {0, 1, 2, 37, 50, 99, 100}) {
      Move(dlg, i, 100);
      Tick(dlg);
      const std::string path = std::string(argv[2]) + "/tick-" + std::to_string(i) + ".png";
      if (!pw::SnapshotWindow(dlg.m_hWnd, path)) {
        std::fprintf(stderr, "tick-bench: cannot write %s\n", path.c_str());
        return 1;
      }
    }
    dlg.DestroyWindow();
    return 0;
  }
  // Fonts, glyphs and the first pictures are made here, outside what is counted.
  WarmUp(dlg, 20);
  auto start = std::chrono::steady_clock::now();
  UnchangedTicks(dlg, n);
  const double unchanged = Seconds(start);
  start = std::chrono::steady_clock::now();
  MovingTicks(dlg, n);
  const double moving = Seconds(start);
  std::printf("%d ticks: unchanged %.1f us a tick, moving %.1f us a tick\n", n, unchanged / n * 1e6,
              moving / n * 1e6);
  dlg.DestroyWindow();
  return 0;
}
