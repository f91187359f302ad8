// Laying out a page's flow in a window: pieces left to right in document order, wrapped to the
// window's width, lines one under another with the blocks' margins between them.
#pragma once

#include <functional>
#include <vector>

#include "host/HtmlPage.h"
#include "platform/base/types.h"

namespace drev::host {

// The empty border around a page's content, in pixels.
inline constexpr int kPageMargin = 8;

// What the layout needs to know of the pieces: each one's size (breaks are not asked about), the
// width of a space before a piece, and the height of an empty line (a <br> on a line of its own).
struct FlowMetrics {
  std::function<plat::SIZE(const FlowItem&)> size;
  std::function<int(const FlowItem&)> space;
  int emptyLine = 16;
};

struct FlowPlacement {
  std::vector<plat::RECT> boxes;  // one per flow item, in window coordinates; empty for breaks
  int width = 0;                  // the widest line's right end plus the margin
  int height = 0;                 // the last line's bottom plus the margin
};

// Places the pieces: a piece goes on the current line when it fits within `width` less the margins
// (the first piece of a line always does), else it starts the next line; a space separates it from
// the piece before when the page had white space there. Each piece sits in the middle of its line's
// height. A break ends the line; the margins of breaks that meet keep the largest, which goes
// between the lines (not above the first).
FlowPlacement LayOutFlow(const std::vector<FlowItem>& flow, int width, const FlowMetrics& metrics);

}  // namespace drev::host
