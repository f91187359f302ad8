// End-to-end upload tests: a placed control pointed at an upload-receiver on loopback, files to pick,
// a watcher that acts on the progress dialog from inside its modal loop, and message boxes held
// open by the test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/win/backend.h"
#include "platform/win/winuser.h"
#include "tests/control/control_fixture.h"
#include "tests/receiver/receiver_process.h"

namespace drev::testing {

// This program's loopback addresses: 127.131.x.y.
constexpr unsigned char kAddressBase = 131;

// Runs `step` on the user-interface thread from its message loop (a thread timer on the backend
// clock), with the progress dialog's window, on every tick that finds one. The dialog is found as
// the parent of the focused control: the dialog gives its cancel button the focus when it opens.
class DialogWatcher {
 public:
  using Step = std::function<void(plat::win::HWND dialog)>;
  explicit DialogWatcher(Step step, plat::UINT intervalMs = 20);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  // Ticks that found the dialog so far (readable from any thread).
  int Ticks() const { return ticks_.load(); }

  // The text of one of the dialog's controls, and the bar's position.
  static std::string Text(plat::win::HWND dialog, int id);
  static int BarPos(plat::win::HWND dialog);
  // The user clicks the cancel button, or presses a key in the dialog.
  static void ClickCancel(plat::win::HWND dialog);
  static void PressKey(plat::win::HWND dialog, plat::UINT key);

 private:
  static void Proc(plat::win::HWND, plat::UINT, plat::win::UINT_PTR, plat::DWORD);
  static DialogWatcher* current_;
  Step step_;
  plat::win::UINT_PTR timer_ = 0;
  std::atomic<int> ticks_{0};
};

// Answers the message boxes instead of the backend: each is recorded; while held, a box stays open
// (its thread waits) until Release. `whileOpen`, when set, runs on the box's thread before it waits.
class BoxHook {
 public:
  BoxHook();
  ~BoxHook();
  void HoldOpen();
  void Release();
  std::vector<plat::win::MessageBoxRecord> Boxes();
  std::function<void()> whileOpen;

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  std::vector<plat::win::MessageBoxRecord> boxes_;
  plat::win::MessageBoxHook previous_;
};

class UploadTest : public ControlTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Places the control with its window, uploading to `server` at kUploadPath, with a generous
  // upload size limit; the event log starts empty. `params` are further <param>s of the page.
  void Place(const std::string& server, const std::vector<std::pair<std::string, std::string>>& params = {});
  // A file of `size` patterned bytes in the scratch folder; its path (UTF-8).
  std::string MakeFile(const std::string& name, std::size_t size) const;
  // The user picks `paths` in the open-file dialog; the event log then starts afresh.
  void Pick(const std::vector<std::string>& paths);
  // The page's UploadFiles: its boolean answer.
  bool UploadFiles();
  // The text of the last OnContentReceived, as JSON; a test failure and an empty object when there
  // is none or it is not JSON.
  nlohmann::json LastReply();
  // The UTF-8 texts of the message boxes recorded by the platform.
  static std::vector<std::string> Messages();
  std::int16_t Count(const char* type) { return Host().Call("GetFileCount", {type}).value.iVal(); }
  std::vector<std::string> EventNames();  // names of the events recorded, in order
  // After a failure every row is still there: pointed at `good`, the next UploadFiles succeeds,
  // shows nothing and the receiver stores `files` (UTF-8 paths), in order, with their bytes.
  void ExpectRetrySucceeds(drevtest::ReceiverProcess& good, const std::vector<std::string>& files);

  static constexpr const char* kUploadPath = "/upload.php?board=7";
  std::filesystem::path dir_;
};

// A receiver on one of this program's loopback addresses, with extra options.
drevtest::ReceiverSetup Receiver(std::vector<std::string> options = {});

// The bytes the scratch files hold: a pattern that differs from file to file.
std::string PatternBytes(std::size_t size, unsigned seed);

}  // namespace drev::testing
