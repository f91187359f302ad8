// The Proxy traps and member functions that turn script access into IDispatch calls.
//
// Duktape reports script errors by longjmp, which would skip C++ destructors. So every native here is
// split in two: a C++ part that does the work and leaves either its result or an error object on the
// stack, and a plain part that returns the result or throws the error once no C++ object is alive.
#include "host/DispatchProxy.h"

#include <duktape.h>

#include <string>
#include <vector>

#include "host/ScriptEngine.h"
#include "host/ScriptText.h"
#include "host/ScriptValues.h"
#include "platform/com/hresult.h"

namespace drev::host {

namespace pc = plat::com;

namespace {

constexpr duk_ret_t kThrow = -1000;  // the C++ part left an error object to throw
constexpr const char* kObjectKey = DUK_HIDDEN_SYMBOL("drevObject");
constexpr const char* kNameKey = DUK_HIDDEN_SYMBOL("drevName");

duk_ret_t Finish(duk_context* ctx, duk_ret_t result) {
  if (result == kThrow) return duk_throw(ctx);
  return result;
}

duk_ret_t PushError(duk_context* ctx, const std::string& message) {
  std::string bytes = Utf16ToCesu8(Cesu8ToUtf16(message));
  duk_push_error_object_raw(ctx, DUK_ERR_TYPE_ERROR, nullptr, 0, "%s", bytes.c_str());
  return kThrow;
}

std::string Describe(plat::HRESULT hr, const pc::EXCEPINFO& excep) {
  std::string what;
  if (hr == pc::DISP_E_EXCEPTION && !excep.bstrDescription.empty()) return Utf16ToUtf8(excep.bstrDescription);
  if (hr == pc::DISP_E_MEMBERNOTFOUND || hr == pc::DISP_E_UNKNOWNNAME) what = "member not found";
  else if (hr == pc::DISP_E_BADPARAMCOUNT) what = "wrong number of arguments";
  else if (hr == pc::DISP_E_TYPEMISMATCH) what = "type mismatch";
  else if (hr == pc::DISP_E_OVERFLOW) what = "overflow";
  else what = "call failed";
  return what + " (" + pc::HResultName(hr) + ")";
}

duk_ret_t PushCallError(duk_context* ctx, const ScriptObject& object, const std::string& name, plat::HRESULT hr,
                        const pc::EXCEPINFO& excep) {
  return PushError(ctx, object.Id() + "." + name + ": " + Describe(hr, excep));
}

ScriptObject* ObjectAt(duk_context* ctx, duk_idx_t index) {
  duk_get_prop_string(ctx, index, kObjectKey);
  auto* object = static_cast<ScriptObject*>(duk_get_pointer(ctx, -1));
  duk_pop(ctx);
  return object;
}

// The object and member name a member function was made for.
ScriptObject* CurrentFunction(duk_context* ctx, std::string* name) {
  duk_push_current_function(ctx);
  ScriptObject* object = ObjectAt(ctx, -1);
  duk_get_prop_string(ctx, -1, kNameKey);
  if (name) *name = duk_get_string_default(ctx, -1, "");
  duk_pop_2(ctx);
  return object;
}

std::string KeyName(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* text = duk_get_lstring(ctx, index, &length);
  return std::string(text ? text : "", length);
}

bool IsPlainKey(duk_context* ctx, duk_idx_t index) { return duk_is_string(ctx, index) && !duk_is_symbol(ctx, index); }

// ----- member functions -----

duk_ret_t CallMemberWork(duk_context* ctx) {
  std::string name;
  ScriptObject* object = CurrentFunction(ctx, &name);
  if (!object) return PushError(ctx, "member function without its object");
  pc::DISPID id = object->IdOf(name);
  std::vector<pc::Variant> args;
  for (duk_idx_t i = 0, n = duk_get_top(ctx); i < n; ++i) args.push_back(ToVariant(ctx, i));
  pc::Variant result;
  pc::EXCEPINFO excep;
  plat::UINT argErr = 0;
  plat::HRESULT hr = id == pc::DISPID_UNKNOWN
                       ? pc::DISP_E_UNKNOWNNAME
                       : object->Dispatch()->Invoke(id, pc::DISPATCH_METHOD | pc::DISPATCH_PROPERTYGET, args, &result,
                                                    &excep, &argErr);
  if (pc::FAILED(hr)) return PushCallError(ctx, *object, name, hr, excep);
  PushVariant(ctx, result);
  return 1;
}
duk_ret_t CallMember(duk_context* ctx) { return Finish(ctx, CallMemberWork(ctx)); }

// attachEvent(name, fn) / detachEvent(name, fn): true when the handler was connected or removed.
duk_ret_t EventBindingWork(duk_context* ctx, bool attach) {
  std::string method;
  ScriptObject* object = CurrentFunction(ctx, &method);
  ScriptEngine* engine = ScriptEngine::From(ctx);
  if (!object || !engine) return PushError(ctx, method + " without its object");
  std::optional<std::string> event = duk_is_string(ctx, 0) ? object->EventName(KeyName(ctx, 0)) : std::nullopt;
  bool done = false;
  if (event && duk_is_callable(ctx, 1)) {
    int ref = engine->KeepHandler(1);
    if (attach) object->AddHandler(*event, ref), done = true;
    else done = object->RemoveHandler(*event, ref);
  }
  duk_push_boolean(ctx, done);
  return 1;
}
duk_ret_t AttachEvent(duk_context* ctx) { return Finish(ctx, EventBindingWork(ctx, true)); }
duk_ret_t DetachEvent(duk_context* ctx) { return Finish(ctx, EventBindingWork(ctx, false)); }

// Pushes the function for member `name` of the object whose Proxy target is at `target`, made once
// and kept on the target.
void PushMemberFunction(duk_context* ctx, duk_idx_t target, ScriptObject& object, const std::string& name,
                        duk_c_function function) {
  const std::string cacheKey = std::string(DUK_HIDDEN_SYMBOL("fn:")) + name;
  if (duk_get_prop_lstring(ctx, target, cacheKey.data(), cacheKey.size())) return;
  duk_pop(ctx);
  duk_push_c_function(ctx, function, DUK_VARARGS);
  duk_push_pointer(ctx, &object);
  duk_put_prop_string(ctx, -2, kObjectKey);
  duk_push_lstring(ctx, name.data(), name.size());
  duk_put_prop_string(ctx, -2, kNameKey);
  duk_dup_top(ctx);
  duk_put_prop_lstring(ctx, target, cacheKey.data(), cacheKey.size());
}

// ----- Proxy traps: (target, key[, value], receiver) -----

duk_ret_t GetWork(duk_context* ctx) {
  ScriptObject* object = ObjectAt(ctx, 0);
  if (!object || !IsPlainKey(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    return 1;
  }
  const std::string name = KeyName(ctx, 1);
  if (name == "attachEvent" || name == "detachEvent") {
    PushMemberFunction(ctx, 0, *object, name, name == "attachEvent" ? AttachEvent : DetachEvent);
    return 1;
  }
  const ScriptObject::MemberKind kind = object->KindOf(name);
  const pc::DISPID id = object->IdOf(name);
  if (id == pc::DISPID_UNKNOWN) {
    // Names every script object has (toString, valueOf, constructor, ...) keep their meaning.
    if (kind == ScriptObject::MemberKind::kUnknown && duk_has_prop_lstring(ctx, 0, name.data(), name.size())) {
      duk_get_prop_lstring(ctx, 0, name.data(), name.size());
      return 1;
    }
    return PushCallError(ctx, *object, name, pc::DISP_E_UNKNOWNNAME, {});
  }
  if (kind == ScriptObject::MemberKind::kMethod) {
    PushMemberFunction(ctx, 0, *object, name, CallMember);
    return 1;
  }
  pc::Variant value;
  pc::EXCEPINFO excep;
  plat::UINT argErr = 0;
  plat::HRESULT hr = object->Dispatch()->Invoke(id, pc::DISPATCH_PROPERTYGET, {}, &value, &excep, &argErr);
  // A member the library does not describe and the object answers only as a method.
  if (hr == pc::DISP_E_MEMBERNOTFOUND && kind == ScriptObject::MemberKind::kUnknown) {
    PushMemberFunction(ctx, 0, *object, name, CallMember);
    return 1;
  }
  if (pc::FAILED(hr)) return PushCallError(ctx, *object, name, hr, excep);
  PushVariant(ctx, value);
  return 1;
}
duk_ret_t Get(duk_context* ctx) { return Finish(ctx, GetWork(ctx)); }

duk_ret_t SetWork(duk_context* ctx) {
  ScriptObject* object = ObjectAt(ctx, 0);
  if (!object || !IsPlainKey(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_dup(ctx, 2);
    duk_put_prop(ctx, 0);
    duk_push_true(ctx);
    return 1;
  }
  const std::string name = KeyName(ctx, 1);
  const pc::DISPID id = object->IdOf(name);
  plat::HRESULT hr = pc::DISP_E_UNKNOWNNAME;
  pc::EXCEPINFO excep;
  if (id != pc::DISPID_UNKNOWN) {
    pc::Variant args[] = {ToVariant(ctx, 2)};
    plat::UINT argErr = 0;
    hr = object->Dispatch()->Invoke(id, pc::DISPATCH_PROPERTYPUT, args, nullptr, &excep, &argErr);
  }
  if (pc::FAILED(hr)) return PushCallError(ctx, *object, name, hr, excep);
  duk_push_true(ctx);
  return 1;
}
duk_ret_t Set(duk_context* ctx) { return Finish(ctx, SetWork(ctx)); }

duk_ret_t HasWork(duk_context* ctx) {
  ScriptObject* object = ObjectAt(ctx, 0);
  bool has = false;
  if (object && IsPlainKey(ctx, 1)) {
    const std::string name = KeyName(ctx, 1);
    has = name == "attachEvent" || name == "detachEvent" || object->IdOf(name) != pc::DISPID_UNKNOWN;
  }
  if (!has) {
    duk_dup(ctx, 1);
    has = duk_has_prop(ctx, 0);
  }
  duk_push_boolean(ctx, has);
  return 1;
}
duk_ret_t Has(duk_context* ctx) { return Finish(ctx, HasWork(ctx)); }

}  // namespace

void PushDispatchProxy(duk_context* ctx, ScriptObject& object) {
  duk_push_object(ctx);  // the target: holds the object and the member functions made for it
  duk_push_pointer(ctx, &object);
  duk_put_prop_string(ctx, -2, kObjectKey);
  duk_push_object(ctx);  // the handler
  duk_push_c_function(ctx, Get, 3);
  duk_put_prop_string(ctx, -2, "get");
  duk_push_c_function(ctx, Set, 4);
  duk_put_prop_string(ctx, -2, "set");
  duk_push_c_function(ctx, Has, 2);
  duk_put_prop_string(ctx, -2, "has");
  duk_push_proxy(ctx, 0);
}

}  // namespace drev::host
