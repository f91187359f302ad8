// Reading a page with libxml2's HTML parser into its objects and script blocks.
#include "host/HtmlPage.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "host/FileBytes.h"
#include "host/ScriptText.h"

namespace drev::host {

namespace {

struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool IsName(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// The attribute's value, or "" when the element has none.
std::string Attr(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

std::string Content(xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

PageObject ReadObject(xmlNode* node) {
  PageObject object;
  object.id = Attr(node, "id");
  object.classid = Attr(node, "classid");
  object.width = ParseLength(Attr(node, "width"), kDefaultObjectWidth, kViewportWidth);
  object.height = ParseLength(Attr(node, "height"), kDefaultObjectHeight, kViewportHeight);
  object.line = static_cast<int>(xmlGetLineNo(node));
  for (xmlNode* child = node->children; child; child = child->next) {
    if (IsName(child, "param")) object.params.emplace_back(Attr(child, "name"), Attr(child, "value"));
  }
  return object;
}

PageScript ReadScript(xmlNode* node, const std::string& baseDir) {
  PageScript script;
  script.forId = Attr(node, "for");
  script.event = Attr(node, "event");
  script.language = Attr(node, "type");
  if (script.language.empty()) script.language = Attr(node, "language");
  script.line = static_cast<int>(xmlGetLineNo(node));
  std::string src = Attr(node, "src");
  if (!src.empty()) {
    std::filesystem::path path(src);
    script.src = (path.is_absolute() ? path : std::filesystem::path(baseDir) / path).string();
  } else {
    script.text = Content(node);
  }
  return script;
}

// Walks the tree in document order, collecting objects and scripts (objects nested in objects too).
void Walk(xmlNode* node, const std::string& baseDir, Page& page) {
  for (; node; node = node->next) {
    if (IsName(node, "object")) page.objects.push_back(ReadObject(node));
    if (IsName(node, "script")) {
      page.scripts.push_back(ReadScript(node, baseDir));
      continue;
    }
    Walk(node->children, baseDir, page);
  }
}

bool IsIdentifier(std::string_view s) {
  if (s.empty()) return false;
  const auto start = [](unsigned char c) { return std::isalpha(c) || c == '_' || c == '$'; };
  if (!start(static_cast<unsigned char>(s.front()))) return false;
  return std::all_of(s.begin(), s.end(), [&](unsigned char c) { return start(c) || std::isdigit(c); });
}

}  // namespace

Page ParsePage(std::string_view html, const std::string& baseDir) {
  Page page;
  const char* encoding = IsUtf8(html) ? "UTF-8" : nullptr;
  const int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  std::unique_ptr<xmlDoc, DocDeleter> doc(
      htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, encoding, options));
  if (doc) Walk(xmlDocGetRootElement(doc.get()), baseDir, page);
  return page;
}

std::optional<Page> LoadPage(const std::string& path, std::string* error) {
  std::string why;
  std::optional<std::string> text = ReadFileBytes(path, &why);
  if (!text) {
    // A missing or unopenable page is named alone; other reasons are told.
    if (error) *error = "cannot read page " + path + (why == "it cannot be opened" ? "" : ": " + why);
    return std::nullopt;
  }
  std::error_code ec;
  std::string baseDir = std::filesystem::absolute(path, ec).parent_path().string();
  Page page = ParsePage(*text, baseDir);
  page.path = path;
  return page;
}

int ParseLength(std::string_view text, int fallback, int viewport) {
  text = Trim(text);
  long value = 0;
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])) && value < 100000) {
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0) return fallback;
  std::string_view rest = text.substr(digits);
  if (!rest.empty() && rest.front() == '.') {
    rest.remove_prefix(1);
    while (!rest.empty() && std::isdigit(static_cast<unsigned char>(rest.front()))) rest.remove_prefix(1);
  }
  rest = Trim(rest);
  if (rest == "%") return static_cast<int>(value * viewport / 100);
  if (rest.empty() || Lower(rest) == "px") return static_cast<int>(value);
  return fallback;
}

std::optional<plat::com::CLSID> ParseClassId(std::string_view classid) {
  classid = Trim(classid);
  constexpr std::string_view kPrefix = "clsid:";
  if (classid.size() <= kPrefix.size() || Lower(classid.substr(0, kPrefix.size())) != kPrefix) return std::nullopt;
  return plat::com::ParseGuid(Trim(classid.substr(kPrefix.size())));
}

std::optional<EventSignature> ParseEventSignature(std::string_view text) {
  text = Trim(text);
  EventSignature signature;
  std::size_t open = text.find('(');
  if (open == std::string_view::npos) {
    if (!IsIdentifier(text)) return std::nullopt;
    signature.name = std::string(text);
    return signature;
  }
  if (text.back() != ')') return std::nullopt;
  signature.name = std::string(Trim(text.substr(0, open)));
  if (!IsIdentifier(signature.name)) return std::nullopt;
  std::string_view list = Trim(text.substr(open + 1, text.size() - open - 2));
  while (!list.empty()) {
    std::size_t comma = list.find(',');
    std::string_view param = Trim(list.substr(0, comma));
    if (!IsIdentifier(param)) return std::nullopt;
    signature.params.emplace_back(param);
    if (comma == std::string_view::npos) break;
    list = list.substr(comma + 1);
    if (Trim(list).empty()) return std::nullopt;
  }
  return signature;
}

bool IsJavaScript(std::string_view language) {
  std::string lang = Lower(Trim(language));
  if (lang.empty()) return true;
  for (std::string_view prefix : {"text/", "application/"}) {
    if (lang.starts_with(prefix)) lang.erase(0, prefix.size());
  }
  for (std::string_view known : {"javascript", "jscript", "ecmascript", "livescript"}) {
    if (lang.starts_with(known)) return true;
  }
  return false;
}

}  // namespace drev::host
