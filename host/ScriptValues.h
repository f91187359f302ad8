// Script values to dispatch values and back, at the Duktape stack.
#pragma once

#include "platform/com/variant.h"

struct duk_hthread;

namespace drev::host {

// The value at stack index `index` as a dispatch value: undefined and null are empty; booleans stay
// booleans; numbers that are whole and fit 32 bits become VT_I4, other numbers VT_R8; strings become
// UTF-16 strings unit for unit; anything else its string form. Never throws into the script.
plat::com::Variant ToVariant(duk_hthread* ctx, int index);

// Pushes a dispatch value: empty as undefined, numbers as numbers, booleans (nonzero is true) as
// booleans, strings unit for unit.
void PushVariant(duk_hthread* ctx, const plat::com::Variant& value);

// The text of the value at `index` as String(value) gives it, in UTF-8; the conversion's own error
// (a throwing toString) gives that error's text instead. Never throws into the script.
std::string ValueText(duk_hthread* ctx, int index);

}  // namespace drev::host
