// ScriptEngine: the page's JavaScript (Duktape), with the page objects as globals, alert, and event
// handlers that the page objects' events call.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/PageOutput.h"
#include "host/ScriptObject.h"
#include "platform/com/variant.h"

struct duk_hthread;

namespace drev::host {

// Everything runs on the thread that made the engine. Script errors never escape: each one is
// printed as a "script error at line N" line (lines are the page's own) and counted.
class ScriptEngine {
 public:
  // `fileName` names the page in the engine's stack traces.
  ScriptEngine(PageOutput& output, std::string fileName);
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Makes `object` a global under its id (and findable with document.getElementById). Its members go
  // through its dispatch interface: reading a property, writing it, calling a method, and
  // attachEvent(name, function) / detachEvent(name, function) for its events. `object` must outlive
  // the engine.
  void AddObject(ScriptObject& object);

  // Makes a form control findable with document.getElementById(id): an object with `id` and a
  // `value` property read through `get` and written through `set` (UTF-8 text; a value written is
  // first turned into text, as String() does). An element added under an id that an object or
  // another element already has is found instead of it.
  struct ElementValue {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
  };
  void AddElement(const std::string& id, ElementValue value);

  // What window.close() does; without a handler it does nothing.
  void SetCloseHandler(std::function<void()> handler) { close_ = std::move(handler); }

  // Runs a script block whose first line is line `firstLine` of the page. False after a script error.
  bool Run(std::string_view source, int firstLine);

  // Evaluates `source` (as --eval does): the result's text, or nullopt for undefined. `ok` tells
  // whether it ran without a script error.
  std::optional<std::string> Eval(std::string_view source, bool* ok);

  // Compiles the handler block of <script for=... event="Name(params)"> into a function of
  // `params`; its body's first line is `firstLine`. The handler's reference, or nullopt after a
  // script error.
  std::optional<int> CompileHandler(const std::vector<std::string>& params, std::string_view body, int firstLine);

  // Calls handler `ref` with the event's arguments. False after a script error in it, and when
  // handlers are already nested 100 deep (reported as a script error; the handler is not run).
  bool CallHandler(int ref, std::span<const plat::com::Variant> args);

  // Script errors so far.
  int ErrorCount() const { return errors_; }

  // ----- for the page objects' natives -----
  static ScriptEngine* From(duk_hthread* ctx);
  duk_hthread* Context() const { return ctx_; }
  PageOutput& Output() { return output_; }
  // Keeps the function at stack index `index` as a handler and returns its reference; the same
  // function kept twice gets the same reference.
  int KeepHandler(int index);
  // Prints a script error the host found itself (an unreadable script file, an unknown event
  // target) and counts it.
  void Report(int line, std::string_view message);

 private:
  // Reports the error value on top of the stack (and pops it); `fallbackLine` when it has no line.
  void ReportError(int fallbackLine);
  // Compiles `source` padded so that its first line is `firstLine`, and runs it; the result stays
  // on the stack on success. False (nothing left on the stack) after a reported error.
  bool CompileAndRun(std::string_view source, int firstLine, unsigned flags, const std::string& fileName);

  friend struct EngineNatives;

  PageOutput& output_;
  std::string fileName_;
  std::vector<std::unique_ptr<ElementValue>> elements_;
  std::function<void()> close_;
  duk_hthread* ctx_ = nullptr;
  int errors_ = 0;
  int handlerCount_ = 0;
  int handlerDepth_ = 0;  // handler calls under way, one inside another
};

}  // namespace drev::host
