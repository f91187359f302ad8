// The Duktape heap of one page: globals, running blocks with the page's line numbers, event handlers,
// and the report of every script error.
#include "host/ScriptEngine.h"

#include <duktape.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/DispatchProxy.h"
#include "host/ScriptText.h"
#include "host/ScriptValues.h"

namespace drev::host {

namespace {

constexpr const char* kEngineKey = DUK_HIDDEN_SYMBOL("drevEngine");
constexpr const char* kHandlersKey = DUK_HIDDEN_SYMBOL("drevHandlers");
constexpr const char* kObjectsKey = DUK_HIDDEN_SYMBOL("drevObjects");
constexpr const char* kElementKey = DUK_HIDDEN_SYMBOL("drevElement");

// A handler that calls its object, whose event calls the handler again, nests native frames of the
// host and the object between every two handler calls. The engine refuses a call nested too deep
// by throwing from the call itself, past those frames and their destructors; the host refuses
// first, well within the engine's limit (about three engine levels per handler level).
constexpr int kMaxHandlerDepth = 100;

// Duktape calls this when it cannot go on (an error outside any protected call, or memory gone);
// the heap is unusable then, so the host stops with a message rather than running on broken state.
void Fatal(void*, const char* message) {
  std::fprintf(stderr, "drevhost: the script engine failed: %s\n", message ? message : "(no message)");
  std::abort();
}

duk_ret_t Alert(duk_context* ctx) {
  ScriptEngine* engine = ScriptEngine::From(ctx);
  if (engine) engine->Output().Alert(duk_get_top(ctx) > 0 ? ValueText(ctx, 0) : std::string());
  return 0;
}

// document.getElementById(id): the page object with that id, else null.
duk_ret_t GetElementById(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, kObjectsKey);
  duk_dup(ctx, 0);
  if (!duk_is_string(ctx, -1) || !duk_get_prop(ctx, -2)) duk_push_null(ctx);
  return 1;
}

}  // namespace

// The natives that reach the engine's own state.
struct EngineNatives {
  // The element of the called accessor (its index is kept on the function).
  static ScriptEngine::ElementValue* ElementOf(duk_context* ctx) {
    ScriptEngine* engine = ScriptEngine::From(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kElementKey);
    const auto index = static_cast<std::size_t>(duk_get_uint(ctx, -1));
    duk_pop_2(ctx);
    return engine && index < engine->elements_.size() ? engine->elements_[index].get() : nullptr;
  }
  static duk_ret_t GetValue(duk_context* ctx) {
    ScriptEngine::ElementValue* element = ElementOf(ctx);
    const std::string text = element && element->get ? element->get() : std::string();
    duk_push_lstring(ctx, text.data(), text.size());
    return 1;
  }
  static duk_ret_t SetValue(duk_context* ctx) {
    ScriptEngine::ElementValue* element = ElementOf(ctx);
    const std::string text = ValueText(ctx, 0);
    if (element && element->set) element->set(text);
    return 0;
  }
  static duk_ret_t Close(duk_context* ctx) {
    ScriptEngine* engine = ScriptEngine::From(ctx);
    if (engine && engine->close_) engine->close_();
    return 0;
  }
};

namespace {

void DefineGlobals(duk_context* ctx) {
  duk_push_global_object(ctx);
  duk_dup_top(ctx);
  duk_put_prop_string(ctx, -2, "window");
  duk_push_c_function(ctx, EngineNatives::Close, 0);
  duk_put_prop_string(ctx, -2, "close");
  duk_push_c_function(ctx, Alert, DUK_VARARGS);
  duk_put_prop_string(ctx, -2, "alert");
  duk_push_object(ctx);
  duk_push_c_function(ctx, GetElementById, 1);
  duk_put_prop_string(ctx, -2, "getElementById");
  duk_put_prop_string(ctx, -2, "document");
  duk_pop(ctx);
}

}  // namespace

ScriptEngine::ScriptEngine(PageOutput& output, std::string fileName)
    : output_(output), fileName_(std::move(fileName)) {
  ctx_ = duk_create_heap(nullptr, nullptr, nullptr, nullptr, Fatal);
  if (!ctx_) Fatal(nullptr, "no memory for a heap");
  duk_push_global_stash(ctx_);
  duk_push_pointer(ctx_, this);
  duk_put_prop_string(ctx_, -2, kEngineKey);
  duk_push_array(ctx_);
  duk_put_prop_string(ctx_, -2, kHandlersKey);
  duk_push_object(ctx_);
  duk_put_prop_string(ctx_, -2, kObjectsKey);
  duk_pop(ctx_);
  DefineGlobals(ctx_);
}

ScriptEngine::~ScriptEngine() { duk_destroy_heap(ctx_); }

ScriptEngine* ScriptEngine::From(duk_context* ctx) {
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, kEngineKey);
  auto* engine = static_cast<ScriptEngine*>(duk_get_pointer(ctx, -1));
  duk_pop_2(ctx);
  return engine;
}

void ScriptEngine::AddObject(ScriptObject& object) {
  PushDispatchProxy(ctx_, object);
  if (!object.Id().empty()) {
    duk_push_global_stash(ctx_);
    duk_get_prop_string(ctx_, -1, kObjectsKey);
    duk_dup(ctx_, -3);
    duk_put_prop_lstring(ctx_, -2, object.Id().data(), object.Id().size());
    duk_pop_2(ctx_);
    duk_push_global_object(ctx_);
    duk_dup(ctx_, -2);
    duk_put_prop_lstring(ctx_, -2, object.Id().data(), object.Id().size());
    duk_pop(ctx_);
  }
  duk_pop(ctx_);
}

