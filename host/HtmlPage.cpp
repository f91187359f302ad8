// Reading a page with libxml2's HTML parser into its objects and script blocks.
#include "host/HtmlPage.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <iterator>
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

// Walks the tree in document order, collecting objects and scripts (objects nested in objects too)
// and the element of each object.
void Walk(xmlNode* node, const std::string& baseDir, Page& page, std::vector<xmlNode*>& objectNodes) {
  for (; node; node = node->next) {
    if (IsName(node, "object")) {
      page.objects.push_back(ReadObject(node));
      objectNodes.push_back(node);
    }
    if (IsName(node, "script")) {
      page.scripts.push_back(ReadScript(node, baseDir));
      continue;
    }
    Walk(node->children, baseDir, page, objectNodes);
  }
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The words of a text: runs between white space, a non-breaking space (U+00A0) kept inside its word
// as a plain space.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSpace(text[i])) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
      word += ' ';
      ++i;
    } else {
      word += text[i];
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::string Collapsed(std::string_view text) {
  std::string out;
  for (const std::string& word : Words(text)) out += (out.empty() ? "" : " ") + word;
  return out;
}

int PositiveNumber(const std::string& text, int fallback) {
  int value = ParseLength(text, 0, 0);
  return value > 0 ? value : fallback;
}

// What the body's elements are to the flow.
struct BlockKind {
  const char* name;
  int margin;  // pixels above and below
};
constexpr BlockKind kBlocks[] = {
    {"h1", 16}, {"h2", 14}, {"h3", 12}, {"h4", 10}, {"h5", 10}, {"h6", 10}, {"p", 10}, {"blockquote", 10},
    {"ul", 10}, {"ol", 10}, {"dl", 10}, {"pre", 10}, {"div", 0}, {"form", 0}, {"li", 0}, {"dt", 0}, {"dd", 0},
    {"table", 0}, {"tr", 0}, {"fieldset", 0}, {"legend", 0}, {"section", 0}, {"article", 0}, {"header", 0},
    {"footer", 0}, {"nav", 0}, {"main", 0}, {"aside", 0}, {"center", 0}, {"address", 0}, {"caption", 0},
    {"figure", 0}, {"figcaption", 0}, {"hr", 0}, {"body", 0},
};
// Elements whose content is not shown: the head's, scripts, styles, and what the host does not draw.
constexpr const char* kHidden[] = {"head", "title", "script", "style", "noscript", "template", "select",
                                   "img", "iframe", "map", "svg", "canvas", "audio", "video"};

class FlowReader {
 public:
  FlowReader(Page& page, const std::vector<xmlNode*>& objectNodes) : page_(page), objectNodes_(objectNodes) {}

  void Read(xmlNode* node) {
    for (; node; node = node->next) {
      if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        Text(reinterpret_cast<const char*>(node->content ? node->content : reinterpret_cast<const xmlChar*>("")));
        continue;
      }
      if (node->type != XML_ELEMENT_NODE) continue;
      const std::string name = reinterpret_cast<const char*>(node->name);
      if (std::any_of(std::begin(kHidden), std::end(kHidden), [&](const char* h) { return name == h; })) continue;
      if (name == "br") {
        Break(0, true);
      } else if (name == "object") {
        Object(node);
      } else if (name == "button" || name == "input" || name == "textarea") {
        Control(node, name);
      } else if (const BlockKind* block = Block(name)) {
        const int heading = name.size() == 2 && name[0] == 'h' ? name[1] - '0' : 0;
        Break(block->margin, false);
        const int outer = heading_;
        if (heading) heading_ = heading;
        Read(node->children);
        heading_ = outer;
        Break(block->margin, false);
      } else {
        if (name == "td" || name == "th") space_ = true;
        Read(node->children);
        if (name == "td" || name == "th") space_ = true;
      }
    }
  }

 private:
  static const BlockKind* Block(const std::string& name) {
    for (const BlockKind& block : kBlocks)
      if (name == block.name) return &block;
    return nullptr;
  }

  void Text(std::string_view text) {
    if (text.empty()) return;
    if (IsSpace(text.front())) space_ = true;
    for (std::string& word : Words(text)) {
      FlowItem item;
      item.kind = FlowItem::Kind::kWord;
      item.text = std::move(word);
      item.heading = heading_;
      Add(std::move(item));
      space_ = true;
    }
    if (!IsSpace(text.back())) space_ = false;
  }

  void Add(FlowItem item) {
    item.spaceBefore = space_ && !lineStart_;
    lineStart_ = false;
    space_ = false;
    page_.flow.push_back(std::move(item));
  }

  void Break(int margin, bool newline) {
    FlowItem item;
    item.kind = FlowItem::Kind::kBreak;
    item.margin = margin;
    item.newline = newline;
    page_.flow.push_back(std::move(item));
    lineStart_ = true;
    space_ = false;
  }

  void Object(xmlNode* node) {
    auto at = std::find(objectNodes_.begin(), objectNodes_.end(), node);
    if (at == objectNodes_.end()) return;
    FlowItem item;
    item.kind = FlowItem::Kind::kObject;
    item.index = static_cast<int>(at - objectNodes_.begin());
    Add(std::move(item));
  }

  void Control(xmlNode* node, const std::string& name) {
    PageControl control;
    control.id = Attr(node, "id");
    control.line = static_cast<int>(xmlGetLineNo(node));
    if (name == "button") {
      control.value = Collapsed(Content(node));
      control.onclick = Attr(node, "onclick");
    } else if (name == "textarea") {
      control.kind = PageControl::Kind::kTextArea;
      control.value = Content(node);
      // As in a browser, a line feed right after the start tag is not part of the text.
      if (control.value.starts_with("\r\n")) control.value.erase(0, 2);
      else if (control.value.starts_with("\n")) control.value.erase(0, 1);
      control.cols = PositiveNumber(Attr(node, "cols"), 20);
      control.rows = PositiveNumber(Attr(node, "rows"), 2);
    } else {
      const std::string type = Lower(Trim(Attr(node, "type")));
      control.value = Attr(node, "value");
      if (type.empty() || type == "text") {
        control.kind = PageControl::Kind::kTextInput;
        control.size = PositiveNumber(Attr(node, "size"), 20);
      } else if (type == "button" || type == "submit" || type == "reset") {
        if (!xmlHasProp(node, reinterpret_cast<const xmlChar*>("value")))
          control.value = type == "submit" ? "Submit" : type == "reset" ? "Reset" : "";
        control.onclick = Attr(node, "onclick");
      } else if (type == "hidden") {
        control.kind = PageControl::Kind::kHidden;
      } else {
        return;  // check boxes, radio buttons, files, passwords, ...: not shown, not read
      }
    }
    page_.controls.push_back(std::move(control));
    if (page_.controls.back().kind == PageControl::Kind::kHidden) return;
    FlowItem item;
    item.kind = FlowItem::Kind::kControl;
    item.index = static_cast<int>(page_.controls.size() - 1);
    Add(std::move(item));
  }

  Page& page_;
  const std::vector<xmlNode*>& objectNodes_;
  int heading_ = 0;
  bool space_ = false;
  bool lineStart_ = true;
};

