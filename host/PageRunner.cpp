// Creating a page's objects, connecting their events to the page's handlers, and running its scripts.
#include "host/PageRunner.h"

#include <filesystem>

#include "host/FileBytes.h"
#include "host/ScriptText.h"

namespace drev::host {

namespace pc = plat::com;
namespace pw = plat::win;

PageRunner::PageRunner(PageOutput& output) : output_(output), pageThread_(std::this_thread::get_id()) {}

PageRunner::~PageRunner() {
  for (auto& object : objects_) object->host->Events().onEvent = nullptr;
  engine_.reset();
  // Objects go in reverse order of creation, each with its windows.
  while (!objects_.empty()) objects_.pop_back();
}

bool PageRunner::CreateObjects(const Page& page, CreateFailure* failure, std::string* error, pw::HWND parent) {
  engine_ = std::make_unique<ScriptEngine>(output_, std::filesystem::path(page.path).filename().string());
  for (std::size_t i = 0; i < page.objects.size(); ++i) {
    const PageObject& element = page.objects[i];
    if (element.classid.empty()) continue;
    if (!CreateObject(element, failure, error, parent)) return false;
    objects_.back()->element = i;
  }
  return true;
}

ControlHost* PageRunner::ObjectOf(std::size_t elementIndex) const {
  for (const auto& object : objects_)
    if (object->element == elementIndex) return object->host.get();
  return nullptr;
}

bool PageRunner::CreateObject(const PageObject& element, CreateFailure* failure, std::string* error,
                              pw::HWND parent) {
  const std::string name = "object " + (element.id.empty() ? std::string("(no id)") : "\"" + element.id + "\"") +
                           " at line " + std::to_string(element.line);
  const auto fail = [&](CreateFailure why, const std::string& text) {
    *failure = why;
    *error = name + ": " + text;
    return false;
  };
  std::optional<pc::CLSID> clsid = ParseClassId(element.classid);
  if (!clsid) return fail(CreateFailure::kClassNotRegistered, "classid \"" + element.classid + "\" is not a clsid");
  std::string why;
  auto factory = modules_.GetFactory(*clsid, failure, &why);
  if (!factory) return fail(*failure, why);

  auto hosted = std::make_unique<Hosted>();
  hosted->host = std::make_unique<ControlHost>(factory.Get());
  if (!hosted->host->ok())
    return fail(CreateFailure::kFactoryFailed, "the class factory made no object (" +
                                                   pc::HResultName(hosted->host->CreateResult()) + ")");
  std::optional<ClassTypeInfo> types = FindClassTypeInfo(*clsid);
  hosted->script = std::make_unique<ScriptObject>(
      element.id, hosted->host->Dispatch(), types ? types->dispatch : std::nullopt,
      types ? types->events : std::nullopt);
  ScriptObject& script = *hosted->script;
  if (types && types->events && hosted->host->ConnectEvents(types->events->iid, *types->events)) {
    hosted->host->Events().onEvent = [this, &script](const RecordedEvent& event) { OnEvent(script, event); };
  } else {
    std::fprintf(stderr, "drevhost: %s: events not connected (no registered event interface)\n", name.c_str());
  }
  plat::HRESULT hr = hosted->host->LoadProperties(element.params);
  if (pc::FAILED(hr)) return fail(CreateFailure::kFactoryFailed, "loading its <param>s failed (" + pc::HResultName(hr) + ")");
  hr = hosted->host->CreateWindows(element.width, element.height, parent);
  if (pc::FAILED(hr)) return fail(CreateFailure::kFactoryFailed, "its window could not be made (" + pc::HResultName(hr) + ")");
  objects_.push_back(std::move(hosted));
  return true;
}

ScriptObject* PageRunner::FindObject(const std::string& id) const {
  for (const auto& object : objects_) {
    if (object->script->Id() == id) return object->script.get();
  }
  return nullptr;
}

void PageRunner::OnEvent(ScriptObject& object, const RecordedEvent& event) {
  output_.Event(FormatEvent(event.name, event.args));
  // The script engine belongs to the page's thread; an event fired elsewhere is only reported.
  if (!engine_ || std::this_thread::get_id() != pageThread_) return;
  for (int ref : object.HandlersOf(event.name)) engine_->CallHandler(ref, event.args);
}

void PageRunner::RunScripts(const Page& page) {
  values_.clear();
  for (const PageControl& control : page.controls) values_.push_back(control.value);
  for (std::size_t i = 0; i < page.controls.size(); ++i) {
    if (page.controls[i].id.empty()) continue;
    if (binder_) {
      engine_->AddElement(page.controls[i].id, binder_(i));
    } else {
      engine_->AddElement(page.controls[i].id, {[this, i] { return values_[i]; },
                                                [this, i](const std::string& value) { values_[i] = value; }});
    }
  }
  for (auto& object : objects_) engine_->AddObject(*object->script);
  for (const PageScript& block : page.scripts) {
    if (!block.forId.empty() || !block.event.empty()) ConnectHandler(block);
  }
  for (const PageScript& block : page.scripts) {
    if (block.forId.empty() && block.event.empty()) RunBlock(block);
  }
}

void PageRunner::ConnectHandler(const PageScript& block) {
  if (!IsJavaScript(block.language)) {
    engine_->Report(block.line, "script language \"" + block.language + "\" is not supported");
    return;
  }
  ScriptObject* object = FindObject(block.forId);
  if (!object) {
    engine_->Report(block.line, "<script for=\"" + block.forId + "\">: the page has no object with that id");
    return;
  }
  std::optional<EventSignature> signature = ParseEventSignature(block.event);
  std::optional<std::string> event = signature ? object->EventName(signature->name) : std::nullopt;
  if (!event) {
    engine_->Report(block.line, "<script for=\"" + block.forId + "\" event=\"" + block.event +
                                    "\">: the object has no such event");
    return;
  }
  if (auto ref = engine_->CompileHandler(signature->params, block.text, block.line)) object->AddHandler(*event, *ref);
}

void PageRunner::RunBlock(const PageScript& block) {
  if (!IsJavaScript(block.language)) {
    engine_->Report(block.line, "script language \"" + block.language + "\" is not supported");
    return;
  }
  if (block.src.empty()) {
    engine_->Run(block.text, block.line);
    return;
  }
  std::string why;
  std::optional<std::string> text = ReadFileBytes(block.src, &why);
  if (!text) {
    engine_->Report(block.line, "cannot read script " + block.src + ": " + why);
    return;
  }
  engine_->Run(*text, 1);
}

std::string FormatEvent(const std::string& name, const std::vector<pc::Variant>& args) {
  std::string text = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i) text += ", ";
    const pc::Variant& a = args[i];
    pc::Variant shown;
    if (a.vt() == pc::VT_BSTR) text += QuoteForLine(Utf16ToUtf8(a.bstrVal()));
    else if (a.vt() == pc::VT_I4) text += std::to_string(a.lVal());  // what the text conversion gives
    else if (pc::SUCCEEDED(pc::ChangeType(a, pc::VT_BSTR, &shown))) text += Utf16ToUtf8(shown.bstrVal());
  }
  return text + ")";
}

}  // namespace drev::host
