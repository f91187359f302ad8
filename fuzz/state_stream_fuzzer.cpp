// Fuzz target: the control's state stream loader (IPersistStreamInit::Load), as `drevhost
// --load-state` hands it a saved file. A stream that loads must save and load again to the same
// bytes; a stream that is refused must leave the control at its defaults, never half loaded.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/control_support.h"
#include "fuzz/fuzz_check.h"

using drev::fuzz::Check;
namespace pc = plat::com;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<plat::BYTE> bytes(data, data + size);
  // One control serves every input: each starts from the same page values, and a load sets (or
  // resets) every persisted value, so nothing of one input reaches the next.
  static drev::host::ControlHost* const control = drev::fuzz::MakeControl().release();  // kept to the end
  // A control that held other values before the load, as one a page already set up does.
  Check(pc::SUCCEEDED(control->LoadProperties({{"MaxFileCount", "3"}, {"Normal_ServerName", "before.example"}})),
        "the page's values load");
  plat::HRESULT hr = control->LoadStream(bytes);
  drev::fuzz::ReadAllProperties(*control);
  if (pc::FAILED(hr)) {
    // The defaults do not change from input to input (the time they set is left out).
    static const auto defaults = [] {
      auto fresh = drev::fuzz::MakeControl();
      Check(pc::SUCCEEDED(fresh->InitNew()), "a new control resets");
      return drev::fuzz::SavedWithoutTime(*fresh);
    }();
    Check(drev::fuzz::SavedWithoutTime(*control) == defaults, "a refused stream leaves the control at its defaults");
    return 0;
  }
  std::vector<plat::BYTE> saved;
  Check(pc::SUCCEEDED(control->SaveStream(&saved)), "a loaded control saves");
  auto values = drev::fuzz::SavedWithoutTime(*control);
  // Loading sets every persisted value, so the same control serves for the second round.
  Check(pc::SUCCEEDED(control->LoadStream(saved)), "what a control saved loads");
  std::vector<plat::BYTE> resaved;
  Check(pc::SUCCEEDED(control->SaveStream(&resaved)), "a reloaded control saves");
  Check(saved == resaved, "save, load and save again gives the same stream");
  Check(drev::fuzz::SavedWithoutTime(*control) == values, "a saved stream carries every persisted value");
  return 0;
}
