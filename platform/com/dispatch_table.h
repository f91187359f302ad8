// DispatchTable: an object's script members by dispatch id and name, with the argument conversions.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/dispatch_binding.h"

namespace plat::com {

enum class MemberKind {
  Method,
  Property,
  Declared,  // named in the interface but not implemented: found by name, fails on use
};

struct DispatchMember {
  DISPID id = 0;
  std::string name;                     // ASCII, matched without regard to letter case
  MemberKind kind = MemberKind::Method;
  std::vector<VARTYPE> params;          // a method's declared parameter types, in call order
  std::vector<std::string> paramNames;  // optional; GetIDsOfNames maps them to positions
  VARTYPE type = VT_EMPTY;              // a method's result type, or a property's type
  DispatchHandler call;                 // Method
  DispatchHandler get;                  // Property; receives no arguments
  DispatchHandler put;                  // Property; receives the new value; empty when read-only
};

// An object keeps one table and forwards IDispatch::GetIDsOfNames and Invoke to it. Members are
// added once, when the object is made; calls come on the object's own thread.
//
// Typed registration deduces the declared types from the handler's signature. Handlers take and
// return: std::string (text: script strings arrive converted to CP949 bytes, characters CP949 lacks
// become '?'; returned text is converted to a new UTF-16 string), std::int16_t, std::uint16_t,
// std::int32_t and bool (nonzero is true on entry; true is returned as -1, false as 0), or return
// void. Lambdas and Bind(this, &Class::Member) both serve.
class DispatchTable {
 public:
  // A method: table.Method(29, "GetFileCount", [this](std::string key) -> std::int16_t {...}).
  template <class F>
  DispatchTable& Method(DISPID id, std::string name, F handler, std::vector<std::string> paramNames = {}) {
    using S = binding::Signature<F>;
    DispatchMember m{id, std::move(name), MemberKind::Method, binding::ArgTypes<typename S::Args>::Get(),
                     std::move(paramNames), binding::TypeOf<typename S::Result>::vt,
                     binding::Wrap(std::move(handler)), {}, {}};
    return Add(std::move(m));
  }

  // A property with a getter `T()` and a setter `void(T)` of the same type T.
  template <class G, class P>
  DispatchTable& Property(DISPID id, std::string name, G getter, P setter) {
    using T = typename binding::Signature<G>::Result;
    static_assert(std::is_same_v<typename binding::Signature<P>::Args, std::tuple<T>>,
                  "setter must take the getter's type");
    DispatchMember m{id, std::move(name), MemberKind::Property, {}, {}, binding::TypeOf<T>::vt, {},
                     binding::Wrap(std::move(getter)), binding::Wrap(std::move(setter))};
    return Add(std::move(m));
  }

  // A property that scripts may read but not write.
  template <class G>
  DispatchTable& ReadOnlyProperty(DISPID id, std::string name, G getter) {
    using T = typename binding::Signature<G>::Result;
    DispatchMember m{id, std::move(name), MemberKind::Property, {}, {}, binding::TypeOf<T>::vt, {},
                     binding::Wrap(std::move(getter)), {}};
    return Add(std::move(m));
  }

  // A name the interface declares without behaviour: GetIDsOfNames finds it, Invoke answers
  // DISP_E_MEMBERNOTFOUND.
  DispatchTable& Declared(DISPID id, std::string name, VARTYPE type = VT_EMPTY);

  // Adds a member as it stands. A second member with the same id or name (letter case ignored) is
  // a programming error: std::invalid_argument.
  DispatchTable& Add(DispatchMember member);

  // IDispatch::GetIDsOfNames over the table (see dispatch.h): member names, then that member's
  // parameter names; DISP_E_UNKNOWNNAME for a name not found; E_INVALIDARG for no names; E_POINTER
  // for null ids.
  HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, DISPID* ids) const;

  // IDispatch::Invoke over the table (see dispatch.h). Each argument is converted to its declared
  // type by ChangeType; a failure returns ChangeType's code (DISP_E_TYPEMISMATCH, or DISP_E_OVERFLOW
  // for a number out of range) with *argErr at the argument's position. Missing members,
  // declared-only members, a get of a method, a call of a property and a put of a read-only property
  // give DISP_E_MEMBERNOTFOUND; a wrong argument count DISP_E_BADPARAMCOUNT; a handler that throws
  // DISP_E_EXCEPTION with the exception's text in excepInfo->bstrDescription.
  HRESULT Invoke(DISPID id, WORD flags, std::span<const Variant> args, Variant* result,
                 EXCEPINFO* excepInfo, UINT* argErr) const;

  // The member with that id, or nullptr.
  const DispatchMember* Find(DISPID id) const;
  const std::vector<DispatchMember>& Members() const { return members_; }

 private:
  const DispatchMember* FindByName(std::u16string_view name) const;
  std::vector<DispatchMember> members_;
};

}  // namespace plat::com
