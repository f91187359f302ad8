// The stored JSON form of a type library description.
#include <nlohmann/json.hpp>

#include "platform/com/typelib.h"
#include "platform/text/text.h"

namespace plat::com {

namespace {

using nlohmann::json;

std::string Utf8(const std::string& cp949) { return plat::text::Cp949ToUtf8(cp949); }
std::string Cp949(const json& j) { return plat::text::Utf8ToCp949(j.get<std::string>()); }

GUID GuidFrom(const json& j) {
  auto g = ParseGuid(j.get<std::string>());
  if (!g) throw std::invalid_argument("malformed GUID");
  return *g;
}

json MemberToJson(const TypeMember& m) {
  json params = json::array();
  for (const auto& p : m.params) params.push_back({{"name", p.name}, {"type", p.type}});
  return {{"id", m.id}, {"name", m.name}, {"type", m.type}, {"help", Utf8(m.helpString)}, {"params", params}};
}

TypeMember MemberFromJson(const json& j) {
  TypeMember m;
  m.id = j.at("id").get<DISPID>();
  m.name = j.at("name").get<std::string>();
  m.type = j.at("type").get<VARTYPE>();
  m.helpString = Cp949(j.at("help"));
  for (const auto& p : j.at("params")) m.params.push_back({p.at("name").get<std::string>(), p.at("type").get<VARTYPE>()});
  return m;
}

json InterfaceToJson(const TypeDispInterface& i) {
  json props = json::array(), methods = json::array();
  for (const auto& p : i.properties) props.push_back(MemberToJson(p));
  for (const auto& m : i.methods) methods.push_back(MemberToJson(m));
  return {{"iid", FormatGuid(i.iid)}, {"name", i.name}, {"help", Utf8(i.helpString)}, {"hidden", i.hidden},
          {"properties", props}, {"methods", methods}};
}

TypeDispInterface InterfaceFromJson(const json& j) {
  TypeDispInterface i;
  i.iid = GuidFrom(j.at("iid"));
  i.name = j.at("name").get<std::string>();
  i.helpString = Cp949(j.at("help"));
  i.hidden = j.at("hidden").get<bool>();
  for (const auto& p : j.at("properties")) i.properties.push_back(MemberFromJson(p));
  for (const auto& m : j.at("methods")) i.methods.push_back(MemberFromJson(m));
  return i;
}

json CoClassToJson(const TypeCoClass& c) {
  return {{"clsid", FormatGuid(c.clsid)}, {"name", c.name}, {"help", Utf8(c.helpString)}, {"control", c.control},
          {"default", c.defaultInterface}, {"source", c.defaultSource}};
}

TypeCoClass CoClassFromJson(const json& j) {
  TypeCoClass c;
  c.clsid = GuidFrom(j.at("clsid"));
  c.name = j.at("name").get<std::string>();
  c.helpString = Cp949(j.at("help"));
  c.control = j.at("control").get<bool>();
  c.defaultInterface = j.at("default").get<std::string>();
  c.defaultSource = j.at("source").get<std::string>();
  return c;
}

}  // namespace

std::string ToJson(const TypeLibrary& lib) {
  json interfaces = json::array(), coclasses = json::array();
  for (const auto& i : lib.interfaces) interfaces.push_back(InterfaceToJson(i));
  for (const auto& c : lib.coclasses) coclasses.push_back(CoClassToJson(c));
  json j = {{"libid", FormatGuid(lib.libid)}, {"name", lib.name},
            {"major", lib.majorVersion}, {"minor", lib.minorVersion}, {"lcid", lib.lcid},
            {"helpfile", Utf8(lib.helpFile)}, {"help", Utf8(lib.helpString)}, {"control", lib.control},
            {"interfaces", interfaces}, {"coclasses", coclasses}};
  return j.dump(-1, ' ', true);  // ASCII only: \uXXXX escapes keep it valid as a CP949 registry text
}

HRESULT FromJson(std::string_view text, TypeLibrary* out) {
  if (!out) return E_POINTER;
  try {
    json j = json::parse(text);
    TypeLibrary lib;
    lib.libid = GuidFrom(j.at("libid"));
    lib.name = j.at("name").get<std::string>();
    lib.majorVersion = j.at("major").get<WORD>();
    lib.minorVersion = j.at("minor").get<WORD>();
    lib.lcid = j.at("lcid").get<LCID>();
    lib.helpFile = Cp949(j.at("helpfile"));
    lib.helpString = Cp949(j.at("help"));
    lib.control = j.at("control").get<bool>();
    for (const auto& i : j.at("interfaces")) lib.interfaces.push_back(InterfaceFromJson(i));
    for (const auto& c : j.at("coclasses")) lib.coclasses.push_back(CoClassFromJson(c));
    *out = std::move(lib);
    return S_OK;
  } catch (const std::exception&) {
    return E_INVALIDARG;
  }
}

}  // namespace plat::com
