// Fuzz target: the control's dispatch layer. Each input is a run of script calls with random values
// of every type on every dispatch id of the control (and on ids it does not have), with the user's
// answers to the open-file dialog and file drops in between. The control really acts: files come
// from this process's scratch folder (names a page gives are taken inside it), every
// upload goes to a server on a loopback address, and message boxes are answered by the quiet backend.
// (The current folder is left alone: libFuzzer reads its corpus and writes its findings by the paths
// it was given.)
#include <unistd.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/control_support.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/upload_server.h"
#include "platform/com/hresult.h"
#include "platform/shell/file_drop.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"

using drev::fuzz::Check;
namespace pc = plat::com;

namespace {

// The control's members by dispatch id, as a page reaches them.
constexpr pc::DISPID kUploadFiles = 2, kAddImage = 28, kNormalServerName = 18;
constexpr pc::DISPID kIds[] = {1, 2, 3, 4, 22, 23, 24, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39,
                               10, 14, 16, 18, 19, 9, 11, 12, 13, 15, 17,
                               // ids the control does not have
                               0, -1, 5, 20, 25, 40, 0x7FFFFFFF};
constexpr const char* kNames[] = {"DeleteSelectedItem", "UploadFiles", "AttachFiles", "DeleteAllItem", "AddParameter",
                                  "SetReferer", "GetServerResponse", "AddImage", "GetFileCount", "SetMaxFileSize",
                                  "AddDeleteFile", "AddPreUploadFile", "GetDeleteFileList", "SetUploadSize",
                                  "SetMaxUploadSize", "test", "GetUploadSize", "setScrapYn", "getScrapYn",
                                  "ActionTime", "MaxNormalSize", "MaxFileCount", "Normal_ServerName",
                                  "Normal_UploadURL", "PID", "BIG_ServerName", "uploadfiles", "paramName"};
constexpr plat::WORD kFlags[] = {pc::DISPATCH_METHOD, pc::DISPATCH_PROPERTYGET, pc::DISPATCH_PROPERTYPUT,
                                 pc::DISPATCH_METHOD | pc::DISPATCH_PROPERTYGET, pc::DISPATCH_PROPERTYPUTREF, 0,
                                 0xFFFF};
// Texts the control reads as keys.
constexpr const char* kKeys[] = {"ATTACH_FILE", "ATTACH_IMAGE", "DELETE_FILE", "TOTAL_ATTACH_FILE", "attach_file"};

// The files a page or the user may name, made once in the scratch folder.
struct ScratchFile {
  const char* name;
  std::size_t size;
};
constexpr ScratchFile kFiles[] = {{"a.txt", 5}, {"사진.png", 300}, {"empty.dat", 0}, {"big.bin", 70 * 1024},
                                  {"e😀.png", 10}, {"e?.png", 12}, {"dir/../a.txt", 0}, {"missing.jpg", 0}};

// Steps the backend clock while the process runs, so that the progress dialog's timers fire
// without waiting for real time.
class ClockTicker {
 public:
  ClockTicker() : thread_([this] {
      while (!stop_) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        plat::win::AdvanceClock(100);
      }
    }) {}
  ~ClockTicker() {
    stop_ = true;
    thread_.join();
  }

 private:
  plat::win::ManualClock clock_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct World {
  std::string folder;
  drev::fuzz::UploadServer server;
  ClockTicker ticker;

  World() : folder(drev::fuzz::ScratchFolder().string()), server(LoopbackAddress()) {
    for (const ScratchFile& file : kFiles) {
      std::string name = file.name;
      if (name.find('/') != std::string::npos || name == "missing.jpg") continue;
      std::ofstream(folder + "/" + name, std::ios::binary) << std::string(file.size, 'x');
    }
    std::filesystem::create_directories(folder + "/dir");
  }

  // 127.199.x.y from the process id, so that two fuzzing processes do not meet on port 80.
  static std::string LoopbackAddress() {
    unsigned id = static_cast<unsigned>(getpid());
    return "127.199." + std::to_string((id >> 8) & 0xFF) + "." + std::to_string(id & 0xFF);
  }
};

World& TheWorld() {
  static World world;
  return world;
}

std::string PickFile(FuzzedDataProvider& in, const World& world) {
  if (in.ConsumeBool()) return world.folder + "/dir";
  return world.folder + "/" + kFiles[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kFiles) - 1)].name;
}

std::u16string Text(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return plat::text::Utf8ToUtf16(in.ConsumeRandomLengthString(64));
    case 1: {  // raw UTF-16 units, lone surrogates included
      std::u16string units;
      std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 32);
      for (std::size_t i = 0; i < count; ++i) units.push_back(in.ConsumeIntegral<char16_t>());
      return units;
    }
    case 2: return plat::text::Utf8ToUtf16(kKeys[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)]);
    default: return plat::text::Utf8ToUtf16(kFiles[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kFiles) - 1)].name);
  }
}

double Real(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return in.ConsumeBool() ? HUGE_VAL : -HUGE_VAL;
    case 2: return in.ConsumeIntegral<std::int32_t>() + 0.5;
    default: return in.ConsumeFloatingPoint<double>();
  }
}

