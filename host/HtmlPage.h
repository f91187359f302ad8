// A page as drevhost runs it: its <object> elements with their <param>s, its <script> blocks in
// document order, and for a page on screen its title, form controls and body text in document
// order, read with libxml2's HTML parser.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/guid.h"

namespace drev::host {

// Texts are UTF-8, as the parser gives them.
struct PageObject {
  std::string id;
  std::string classid;  // as written: "clsid:6B1E2A41-..."
  int width = 0;        // pixels
  int height = 0;
  std::vector<std::pair<std::string, std::string>> params;  // <param name= value=>, in order
  int line = 0;         // of the <object> start tag
};

struct PageScript {
  std::string text;      // the block's content; empty for an external script
  std::string src;       // the src attribute, resolved against the page's folder; empty for inline
  std::string forId;     // <script for="ID" event="Name(args)">: ID
  std::string event;     //   and "Name(args)"
  std::string language;  // the type or language attribute as written; empty when none
  int line = 0;          // of the <script> start tag: the block's first line
};

// A form control of the body: <button>, <input type=button|submit|text|hidden> (no type is text),
// <textarea>. Other inputs (check boxes, files, passwords, ...) and <select> are not read.
struct PageControl {
  enum class Kind {
    kButton,     // <button>, <input type=button>, <input type=submit>
    kTextInput,  // <input type=text>
    kTextArea,   // <textarea>
    kHidden,     // <input type=hidden>: a value for scripts, nothing on screen
  };
  Kind kind = Kind::kButton;
  std::string id;
  std::string value;    // a button's label; the text of an input or a text area
  std::string onclick;  // a button's onclick script
  int size = 20;        // <input size>: its width in characters
  int cols = 20;        // <textarea cols rows>
  int rows = 2;
  int line = 0;         // of the start tag
};

// One piece of the body's flow, in document order. Text comes as words (runs without white space);
// a block element (<p>, <div>, <h1>, <form>, <li>, ...) and <br> put a break before and after
// themselves, which ends the line.
struct FlowItem {
  enum class Kind { kBreak, kWord, kObject, kControl };
  Kind kind = Kind::kWord;
  std::string text;          // kWord: UTF-8, a non-breaking space kept as a plain space
  int heading = 0;           // kWord: 1 to 6 inside <h1>..<h6>, else 0
  bool spaceBefore = false;  // white space separates it from the piece before on its line
  int margin = 0;            // kBreak: the empty space the block asks for, in pixels (adjoining
                             // breaks keep the largest)
  bool newline = false;      // kBreak of a <br>: ends the line even when it is empty
  int index = -1;            // kObject: into Page::objects; kControl: into Page::controls
};

struct Page {
  std::string path;
  std::string title;  // the <title>'s text, white space collapsed; empty when none
  std::vector<PageObject> objects;
  std::vector<PageScript> scripts;
  std::vector<PageControl> controls;
  std::vector<FlowItem> flow;  // what <body> shows, for a page on screen
};

// The size given to an <object> without a usable width or height, as browsers do.
inline constexpr int kDefaultObjectWidth = 300;
inline constexpr int kDefaultObjectHeight = 150;
// Percentages are taken of this area.
inline constexpr int kViewportWidth = 800;
inline constexpr int kViewportHeight = 600;

// Parses an HTML text. Element and attribute names come lowercased from the parser. A text that is
// valid UTF-8 is read as UTF-8; anything else as the page's own <meta> charset says. `baseDir`
// resolves the src of external scripts. Objects without an id are kept with an empty id.
// The parser stops for good at a NUL character and at elements nested more than kMaxPageDepth
// deep, dropping the rest of the page; `problem`, when given, is then set to what stopped it and
// where ("a NUL byte (character 0) at line 3"), and left empty for a page read to its end.
Page ParsePage(std::string_view html, const std::string& baseDir, std::string* problem = nullptr);

// The deepest nesting of elements the parser reads.
inline constexpr int kMaxPageDepth = 256;

// Reads and parses the page file `path`. nullopt with `error` set when it cannot be read, or when
// the parser could not read it to its end (see ParsePage).
std::optional<Page> LoadPage(const std::string& path, std::string* error);

// A length attribute: "640", "640px" and "640.5" give 640; "50%" gives that share of `viewport`;
// anything else (empty, negative, no digits) gives `fallback`.
int ParseLength(std::string_view text, int fallback, int viewport);

// The class id of "clsid:XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (prefix in any letter case, braces
// allowed); nullopt for anything else.
std::optional<plat::com::CLSID> ParseClassId(std::string_view classid);

// An event attribute "Name(a, b)": the name and the parameter names; nullopt when it is not of that
// shape (a missing name, unbalanced parentheses, a parameter that is not an identifier).
struct EventSignature {
  std::string name;
  std::vector<std::string> params;
};
std::optional<EventSignature> ParseEventSignature(std::string_view text);

// True for a script block the engine runs: no type or language, or a JavaScript one
// ("text/javascript", "javascript", "jscript", "ecmascript", ... in any letter case).
bool IsJavaScript(std::string_view language);

}  // namespace drev::host
