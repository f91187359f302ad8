// Fuzz target: drevhost's HTML page reader, and the readers of what it hands on: class ids, object
// sizes, event signatures and script languages.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "host/HtmlPage.h"

using drev::fuzz::Check;
namespace host = drev::host;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view html(reinterpret_cast<const char*>(data), size);
  host::Page page = host::ParsePage(html, "/drev-fuzz/page");
  for (const host::PageObject& object : page.objects) {
    Check(object.width >= 0 && object.height >= 0, "object sizes are never negative");
    host::ParseClassId(object.classid);
    host::ParseLength(object.id, host::kDefaultObjectWidth, host::kViewportWidth);
  }
  for (const host::PageScript& script : page.scripts) {
    Check(script.text.empty() || script.src.empty(), "a script is inline or external, not both");
    if (auto signature = host::ParseEventSignature(script.event)) {
      Check(!signature->name.empty(), "an event signature has a name");
    }
    host::IsJavaScript(script.language);
  }
  return 0;
}