void ScriptEngine::AddElement(const std::string& id, ElementValue value) {
  const auto index = static_cast<duk_uint_t>(elements_.size());
  elements_.push_back(std::make_unique<ElementValue>(std::move(value)));
  duk_push_global_stash(ctx_);
  duk_get_prop_string(ctx_, -1, kObjectsKey);
  duk_push_object(ctx_);
  duk_push_lstring(ctx_, id.data(), id.size());
  duk_put_prop_string(ctx_, -2, "id");
  duk_push_string(ctx_, "value");
  duk_push_c_function(ctx_, EngineNatives::GetValue, 0);
  duk_push_uint(ctx_, index);
  duk_put_prop_string(ctx_, -2, kElementKey);
  duk_push_c_function(ctx_, EngineNatives::SetValue, 1);
  duk_push_uint(ctx_, index);
  duk_put_prop_string(ctx_, -2, kElementKey);
  duk_def_prop(ctx_, -4, DUK_DEFPROP_HAVE_GETTER | DUK_DEFPROP_HAVE_SETTER | DUK_DEFPROP_SET_ENUMERABLE);
  duk_put_prop_lstring(ctx_, -2, id.data(), id.size());
  duk_pop_2(ctx_);
}

void ScriptEngine::ReportError(int fallbackLine) {
  int line = fallbackLine;
  if (duk_is_object(ctx_, -1)) {
    if (duk_get_prop_string(ctx_, -1, "lineNumber") && duk_is_number(ctx_, -1) && duk_get_int(ctx_, -1) > 0)
      line = duk_get_int(ctx_, -1);
    duk_pop(ctx_);
  }
  std::string message = ValueText(ctx_, -1);
  duk_pop(ctx_);
  ++errors_;
  output_.ScriptError(line, message);
}

bool ScriptEngine::CompileAndRun(std::string_view source, int firstLine, unsigned flags, const std::string& fileName) {
  // Blank lines ahead of the block make the engine count lines as the page does.
  std::string padded(firstLine > 1 ? static_cast<std::size_t>(firstLine - 1) : 0, '\n');
  padded += source;
  duk_push_lstring(ctx_, fileName.data(), fileName.size());
  if (duk_pcompile_lstring_filename(ctx_, flags, padded.data(), padded.size()) != 0) {
    ReportError(firstLine);
    return false;
  }
  if (duk_pcall(ctx_, 0) != DUK_EXEC_SUCCESS) {
    ReportError(firstLine);
    return false;
  }
  return true;
}

bool ScriptEngine::Run(std::string_view source, int firstLine) {
  if (!CompileAndRun(source, firstLine, 0, fileName_)) return false;
  duk_pop(ctx_);
  return true;
}

std::optional<std::string> ScriptEngine::Eval(std::string_view source, bool* ok) {
  bool ran = CompileAndRun(source, 1, DUK_COMPILE_EVAL, "--eval");
  if (ok) *ok = ran;
  if (!ran) return std::nullopt;
  std::optional<std::string> text;
  if (!duk_is_undefined(ctx_, -1)) text = ValueText(ctx_, -1);
  duk_pop(ctx_);
  return text;
}

std::optional<int> ScriptEngine::CompileHandler(const std::vector<std::string>& params, std::string_view body,
                                                int firstLine) {
  std::string source = "(function (";
  for (std::size_t i = 0; i < params.size(); ++i) source += (i ? ", " : "") + params[i];
  source += ") {";
  source += body;
  source += "\n})";
  if (!CompileAndRun(source, firstLine, DUK_COMPILE_EVAL, fileName_)) return std::nullopt;
  int ref = KeepHandler(-1);
  duk_pop(ctx_);
  return ref;
}

int ScriptEngine::KeepHandler(int index) {
  index = duk_normalize_index(ctx_, index);
  duk_push_global_stash(ctx_);
  duk_get_prop_string(ctx_, -1, kHandlersKey);
  const int count = handlerCount_;
  for (int ref = 0; ref < count; ++ref) {
    duk_get_prop_index(ctx_, -1, static_cast<duk_uarridx_t>(ref));
    bool same = duk_strict_equals(ctx_, -1, index);
    duk_pop(ctx_);
    if (same) {
      duk_pop_2(ctx_);
      return ref;
    }
  }
  duk_dup(ctx_, index);
  duk_put_prop_index(ctx_, -2, static_cast<duk_uarridx_t>(count));
  duk_pop_2(ctx_);
  return handlerCount_++;
}

void ScriptEngine::Report(int line, std::string_view message) {
  ++errors_;
  output_.ScriptError(line, message);
}

bool ScriptEngine::CallHandler(int ref, std::span<const plat::com::Variant> args) {
  if (handlerDepth_ >= kMaxHandlerDepth) {
    Report(0, "event handlers nested more than " + std::to_string(kMaxHandlerDepth) +
                  " deep (a handler that makes its own event fire again?): this one was not run");
    return false;
  }
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(handlerDepth_);
  duk_push_global_stash(ctx_);
  duk_get_prop_string(ctx_, -1, kHandlersKey);
  duk_get_prop_index(ctx_, -1, static_cast<duk_uarridx_t>(ref));
  duk_remove(ctx_, -2);
  duk_remove(ctx_, -2);
  for (const auto& arg : args) PushVariant(ctx_, arg);
  if (duk_pcall(ctx_, static_cast<duk_idx_t>(args.size())) != DUK_EXEC_SUCCESS) {
    ReportError(0);
    return false;
  }
  duk_pop(ctx_);
  return true;
}

}  // namespace drev::host
