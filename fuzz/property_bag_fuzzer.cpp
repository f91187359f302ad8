// Fuzz target: the control's property bag reader (IPersistPropertyBag::Load), fed the named values a
// host builds from a page's <param>s. The input is one "name=value" pair per line, as a page gives
// them (texts); a line that starts with a byte 0x01-0x06 carries a typed value instead, as another
// host may store one. Every bag must load (a bad value takes its default), and what the control
// then saves must load back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/control_support.h"
#include "fuzz/fuzz_check.h"
#include "platform/com/memory_property_bag.h"
#include "platform/com/persist.h"
#include "platform/text/text.h"

using drev::fuzz::Check;
namespace pc = plat::com;

namespace {

// The value of a typed line: the text read as a number, then narrowed to the type (wrapping, as a
// host's own cast would).
pc::Variant Typed(char type, const std::string& text) {
  double number = std::strtod(text.c_str(), nullptr);
  long long whole = std::strtoll(text.c_str(), nullptr, 0);
  switch (type) {
    case 1: return pc::Variant::I2(static_cast<std::int16_t>(whole));
    case 2: return pc::Variant::UI2(static_cast<std::uint16_t>(whole));
    case 3: return pc::Variant::I4(static_cast<std::int32_t>(whole));
    case 4: return pc::Variant::R8(number);
    case 5: return pc::Variant::Bool(whole != 0);
    default: return pc::Variant();
  }
}

void Fill(pc::PropertyBag& bag, std::string_view input) {
  while (!input.empty()) {
    std::size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    char type = 0;
    if (!line.empty() && line.front() >= 1 && line.front() <= 6) {
      type = line.front();
      line.remove_prefix(1);
    }
    std::size_t equals = line.find('=');
    std::string name(line.substr(0, equals));
    std::string value(equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
    std::u16string wideName = plat::text::Utf8ToUtf16(name);
    bag.Write(wideName, type ? Typed(type, value) : pc::Variant::Bstr(plat::text::Utf8ToUtf16(value)));
  }
}

pc::ComPtr<pc::IPersistPropertyBag> Persist(drev::host::ControlHost& control) {
  auto persist = control.As<pc::IPersistPropertyBag>();
  Check(static_cast<bool>(persist), "the control persists to property bags");
  return persist;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bag = pc::MakeCom<pc::PropertyBag>();
  Fill(*bag, std::string_view(reinterpret_cast<const char*>(data), size));
  // One control serves every input: a load sets every persisted value (the bag's or the default).
  static drev::host::ControlHost* const control = drev::fuzz::MakeControl().release();  // kept to the end
  Check(pc::SUCCEEDED(Persist(*control)->Load(bag.Get())), "every property bag loads");
  drev::fuzz::ReadAllProperties(*control);

  auto saved = pc::MakeCom<pc::PropertyBag>();
  Check(pc::SUCCEEDED(Persist(*control)->Save(saved.Get(), plat::TRUE, plat::TRUE)), "a loaded control saves");
  // Loading gives every persisted value (what a bag lacks takes its default), so the same control
  // serves for the second round.
  Check(pc::SUCCEEDED(Persist(*control)->Load(saved.Get())), "what a control saved loads");
  auto resaved = pc::MakeCom<pc::PropertyBag>();
  Check(pc::SUCCEEDED(Persist(*control)->Save(resaved.Get(), plat::TRUE, plat::TRUE)), "a reloaded control saves");
  Check(saved->Entries() == resaved->Entries(), "save, load and save again gives the same values");
  return 0;
}
