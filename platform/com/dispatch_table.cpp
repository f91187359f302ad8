// Dispatch by id and name: argument counts, conversions to the declared types, handler calls.
#include "platform/com/dispatch_table.h"

#include <exception>
#include <stdexcept>

#include "platform/text/text.h"

namespace plat::com {

namespace binding {

std::string TextFrom(const Variant& v) { return plat::text::Utf16ToCp949(v.bstrVal()); }
CheckedText CheckedTextFrom(const Variant& v) {
  CheckedText checked;
  checked.text = plat::text::Utf16ToCp949(v.bstrVal(), &checked.lossless);
  return checked;
}
Variant TextTo(const std::string& cp949) { return Variant::Bstr(plat::text::Cp949ToUtf16(cp949)); }

}  // namespace binding

namespace {

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Names are compared the way the platform compares them for scripts: letter case does not count.
bool SameName(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool SameName(std::string_view a, std::string_view b) {
  return SameName(plat::text::Utf8ToUtf16(a), b);
}

// Converts every argument to its declared type; on failure reports the argument's position.
HRESULT ConvertArgs(std::span<const Variant> args, std::span<const VARTYPE> types, std::vector<Variant>* out,
                    UINT* argErr) {
  out->resize(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    HRESULT hr = ChangeType(args[i], types[i], &(*out)[i]);
    if (FAILED(hr)) {
      if (argErr) *argErr = static_cast<UINT>(i);
      return hr;
    }
  }
  return S_OK;
}

// Runs a handler so that no exception crosses the dispatch boundary.
HRESULT RunHandler(const DispatchHandler& handler, std::span<const Variant> args, Variant* result,
                   EXCEPINFO* excepInfo) {
  std::string what;
  try {
    return handler(args, result);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "unknown failure";
  }
  if (excepInfo) {
    *excepInfo = EXCEPINFO{};
    excepInfo->bstrDescription = plat::text::Utf8ToUtf16(what);
    excepInfo->scode = E_FAIL;
  }
  return DISP_E_EXCEPTION;
}

}  // namespace

DispatchTable& DispatchTable::Declared(DISPID id, std::string name, VARTYPE type) {
  DispatchMember m;
  m.id = id;
  m.name = std::move(name);
  m.kind = MemberKind::Declared;
  m.type = type;
  return Add(std::move(m));
}

DispatchTable& DispatchTable::Add(DispatchMember member) {
  if (member.kind == MemberKind::Method && !member.call)
    throw std::invalid_argument("method without a handler: " + member.name);
  if (member.kind == MemberKind::Property && !member.get)
    throw std::invalid_argument("property without a getter: " + member.name);
  if (member.kind == MemberKind::Method && !member.paramNames.empty() &&
      member.paramNames.size() != member.params.size())
    throw std::invalid_argument("parameter names do not match the parameters: " + member.name);
  for (const auto& m : members_) {
    if (m.id == member.id) throw std::invalid_argument("dispatch id used twice: " + member.name);
    if (SameName(m.name, member.name)) throw std::invalid_argument("member name used twice: " + member.name);
  }
  members_.push_back(std::move(member));
  return *this;
}

const DispatchMember* DispatchTable::Find(DISPID id) const {
  for (const auto& m : members_)
    if (m.id == id) return &m;
  return nullptr;
}

const DispatchMember* DispatchTable::FindByName(std::u16string_view name) const {
  for (const auto& m : members_)
    if (SameName(name, m.name)) return &m;
  return nullptr;
}

HRESULT DispatchTable::GetIDsOfNames(std::span<const std::u16string_view> names, DISPID* ids) const {
  if (!ids) return E_POINTER;
  if (names.empty()) return E_INVALIDARG;
  HRESULT hr = S_OK;
  const DispatchMember* member = FindByName(names[0]);
  ids[0] = member ? member->id : DISPID_UNKNOWN;
  if (!member) hr = DISP_E_UNKNOWNNAME;
  for (std::size_t i = 1; i < names.size(); ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (member)
      for (std::size_t p = 0; p < member->paramNames.size(); ++p)
        if (SameName(names[i], member->paramNames[p])) ids[i] = static_cast<DISPID>(p);
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT DispatchTable::Invoke(DISPID id, WORD flags, std::span<const Variant> args, Variant* result,
                              EXCEPINFO* excepInfo, UINT* argErr) const {
  const DispatchMember* m = Find(id);
  if (!m || m->kind == MemberKind::Declared) return DISP_E_MEMBERNOTFOUND;

  const DispatchHandler* handler = nullptr;
  std::vector<VARTYPE> single;
  std::span<const VARTYPE> types;
  if (m->kind == MemberKind::Method) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    handler = &m->call;
    types = m->params;
  } else if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (!m->put) return DISP_E_MEMBERNOTFOUND;
    handler = &m->put;
    single.assign(1, m->type);
    types = single;
  } else if (flags & DISPATCH_PROPERTYGET) {
    handler = &m->get;
  } else {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (args.size() != types.size()) return DISP_E_BADPARAMCOUNT;

  std::vector<Variant> converted;
  HRESULT hr = ConvertArgs(args, types, &converted, argErr);
  if (FAILED(hr)) return hr;
  Variant value;
  hr = RunHandler(*handler, converted, &value, excepInfo);
  if (SUCCEEDED(hr) && result) *result = std::move(value);
  return hr;
}

}  // namespace plat::com
