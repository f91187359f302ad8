// End-to-end upload test support: the dialog watcher, the message box hook and the placed control.
#include "tests/session/upload_fixture.h"

#include <cstdlib>
#include <fstream>

#include "platform/shell/file_dialog.h"
#include "platform/text/text.h"
#include "platform/win/commctrl.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "resources/Resource.h"

namespace drev::testing {

namespace pw = plat::win;

// ----- DialogWatcher -----

DialogWatcher* DialogWatcher::current_ = nullptr;

DialogWatcher::DialogWatcher(Step step, plat::UINT intervalMs) : step_(std::move(step)) {
  current_ = this;
  timer_ = pw::SetTimer(nullptr, 0, intervalMs, &DialogWatcher::Proc);
}

DialogWatcher::~DialogWatcher() {
  pw::KillTimer(nullptr, timer_);
  current_ = nullptr;
}

void DialogWatcher::Proc(pw::HWND, plat::UINT, pw::UINT_PTR, plat::DWORD) {
  if (current_ == nullptr) return;
  pw::HWND focus = pw::GetFocus();
  if (focus == nullptr) return;
  pw::HWND dialog = pw::GetParent(focus);
  if (dialog == nullptr || pw::GetDlgItem(dialog, IDC_PROGRESS_BYTES) == nullptr) return;
  ++current_->ticks_;
  current_->step_(dialog);
}

std::string DialogWatcher::Text(pw::HWND dialog, int id) { return pw::GetWindowText(pw::GetDlgItem(dialog, id)); }

int DialogWatcher::BarPos(pw::HWND dialog) {
  return static_cast<int>(pw::SendMessage(pw::GetDlgItem(dialog, IDC_PROGRESS_BAR), pw::PBM_GETPOS, 0, 0));
}

void DialogWatcher::ClickCancel(pw::HWND dialog) {
  pw::SendMessage(pw::GetDlgItem(dialog, IDC_PROGRESS_CANCEL), pw::BM_CLICK, 0, 0);
}

void DialogWatcher::PressKey(pw::HWND dialog, plat::UINT key) {
  // Keys reach the dialog through its modal loop, as typed keys do.
  pw::PostMessage(pw::GetDlgItem(dialog, IDC_PROGRESS_CANCEL), pw::WM_KEYDOWN, key, 0);
}

// ----- BoxHook -----

BoxHook::BoxHook() {
  previous_ = pw::SetMessageBoxHook([this](const pw::MessageBoxRecord& box) {
    std::function<void()> duringBox;
    {
      std::lock_guard lock(mutex_);
      boxes_.push_back(box);
      duringBox = whileOpen;
    }
    if (duringBox) duringBox();
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return !held_; });
    return pw::IDOK;
  });
}

BoxHook::~BoxHook() {
  Release();
  pw::SetMessageBoxHook(previous_);
}

void BoxHook::HoldOpen() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void BoxHook::Release() {
  std::lock_guard lock(mutex_);
  held_ = false;
  released_.notify_all();
}

std::vector<pw::MessageBoxRecord> BoxHook::Boxes() {
  std::lock_guard lock(mutex_);
  return boxes_;
}

// ----- UploadTest -----

std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned value = seed * 2654435761u + 12345u;
  for (std::size_t i = 0; i < size; ++i) {
    value = value * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(value >> 16);
  }
  return bytes;
}

void UploadTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "drev-upload-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  // Content types come from a store of this test's own (and the system's MIME database).
  setenv("DREV_REGISTRY", (dir_ / "registry.json").c_str(), 1);
  ControlTest::SetUp();
}

void UploadTest::TearDown() {
  ControlTest::TearDown();
  unsetenv("DREV_REGISTRY");
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

drevtest::ReceiverSetup Receiver(std::vector<std::string> options) {
  drevtest::ReceiverSetup setup;
  setup.options = std::move(options);
  setup.addressBase = kAddressBase;
  return setup;
}

void UploadTest::Place(const std::string& server, const std::vector<std::pair<std::string, std::string>>& params) {
  std::vector<std::pair<std::string, std::string>> all{{"Normal_ServerName", server}, {"Normal_UploadURL", kUploadPath}};
  all.insert(all.end(), params.begin(), params.end());
  ASSERT_EQ(Host().LoadProperties(all), plat::com::S_OK);
  ASSERT_EQ(Host().CreateWindows(600, 300), plat::com::S_OK);
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{1} << 30}).ok());
  Host().Events().Clear();
  pw::ClearMessageBoxLog();
}

std::string UploadTest::MakeFile(const std::string& name, std::size_t size) const {
  static unsigned seed = 0;
  std::filesystem::path path = dir_ / name;
  std::ofstream(path, std::ios::binary) << PatternBytes(size, ++seed);
  return path.string();
}

void UploadTest::Pick(const std::vector<std::string>& paths) {
  plat::shell::QueueOpenFileSelection(paths);
  ASSERT_TRUE(Host().Call("AttachFiles").ok());
  Host().Events().Clear();
}

bool UploadTest::UploadFiles() {
  host::CallResult result = Host().Call("UploadFiles");
  EXPECT_TRUE(result.ok());
  return result.value == plat::com::Variant::Bool(true);
}

nlohmann::json UploadTest::LastReply() {
  const auto& events = Host().Events().Events();
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (it->name != "OnContentReceived") continue;
    std::string text = plat::text::Utf16ToUtf8(it->args.at(0).bstrVal());
    nlohmann::json reply = nlohmann::json::parse(text, nullptr, false);
    if (!reply.is_discarded()) return reply;
    ADD_FAILURE() << "the reply is not JSON: " << text;
    return nlohmann::json::object();
  }
  ADD_FAILURE() << "no OnContentReceived";
  return nlohmann::json::object();
}

std::vector<std::string> UploadTest::Messages() {
  std::vector<std::string> texts;
  for (const auto& box : pw::MessageBoxLog()) texts.push_back(plat::text::Cp949ToUtf8(box.text));
  return texts;
}

std::vector<std::string> UploadTest::EventNames() {
  std::vector<std::string> names;
  for (const auto& event : Host().Events().Events()) names.push_back(event.name);
  return names;
}

void UploadTest::ExpectRetrySucceeds(drevtest::ReceiverProcess& good, const std::vector<std::string>& files) {
  ASSERT_TRUE(Host().Put("Normal_ServerName", good.Address()).ok());
  Host().Events().Clear();
  pw::ClearMessageBoxLog();
  EXPECT_TRUE(UploadFiles());
  EXPECT_EQ(EventNames(), (std::vector<std::string>{"StartUpload", "ChangeFileList", "OnContentReceived"}));
  EXPECT_TRUE(Messages().empty());
  const nlohmann::json received = LastReply()["files"];
  ASSERT_EQ(received.size(), files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(drevtest::ReadFileBytes(good.StoreDir() / received[i]["stored"].get<std::string>()),
              drevtest::ReadFileBytes(files[i]))
        << i;
  }
  EXPECT_EQ(Count("TOTAL_ATTACH_FILE"), 0);
}

}  // namespace drev::testing
