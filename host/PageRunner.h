// PageRunner: one page brought to life — its objects made through the registry and placed in host
// windows, their events printed and handed to the page's handlers, and its scripts run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/ControlHost.h"
#include "host/HtmlPage.h"
#include "host/ModuleLoader.h"
#include "host/PageOutput.h"
#include "host/ScriptEngine.h"
#include "host/ScriptObject.h"

namespace drev::host {

class PageRunner {
 public:
  explicit PageRunner(PageOutput& output);
  // Disconnects the events, ends the script engine, then releases the objects and their windows.
  ~PageRunner();
  PageRunner(const PageRunner&) = delete;
  PageRunner& operator=(const PageRunner&) = delete;

  // Makes each <object classid="clsid:..."> of the page, in document order: its class factory through
  // the registry, the object, its events connected (printed as "event" lines), its <param>s loaded
  // through its property bag, and its window at the element's size in a host window of its own (a
  // child of `parent` when given, else a top-level one). Objects without a classid are passed over.
  // False at the first object that cannot be made, with `failure` and `error` (a sentence naming
  // the object) set.
  bool CreateObjects(const Page& page, CreateFailure* failure, std::string* error,
                     plat::win::HWND parent = nullptr);

  // Makes the objects globals of the script and the page's form controls findable by id, connects
  // the <script for= event=> handlers, then runs the other JavaScript blocks in document order.
  // Script errors are printed and counted; the run goes on after them, as a browser's does.
  void RunScripts(const Page& page);

  // Where the value of form control `index` (of Page::controls) lives: by default in the runner,
  // starting from the page's value; a page on screen binds its controls' windows instead. Set
  // before RunScripts.
  using ControlBinder = std::function<ScriptEngine::ElementValue(std::size_t index)>;
  void SetControlBinder(ControlBinder binder) { binder_ = std::move(binder); }

  ScriptEngine& Engine() { return *engine_; }
  int ScriptErrors() const { return engine_->ErrorCount(); }

  // The page's first object, which the host's actions act on; null when the page has none.
  ControlHost* FirstObject() const { return objects_.empty() ? nullptr : objects_.front()->host.get(); }
  // The object made for element `index` of Page::objects; null for one passed over.
  ControlHost* ObjectOf(std::size_t elementIndex) const;

  // Asks the loaded modules whether they could be unloaded now.
  plat::HRESULT CanUnloadModules() const { return modules_.CanUnloadNow(); }

 private:
  struct Hosted {
    std::size_t element = 0;  // its index in Page::objects
    std::unique_ptr<ControlHost> host;
    std::unique_ptr<ScriptObject> script;
  };
  bool CreateObject(const PageObject& element, CreateFailure* failure, std::string* error, plat::win::HWND parent);
  void ConnectHandler(const PageScript& block);
  void RunBlock(const PageScript& block);
  void OnEvent(ScriptObject& object, const RecordedEvent& event);
  ScriptObject* FindObject(const std::string& id) const;

  PageOutput& output_;
  ModuleSet modules_;
  std::vector<std::unique_ptr<Hosted>> objects_;
  std::unique_ptr<ScriptEngine> engine_;
  std::thread::id pageThread_;
  ControlBinder binder_;
  std::vector<std::string> values_;  // the controls' values when no binder keeps them
};

// An event as its "event" line shows it: Name("text", 42, -1) — texts quoted, numbers bare.
std::string FormatEvent(const std::string& name, const std::vector<plat::com::Variant>& args);

}  // namespace drev::host
