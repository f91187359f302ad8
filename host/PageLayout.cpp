// The flow layout of a page on screen.
#include "host/PageLayout.h"

#include <algorithm>

namespace drev::host {

FlowPlacement LayOutFlow(const std::vector<FlowItem>& flow, int width, const FlowMetrics& metrics) {
  FlowPlacement placement;
  placement.boxes.resize(flow.size());
  const int right = std::max(width - kPageMargin, kPageMargin + 1);
  int x = kPageMargin;
  int y = kPageMargin;
  int lineHeight = 0;
  int margin = 0;        // the pending margin of the breaks since the last line
  bool content = false;  // a line has been placed above
  std::vector<std::size_t> line;

  const auto endLine = [&] {
    if (line.empty()) return;
    for (std::size_t i : line) {
      plat::RECT& box = placement.boxes[i];
      const int height = box.bottom - box.top;
      box.top = y + (lineHeight - height) / 2;
      box.bottom = box.top + height;
      placement.width = std::max(placement.width, static_cast<int>(box.right) + kPageMargin);
    }
    y += lineHeight;
    x = kPageMargin;
    lineHeight = 0;
    line.clear();
    content = true;
  };

  for (std::size_t i = 0; i < flow.size(); ++i) {
    const FlowItem& item = flow[i];
    if (item.kind == FlowItem::Kind::kBreak) {
      if (line.empty() && item.newline) {
        if (content) y += margin;
        margin = 0;
        y += metrics.emptyLine;
        content = true;
      }
      endLine();
      margin = std::max(margin, item.margin);
      continue;
    }
    const plat::SIZE size = metrics.size(item);
    int gap = item.spaceBefore && !line.empty() ? metrics.space(item) : 0;
    if (!line.empty() && x + gap + size.cx > right) {
      endLine();
      gap = 0;
    }
    if (line.empty()) {
      if (content) y += margin;
      margin = 0;
    }
    x += gap;
    placement.boxes[i] = plat::RECT{x, 0, x + size.cx, size.cy};
    x += size.cx;
    lineHeight = std::max(lineHeight, static_cast<int>(size.cy));
    line.push_back(i);
  }
  endLine();
  placement.height = y + kPageMargin;
  placement.width = std::max(placement.width, 2 * kPageMargin);
  return placement;
}

}  // namespace drev::host
