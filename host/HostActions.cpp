// Parsing and performing drevhost's actions: dialog answers, drops, clicks, script, snapshots and
// saved states.
#include "host/HostActions.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <map>

#include "host/FileBytes.h"
#include "platform/shell/file_dialog.h"
#include "platform/shell/file_drop.h"
#include "platform/win/commctrl.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace drev::host {

namespace pw = plat::win;
using Kind = HostAction::Kind;

namespace {

constexpr int kAttachmentList = 201;

struct ActionShape {
  Kind kind;
  bool manyWords;
};

const std::map<std::string, ActionShape>& Shapes() {
  static const std::map<std::string, ActionShape> shapes = {
      {"--choose", {Kind::kChoose, true}},       {"--drop", {Kind::kDrop, true}},
      {"--tick", {Kind::kTick, false}},          {"--click", {Kind::kClick, false}},
      {"--eval", {Kind::kEval, false}},          {"--cancel-after-bytes", {Kind::kCancelAfterBytes, false}},
      {"--snapshot", {Kind::kSnapshot, false}},  {"--progress-snapshot", {Kind::kProgressSnapshot, false}},
      {"--save-state", {Kind::kSaveState, false}}, {"--load-state", {Kind::kLoadState, false}},
      {"--page-snapshot", {Kind::kPageSnapshot, false}},
  };
  return shapes;
}

bool IsActionWord(const std::string& word) { return word.size() > 2 && word.starts_with("--"); }

template <class T>
bool ParseNumber(std::string_view text, T* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Fills in the number or point of `action` from its word. False when the word is malformed.
bool ParseArgument(HostAction& action) {
  const std::string& word = action.words.front();
  switch (action.kind) {
    case Kind::kTick:
    case Kind::kCancelAfterBytes:
      return ParseNumber(word, &action.number) && action.number >= 0;
    case Kind::kClick: {
      std::size_t comma = word.find(',');
      return comma != std::string::npos && ParseNumber(std::string_view(word).substr(0, comma), &action.x) &&
             ParseNumber(std::string_view(word).substr(comma + 1), &action.y);
    }
    default:
      return true;
  }
}

}  // namespace

std::optional<std::vector<HostAction>> ParseActions(std::span<const std::string> words, std::string* error) {
  std::vector<HostAction> actions;
  for (std::size_t i = 0; i < words.size();) {
    auto shape = Shapes().find(words[i]);
    if (shape == Shapes().end()) {
      *error = "unknown action " + words[i];
      return std::nullopt;
    }
    HostAction action{shape->second.kind, {}, 0, 0, 0};
    std::size_t j = i + 1;
    if (shape->second.manyWords) {
      while (j < words.size() && !IsActionWord(words[j])) action.words.push_back(words[j++]);
    } else if (j < words.size()) {
      action.words.push_back(words[j++]);
    }
    if (action.words.empty()) {
      *error = words[i] + " needs " + (shape->second.manyWords ? "at least one file" : "an argument");
      return std::nullopt;
    }
    if (!ParseArgument(action)) {
      *error = words[i] + ": malformed argument \"" + action.words.front() + "\"";
      return std::nullopt;
    }
    actions.push_back(std::move(action));
    i = j;
  }
  return actions;
}

bool ActionRunner::Perform(const HostAction& action, std::string* error) {
  ControlHost* host = page_.FirstObject();
  const bool needsObject = action.kind != Kind::kChoose && action.kind != Kind::kEval &&
                           action.kind != Kind::kCancelAfterBytes && action.kind != Kind::kProgressSnapshot &&
                           action.kind != Kind::kPageSnapshot;
  if (needsObject && !host) {
    *error = "the page has no object to act on";
    return false;
  }
  bool done = true;
  switch (action.kind) {
    case Kind::kChoose: plat::shell::QueueOpenFileSelection(action.words); break;
    case Kind::kDrop: done = Drop(action.words, error); break;
    case Kind::kTick: done = Tick(action.number, error); break;
    case Kind::kClick: done = Click(action.x, action.y, error); break;
    case Kind::kEval: {
      bool ok = false;
      if (auto result = page_.Engine().Eval(action.words.front(), &ok)) page_.Engine().Output().EvalResult(*result);
      break;
    }
    case Kind::kCancelAfterBytes: watcher_.CancelAfterBytes(static_cast<std::uint64_t>(action.number)); break;
    case Kind::kSnapshot:
      done = pw::SnapshotWindow(host->ControlWindow(), action.words.front()) != 0;
      if (!done) *error = "cannot write the control's snapshot to " + action.words.front();
      break;
    case Kind::kProgressSnapshot: watcher_.SnapshotAtFirstProgress(action.words.front()); break;
    case Kind::kSaveState: done = SaveState(action.words.front(), error); break;
    case Kind::kLoadState: done = LoadState(action.words.front(), error); break;
    case Kind::kPageSnapshot:
      *error = "--page-snapshot: only a page shown with drevhost show has a window of its own";
      done = false;
      break;
  }
  pw::PumpPendingMessages();
  return done;
}

// The attachment list: control 201 of the dialog that fills the control window.
pw::HWND ActionRunner::ListWindow() const {
  pw::HWND control = page_.FirstObject()->ControlWindow();
  pw::HWND dialog = control ? pw::GetWindow(control, pw::GW_CHILD) : nullptr;
  return dialog ? pw::GetDlgItem(dialog, kAttachmentList) : nullptr;
}

bool ActionRunner::Tick(std::int64_t row, std::string* error) {
  pw::HWND list = ListWindow();
  if (!list) {
    *error = "--tick: the control shows no attachment list";
    return false;
  }
  const auto count = pw::SendMessage(list, pw::LVM_GETITEMCOUNT, 0, 0);
  if (row >= count) {
    *error = "--tick " + std::to_string(row) + ": the list has " + std::to_string(count) + " rows";
    return false;
  }
  const auto index = static_cast<plat::WPARAM>(row);
  pw::SendMessage(list, pw::LVM_ENSUREVISIBLE, index, plat::FALSE);
  plat::RECT bounds{};
  bounds.left = pw::LVIR_BOUNDS;
  pw::SendMessage(list, pw::LVM_GETITEMRECT, index, reinterpret_cast<plat::LPARAM>(&bounds));
  const auto width = static_cast<plat::LONG>(pw::SendMessage(list, pw::LVM_GETCOLUMNWIDTH, 0, 0));
  plat::POINT at{bounds.left + width / 2, (bounds.top + bounds.bottom) / 2};
  if (!pw::SendClick(list, at)) {
    *error = "--tick: the list does not take clicks (hidden or disabled)";
    return false;
  }
  return true;
}

bool ActionRunner::Click(int x, int y, std::string* error) {
  pw::HWND control = page_.FirstObject()->ControlWindow();
  pw::HWND target = pw::ChildWindowFromPointDeep(control, plat::POINT{x, y});
  if (!target) {
    *error = "--click " + std::to_string(x) + "," + std::to_string(y) + " is outside the control";
    return false;
  }
  plat::POINT at{x, y};
  pw::MapWindowPoints(control, target, &at, 1);
  if (!pw::SendClick(target, at)) {
    *error = "--click: the window there does not take clicks (hidden or disabled)";
    return false;
  }
  return true;
}

bool ActionRunner::Drop(const std::vector<std::string>& files, std::string* error) {
  pw::HWND list = ListWindow();
  int delivered = list ? plat::shell::DropFiles(list, files) : -1;
  if (delivered < 0) {
    *error = "--drop: the control takes no dropped files";
    return false;
  }
  return true;
}

bool ActionRunner::SaveState(const std::string& path, std::string* error) {
  std::vector<plat::BYTE> bytes;
  plat::HRESULT hr = page_.FirstObject()->SaveStream(&bytes, false);
  if (plat::com::FAILED(hr)) {
    *error = "--save-state: the object could not save itself (" + plat::com::HResultName(hr) + ")";
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "--save-state: cannot write " + path;
    return false;
  }
  return true;
}

bool ActionRunner::LoadState(const std::string& path, std::string* error) {
  std::string why;
  std::optional<std::string> text = ReadFileBytes(path, &why);
  if (!text) {
    *error = "--load-state: cannot read " + path + (why == "it cannot be opened" ? "" : ": " + why);
    return false;
  }
  std::vector<plat::BYTE> bytes(text->begin(), text->end());
  plat::HRESULT hr = page_.FirstObject()->LoadStream(std::move(bytes));
  if (plat::com::FAILED(hr)) {
    *error = "--load-state: the object refused " + path + " (" + plat::com::HResultName(hr) + ")";
    return false;
  }
  return true;
}

}  // namespace drev::host