xmlNode* FindElement(xmlNode* node, const char* name) {
  for (; node; node = node->next) {
    if (IsName(node, name)) return node;
    if (xmlNode* found = FindElement(node->children, name)) return found;
  }
  return nullptr;
}

bool IsIdentifier(std::string_view s) {
  if (s.empty()) return false;
  const auto start = [](unsigned char c) { return std::isalpha(c) || c == '_' || c == '$'; };
  if (!start(static_cast<unsigned char>(s.front()))) return false;
  return std::all_of(s.begin(), s.end(), [&](unsigned char c) { return start(c) || std::isdigit(c); });
}

struct ContextDeleter {
  void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

// The line of the first NUL character of the page's text, or 0 when it has none. The parser takes
// a NUL for the end of the text and drops everything after it without a word. A page that starts
// with a UTF-16 or UTF-32 byte order mark is read in units of that width (a NUL there is a whole
// unit of zero bytes); any other is read a byte at a time, as its encoding (UTF-8, EUC-KR, ...)
// never puts a zero byte inside a character.
int FirstNulLine(std::string_view html) {
  std::size_t width = 1;
  bool bigEndian = false;
  std::size_t start = 0;
  if (html.starts_with(std::string_view("\xFF\xFE\0\0", 4))) {
    width = 4;
  } else if (html.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
    width = 4;
    bigEndian = true;
  } else if (html.starts_with("\xFF\xFE")) {
    width = 2;
  } else if (html.starts_with("\xFE\xFF")) {
    width = 2;
    bigEndian = true;
  }
  if (width > 1) start = width;
  int line = 1;
  for (std::size_t at = start; at + width <= html.size(); at += width) {
    std::uint32_t unit = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const std::size_t byte = bigEndian ? i : width - 1 - i;
      unit = (unit << 8) | static_cast<unsigned char>(html[at + byte]);
    }
    if (unit == 0) return line;
    if (unit == '\n') ++line;
  }
  return 0;
}

}  // namespace

Page ParsePage(std::string_view html, const std::string& baseDir, std::string* problem) {
  Page page;
  if (problem) problem->clear();
  if (const int line = FirstNulLine(html); line > 0 && problem) {
    *problem = "a NUL byte (character 0) at line " + std::to_string(line) + "; nothing after it would be read";
  }
  const char* encoding = IsUtf8(html) ? "UTF-8" : nullptr;
  const int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  std::unique_ptr<htmlParserCtxt, ContextDeleter> context(htmlNewParserCtxt());
  if (!context) {
    if (problem) *problem = "there is not enough memory to read it";
    return page;
  }
  std::unique_ptr<xmlDoc, DocDeleter> doc(
      htmlCtxtReadMemory(context.get(), html.data(), static_cast<int>(html.size()), nullptr, encoding, options));
  // The parser's own errors are recoverable but for a fatal one, after which it reads no further:
  // elements nested too deep, or memory running out.
  const xmlError& last = context->lastError;
  if (problem && problem->empty() && last.level == XML_ERR_FATAL) {
    const std::string where = " at line " + std::to_string(last.line);
    const std::string message = last.message ? std::string(Trim(last.message)) : "an error";
    if (last.code == XML_ERR_INTERNAL_ERROR && message.starts_with("Excessive depth")) {
      *problem = "elements nested more than " + std::to_string(kMaxPageDepth) + " deep" + where +
                 "; nothing after that would be read";
    } else {
      *problem = "the HTML parser stopped" + where + ": " + message;
    }
  }
  if (!doc) return page;
  xmlNode* root = xmlDocGetRootElement(doc.get());
  std::vector<xmlNode*> objectNodes;
  Walk(root, baseDir, page, objectNodes);
  if (xmlNode* title = FindElement(root, "title")) page.title = Collapsed(Content(title));
  if (xmlNode* body = FindElement(root, "body")) FlowReader(page, objectNodes).Read(body->children);
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
  std::string problem;
  Page page = ParsePage(*text, baseDir, &problem);
  if (!problem.empty()) {
    if (error) *error = "cannot read page " + path + ": " + problem;
    return std::nullopt;
  }
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
