// TypeLibrary: the description of an object's script interface, printable as ODL and storable as JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/variant.h"

namespace plat::com {

// Names are ASCII. Help strings are CP949 bytes, as every text inside the control.
struct TypeParam {
  std::string name;
  VARTYPE type = VT_EMPTY;

  friend bool operator==(const TypeParam&, const TypeParam&) = default;
};

struct TypeMember {
  DISPID id = 0;
  std::string name;
  std::vector<TypeParam> params;  // methods only
  VARTYPE type = VT_EMPTY;        // a method's result type (VT_EMPTY: void), or a property's type
  std::string helpString;

  friend bool operator==(const TypeMember&, const TypeMember&) = default;
};

struct TypeDispInterface {
  IID iid;
  std::string name;
  std::string helpString;
  bool hidden = false;
  std::vector<TypeMember> properties;
  std::vector<TypeMember> methods;

  friend bool operator==(const TypeDispInterface&, const TypeDispInterface&) = default;
};

struct TypeCoClass {
  CLSID clsid;
  std::string name;
  std::string helpString;
  bool control = false;
  std::string defaultInterface;  // name of a dispinterface of the library
  std::string defaultSource;     // name of the event dispinterface; empty when none

  friend bool operator==(const TypeCoClass&, const TypeCoClass&) = default;
};

struct TypeLibrary {
  GUID libid;
  std::string name;
  WORD majorVersion = 1;
  WORD minorVersion = 0;
  LCID lcid = 0;
  std::string helpFile;
  std::string helpString;
  bool control = false;
  std::vector<TypeDispInterface> interfaces;
  std::vector<TypeCoClass> coclasses;

  // The interface of that name, or nullptr.
  const TypeDispInterface* FindInterface(std::string_view name) const;

  friend bool operator==(const TypeLibrary&, const TypeLibrary&) = default;
};

// The library as ODL source in the platform's shape: attributes in brackets (uuid, version, lcid,
// helpfile, helpstring, control), dispinterfaces with their properties: and methods: lists,
// members as "[id(10), helpstring("...")] BSTR ActionTime;", coclasses with their default and
// default source interfaces. The text is UTF-8 (help strings converted from CP949).
std::string ToOdl(const TypeLibrary& library);

// A compact JSON form that FromJson reads back unchanged. It is pure ASCII (help strings written as
// \uXXXX escapes), so it can be stored as registry text.
std::string ToJson(const TypeLibrary& library);
// Reads ToJson's form. E_INVALIDARG (and *library untouched) when the text is not JSON of that
// shape: missing fields, a malformed GUID, a type that is not a number.
HRESULT FromJson(std::string_view json, TypeLibrary* library);

}  // namespace plat::com
