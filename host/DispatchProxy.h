// The script object of a page object: a Proxy whose property reads, writes and calls go through the
// object's dispatch interface.
#pragma once

#include "host/ScriptObject.h"

struct duk_hthread;

namespace drev::host {

// Pushes a new Proxy for `object` (borrowed; it must outlive the script engine):
//   - reading a member the type library calls a method, or one the object answers only as a method,
//     gives a function that invokes it (DISPATCH_METHOD | DISPATCH_PROPERTYGET) with the call's
//     arguments;
//   - reading any other member invokes DISPATCH_PROPERTYGET; writing one DISPATCH_PROPERTYPUT;
//   - attachEvent(name, function) and detachEvent(name, function) connect and disconnect handlers
//     of the object's events (false for an unknown event or a non-function);
//   - a name the object does not know, or a call it refuses, throws a TypeError naming the object,
//     the member and the result code, e.g. "up.PID: member not found (DISP_E_MEMBERNOTFOUND
//     (0x80020003))"; the names every object has (toString, valueOf, ...) keep their usual meaning.
// Values cross as ToVariant and PushVariant convert them.
void PushDispatchProxy(duk_hthread* ctx, ScriptObject& object);

}  // namespace drev::host
