// The user's actions drevhost performs on a page after its scripts ran, in command-line order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/PageRunner.h"
#include "host/ProgressWatcher.h"

namespace drev::host {

struct HostAction {
  enum class Kind {
    kChoose,            // --choose FILE...: the answer of the next open-file dialog
    kDrop,              // --drop FILE...: files dropped on the attachment list
    kTick,              // --tick ROW: a click on the row's check box cell
    kClick,             // --click X,Y: a left click at a point of the control
    kEval,              // --eval JS
    kCancelAfterBytes,  // --cancel-after-bytes N
    kSnapshot,          // --snapshot PNG: the control window
    kProgressSnapshot,  // --progress-snapshot PNG: the progress dialog at its first progress report
    kSaveState,         // --save-state FILE
    kLoadState,         // --load-state FILE
    kPageSnapshot,      // --page-snapshot PNG: the page's window (show only)
  };
  Kind kind;
  std::vector<std::string> words;  // the files, the script, the path
  std::int64_t number = 0;         // the row, the byte count
  int x = 0, y = 0;                // the click's point
};

// Parses the words after the page. A word that starts with "--" begins an action; --choose and
// --drop take every word up to the next action (at least one), the others exactly one. nullopt with
// `error` set for an unknown action, a missing or malformed argument.
std::optional<std::vector<HostAction>> ParseActions(std::span<const std::string> words, std::string* error);

// Performs actions on the page's first object.
class ActionRunner {
 public:
  ActionRunner(PageRunner& page, ProgressWatcher& watcher) : page_(page), watcher_(watcher) {}

  // Does one action; false with `error` set when it cannot be done (no object, a row that does not
  // exist, a file that cannot be read or written, a failed load). A script error in --eval is the
  // page's (printed and counted by the engine), not the action's.
  bool Perform(const HostAction& action, std::string* error);

 private:
  bool Tick(std::int64_t row, std::string* error);
  bool Click(int x, int y, std::string* error);
  bool Drop(const std::vector<std::string>& files, std::string* error);
  bool SaveState(const std::string& path, std::string* error);
  bool LoadState(const std::string& path, std::string* error);
  plat::win::HWND ListWindow() const;

  PageRunner& page_;
  ProgressWatcher& watcher_;
};

}  // namespace drev::host