pc::Variant Value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: return pc::Variant();
    case 1: return pc::Variant::I2(in.ConsumeIntegral<std::int16_t>());
    case 2: return pc::Variant::UI2(in.ConsumeIntegral<std::uint16_t>());
    case 3: return pc::Variant::I4(in.ConsumeIntegral<std::int32_t>());
    case 4: return pc::Variant::R8(Real(in));
    case 5: return pc::Variant::Bool(in.ConsumeBool());
    default: return pc::Variant::Bstr(Text(in));
  }
}

// A path a page names stays inside the scratch folder: it is taken as a name inside it (a number
// as its text), with "..", whatever it climbs, turned into "._".
pc::Variant Confined(const pc::Variant& path, const std::string& folder) {
  pc::Variant text;
  if (pc::FAILED(pc::ChangeType(path, pc::VT_BSTR, &text))) return path;  // refused before any file is named
  std::u16string name = text.bstrVal();
  for (std::size_t at; (at = name.find(u"..")) != std::u16string::npos;) name[at + 1] = u'_';
  return pc::Variant::Bstr(plat::text::Utf8ToUtf16(folder + "/") + name);
}

struct Run {
  drev::host::ControlHost& control;
  World& world;
  FuzzedDataProvider& in;
  int uploads = 0;
  int queuedAnswers = 0;

  void Invoke() {
    pc::DISPID id = in.ConsumeBool() ? kIds[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kIds) - 1)]
                                     : in.ConsumeIntegralInRange<pc::DISPID>(-3, 45);
    plat::WORD flags = kFlags[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kFlags) - 1)];
    std::vector<pc::Variant> args(in.ConsumeIntegralInRange<std::size_t>(0, 5));
    for (pc::Variant& arg : args) arg = Value(in);
    if (id == kAddImage && args.size() >= 2) args[1] = Confined(args[1], world.folder);
    // The upload host stays the loopback server, whatever the page writes.
    if (id == kNormalServerName && (flags & (pc::DISPATCH_PROPERTYPUT | pc::DISPATCH_PROPERTYPUTREF))) {
      for (pc::Variant& arg : args) arg = pc::Variant::Bstr(plat::text::Utf8ToUtf16(world.server.Address()));
    }
    // Uploads run the progress dialog; two a run are enough to reach every end.
    if (id == kUploadFiles && (flags & pc::DISPATCH_METHOD) && ++uploads > 2) return;
    pc::Variant result;
    pc::EXCEPINFO excep;
    plat::UINT argErr = 0;
    plat::HRESULT hr = control.Dispatch()->Invoke(id, flags, args, &result, &excep, &argErr);
    Check(hr != pc::DISP_E_EXCEPTION, "no script call ends in an exception");
    if (hr == pc::DISP_E_TYPEMISMATCH || hr == pc::DISP_E_OVERFLOW) {
      Check(argErr < args.size(), "a refused argument is named by its position");
    }
  }

  void AnswerDialog() {
    if (in.ConsumeBool()) {
      plat::win::QueueOpenFileAnswer(std::nullopt);
    } else {
      std::vector<std::string> paths(in.ConsumeIntegralInRange<std::size_t>(0, 4));
      for (std::string& path : paths) path = PickFile(in, world);
      plat::win::QueueOpenFileAnswer(paths);
    }
    ++queuedAnswers;
  }

  void Drop() {
    std::vector<std::string> paths(in.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (std::string& path : paths) path = PickFile(in, world);
    plat::shell::DropFiles(control.ControlWindow(), paths);
  }

  void LookUpNames() {
    std::vector<std::u16string> names(in.ConsumeIntegralInRange<std::size_t>(1, 3));
    for (std::u16string& name : names) {
      name = in.ConsumeBool() ? plat::text::Utf8ToUtf16(kNames[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)])
                              : Text(in);
    }
    std::vector<std::u16string_view> views(names.begin(), names.end());
    std::vector<pc::DISPID> ids(names.size());
    control.Dispatch()->GetIDsOfNames(views, ids.data());
  }

  void Step() {
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 6: AnswerDialog(); break;
      case 7: Drop(); break;
      case 8: world.server.SetStatus(in.ConsumeBool() ? 200 : 500); break;
      case 9: LookUpNames(); break;
      default: Invoke(); break;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& world = TheWorld();
  FuzzedDataProvider in(data, size);
  world.server.SetStatus(200);
  plat::win::ClearMessageBoxLog();
  {
    auto control = drev::fuzz::MakeControl();
    Check(pc::SUCCEEDED(control->LoadProperties({{"Normal_ServerName", world.server.Address()},
                                                 {"Normal_UploadURL", "/upload.php?board=notice"},
                                                 {"MaxFileCount", std::to_string(in.ConsumeIntegralInRange(0, 12))}})),
          "the page's values load");
    // A small window: painting is most of the work per input, and a short list scrolls sooner.
    Check(pc::SUCCEEDED(control->CreateWindows(240, 90)), "the control gets its window");
    Run run{*control, world, in};
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) run.Step();
    plat::win::PumpPendingMessages();
    // Answers the dialog did not take must not reach the next input's dialog.
    for (int i = 0; i < run.queuedAnswers; ++i) plat::win::TakeOpenFileAnswer();
  }
  plat::win::ClearMessageBoxLog();
  return 0;
}
