// Printing the page's lines, and message boxes as lines.
#include "host/PageOutput.h"

#include "host/ScriptText.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/winuser.h"

namespace drev::host {

void PageOutput::Line(std::string_view utf8) {
  std::lock_guard lock(mutex_);
  std::fwrite(utf8.data(), 1, utf8.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void PageOutput::Alert(std::string_view text) {
  Line("alert " + EscapeForLine(text));
  if (onAlert) onAlert(std::string(text));
}

void PageOutput::MessageBox(std::string_view caption, std::string_view text) {
  Line("messagebox " + EscapeForLine(caption) + ": " + EscapeForLine(text));
}

void PageOutput::ScriptError(int line, std::string_view message) {
  Line("script error at line " + std::to_string(line) + ": " + EscapeForLine(message));
  if (onScriptError) onScriptError(line, std::string(message));
}

void PageOutput::EvalResult(std::string_view text) { Line("eval " + EscapeForLine(text)); }

namespace {
plat::win::MessageBoxHook g_previousHook;
}  // namespace

MessageBoxPrinter::MessageBoxPrinter(PageOutput& output, bool show) {
  g_previousHook = plat::win::SetMessageBoxHook([&output, show](const plat::win::MessageBoxRecord& box) {
    output.MessageBox(plat::text::Cp949ToUtf8(box.caption), plat::text::Cp949ToUtf8(box.text));
    if (!show) return plat::win::IDOK;
    return plat::win::GetBackend().ShowMessageBox(box.owner, box.text, box.caption, box.type);
  });
}

MessageBoxPrinter::~MessageBoxPrinter() { plat::win::SetMessageBoxHook(std::move(g_previousHook)); }

}  // namespace drev::host
