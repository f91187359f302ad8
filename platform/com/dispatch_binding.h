// How C++ handler signatures map to dispatch types: the typed side of a DispatchTable.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/variant.h"

namespace plat::com {

// A member's behaviour once its arguments have been converted: args[i] has exactly the i-th
// declared type, and *result must be set to a value of the declared result type (or left empty
// for void). Returns S_OK or an error code; a thrown exception becomes DISP_E_EXCEPTION.
using DispatchHandler = std::function<HRESULT(std::span<const Variant> args, Variant* result)>;

// A text argument in CP949 that also says whether the conversion kept every character: a handler
// that must not act on a changed text (a file path that now names another file) takes this type.
struct CheckedText {
  std::string text;       // CP949; characters CP949 lacks became '?'
  bool lossless = true;   // no character was replaced
};

namespace binding {

// The C++ types a typed handler may take and return, and their dispatch types: CP949 byte strings
// for text, fixed-width integers, bool.
template <class T> struct TypeOf;
template <> struct TypeOf<void> { static constexpr VARTYPE vt = VT_EMPTY; };
template <> struct TypeOf<std::string> { static constexpr VARTYPE vt = VT_BSTR; };
template <> struct TypeOf<CheckedText> { static constexpr VARTYPE vt = VT_BSTR; };
template <> struct TypeOf<std::int16_t> { static constexpr VARTYPE vt = VT_I2; };
template <> struct TypeOf<std::uint16_t> { static constexpr VARTYPE vt = VT_UI2; };
template <> struct TypeOf<std::int32_t> { static constexpr VARTYPE vt = VT_I4; };
template <> struct TypeOf<bool> { static constexpr VARTYPE vt = VT_BOOL; };

// Converted argument to C++ value (the Variant already has the declared type).
std::string TextFrom(const Variant& v);  // UTF-16 to CP949; characters CP949 lacks become '?'
CheckedText CheckedTextFrom(const Variant& v);
template <class T>
T From(const Variant& v) {
  if constexpr (std::is_same_v<T, std::string>) return TextFrom(v);
  else if constexpr (std::is_same_v<T, CheckedText>) return CheckedTextFrom(v);
  else if constexpr (std::is_same_v<T, std::int16_t>) return v.iVal();
  else if constexpr (std::is_same_v<T, std::uint16_t>) return v.uiVal();
  else if constexpr (std::is_same_v<T, std::int32_t>) return v.lVal();
  else return v.boolVal() != VARIANT_FALSE;
}

// C++ result to Variant: text to a new UTF-16 string, true to -1, false to 0.
Variant TextTo(const std::string& cp949);
template <class T>
Variant To(const T& value) {
  if constexpr (std::is_same_v<T, std::string>) return TextTo(value);
  else if constexpr (std::is_same_v<T, std::int16_t>) return Variant::I2(value);
  else if constexpr (std::is_same_v<T, std::uint16_t>) return Variant::UI2(value);
  else if constexpr (std::is_same_v<T, std::int32_t>) return Variant::I4(value);
  else return Variant::Bool(value);
}

// The signature of a lambda, function object or function pointer.
template <class F> struct Signature : Signature<decltype(&F::operator())> {};
template <class R, class... A> struct Signature<R (*)(A...)> {
  using Result = R;
  using Args = std::tuple<std::decay_t<A>...>;
};
template <class C, class R, class... A> struct Signature<R (C::*)(A...) const> : Signature<R (*)(A...)> {};
template <class C, class R, class... A> struct Signature<R (C::*)(A...)> : Signature<R (*)(A...)> {};

template <class Tuple> struct ArgTypes;
template <class... A> struct ArgTypes<std::tuple<A...>> {
  static std::vector<VARTYPE> Get() { return {TypeOf<A>::vt...}; }
};

template <class F, class... A, std::size_t... I>
HRESULT CallTyped(F& f, std::span<const Variant> args, Variant* result, std::tuple<A...>*,
                  std::index_sequence<I...>) {
  using R = typename Signature<F>::Result;
  if constexpr (std::is_void_v<R>) {
    f(From<A>(args[I])...);
    if (result) *result = Variant();
  } else {
    R value = f(From<A>(args[I])...);
    if (result) *result = To<R>(value);
  }
  return S_OK;
}

// Wraps a typed callable into a DispatchHandler.
template <class F>
DispatchHandler Wrap(F f) {
  using Args = typename Signature<F>::Args;
  return [f = std::move(f)](std::span<const Variant> args, Variant* result) mutable -> HRESULT {
    return CallTyped(f, args, result, static_cast<Args*>(nullptr),
                     std::make_index_sequence<std::tuple_size_v<Args>>());
  };
}

}  // namespace binding

// A member function bound to its object, for table registration: Bind(this, &CMyCtrl::GetCount).
template <class C, class R, class... A>
auto Bind(C* object, R (C::*fn)(A...)) {
  return [object, fn](A... a) -> R { return (object->*fn)(std::forward<A>(a)...); };
}
template <class C, class R, class... A>
auto Bind(const C* object, R (C::*fn)(A...) const) {
  return [object, fn](A... a) -> R { return (object->*fn)(std::forward<A>(a)...); };
}

}  // namespace plat::com
