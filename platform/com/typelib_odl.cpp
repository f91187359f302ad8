// Printing a type library description as ODL source text.
#include "platform/com/typelib.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/text/text.h"

namespace plat::com {

namespace {

// The uuid attribute's form: the registry form without braces.
std::string Uuid(const GUID& g) {
  std::string s = FormatGuid(g);
  return s.substr(1, s.size() - 2);
}

// A CP949 help string as a quoted UTF-8 ODL string.
std::string Quoted(const std::string& cp949) {
  std::string utf8 = plat::text::Cp949ToUtf8(cp949);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string MemberAttributes(const TypeMember& m) {
  std::string s = "[id(" + std::to_string(m.id) + ")";
  if (!m.helpString.empty()) s += ", helpstring(" + Quoted(m.helpString) + ")";
  return s + "]";
}

void PrintInterface(std::ostream& out, const TypeDispInterface& itf) {
  out << "\t[ uuid(" << Uuid(itf.iid) << ")";
  if (!itf.helpString.empty()) out << ",\n\t  helpstring(" << Quoted(itf.helpString) << ")";
  if (itf.hidden) out << ", hidden";
  out << " ]\n\tdispinterface " << itf.name << "\n\t{\n\t\tproperties:\n";
  for (const auto& p : itf.properties)
    out << "\t\t\t" << MemberAttributes(p) << " " << VarTypeName(p.type) << " " << p.name << ";\n";
  out << "\t\tmethods:\n";
  for (const auto& m : itf.methods) {
    out << "\t\t\t" << MemberAttributes(m) << " " << VarTypeName(m.type) << " " << m.name << "(";
    for (std::size_t i = 0; i < m.params.size(); ++i)
      out << (i ? ", " : "") << VarTypeName(m.params[i].type) << " " << m.params[i].name;
    out << ");\n";
  }
  out << "\t};\n\n";
}

void PrintCoClass(std::ostream& out, const TypeCoClass& cls) {
  out << "\t[ uuid(" << Uuid(cls.clsid) << ")";
  if (!cls.helpString.empty()) out << ",\n\t  helpstring(" << Quoted(cls.helpString) << ")";
  if (cls.control) out << ", control";
  out << " ]\n\tcoclass " << cls.name << "\n\t{\n";
  if (!cls.defaultInterface.empty()) out << "\t\t[default] dispinterface " << cls.defaultInterface << ";\n";
  if (!cls.defaultSource.empty()) out << "\t\t[default, source] dispinterface " << cls.defaultSource << ";\n";
  out << "\t};\n\n";
}

}  // namespace

const TypeDispInterface* TypeLibrary::FindInterface(std::string_view wanted) const {
  for (const auto& i : interfaces)
    if (i.name == wanted) return &i;
  return nullptr;
}

std::string ToOdl(const TypeLibrary& lib) {
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "0x%04X", static_cast<unsigned>(lib.lcid));
  std::vector<std::string> attributes = {
      "uuid(" + Uuid(lib.libid) + "), version(" + std::to_string(lib.majorVersion) + "." +
          std::to_string(lib.minorVersion) + ")",
      std::string("lcid(") + lcid + ")"};
  if (!lib.helpFile.empty()) attributes.push_back("helpfile(" + Quoted(lib.helpFile) + ")");
  if (!lib.helpString.empty()) attributes.push_back("helpstring(" + Quoted(lib.helpString) + ")");
  if (lib.control) attributes.push_back("control");

  std::ostringstream out;
  out << "// " << lib.name << ".odl: type library source\n\n"
      << "#include <olectl.h>\n#include <idispids.h>\n\n[ ";
  for (std::size_t i = 0; i < attributes.size(); ++i) out << (i ? ",\n  " : "") << attributes[i];
  out << " ]\nlibrary " << lib.name << "\n{\n"
      << "\timportlib(STDOLE_TLB);\n\timportlib(STDTYPE_TLB);\n\n";
  for (const auto& itf : lib.interfaces) PrintInterface(out, itf);
  for (const auto& cls : lib.coclasses) PrintCoClass(out, cls);
  out << "};\n";
  return out.str();
}

}  // namespace plat::com
