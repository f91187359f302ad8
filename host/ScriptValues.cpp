// Conversions between Duktape values and dispatch values.
#include "host/ScriptValues.h"

#include <duktape.h>

#include <cmath>
#include <limits>

#include "host/ScriptText.h"

namespace drev::host {

namespace pc = plat::com;

namespace {

bool IsInt32(double d) {
  return std::isfinite(d) && std::trunc(d) == d && d >= std::numeric_limits<std::int32_t>::min() &&
         d <= std::numeric_limits<std::int32_t>::max() && !(d == 0 && std::signbit(d));
}

std::string SafeString(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* text = duk_safe_to_lstring(ctx, index, &length);
  return std::string(text ? text : "", length);
}

}  // namespace

pc::Variant ToVariant(duk_context* ctx, int index) {
  index = duk_normalize_index(ctx, index);
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NONE:
    case DUK_TYPE_UNDEFINED:
    case DUK_TYPE_NULL:
      return pc::Variant();
    case DUK_TYPE_BOOLEAN:
      return pc::Variant::Bool(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER: {
      double d = duk_get_number(ctx, index);
      return IsInt32(d) ? pc::Variant::I4(static_cast<std::int32_t>(d)) : pc::Variant::R8(d);
    }
    case DUK_TYPE_STRING: {
      duk_size_t length = 0;
      const char* text = duk_get_lstring(ctx, index, &length);
      return pc::Variant::Bstr(Cesu8ToUtf16(std::string_view(text, length)));
    }
    default: {
      duk_dup(ctx, index);
      std::string text = SafeString(ctx, -1);
      duk_pop(ctx);
      return pc::Variant::Bstr(Cesu8ToUtf16(text));
    }
  }
}

void PushVariant(duk_context* ctx, const pc::Variant& value) {
  switch (value.vt()) {
    case pc::VT_I2: duk_push_int(ctx, value.iVal()); break;
    case pc::VT_UI2: duk_push_uint(ctx, value.uiVal()); break;
    case pc::VT_I4: duk_push_int(ctx, value.lVal()); break;
    case pc::VT_R8: duk_push_number(ctx, value.dblVal()); break;
    case pc::VT_BOOL: duk_push_boolean(ctx, value.boolVal() != 0); break;
    case pc::VT_BSTR: {
      std::string bytes = Utf16ToCesu8(value.bstrVal());
      duk_push_lstring(ctx, bytes.data(), bytes.size());
      break;
    }
    default: duk_push_undefined(ctx); break;
  }
}

std::string ValueText(duk_context* ctx, int index) {
  duk_dup(ctx, index);
  std::string text = SafeString(ctx, -1);
  duk_pop(ctx);
  return Cesu8ToUtf8(text);
}

}  // namespace drev::host
