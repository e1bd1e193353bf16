#pragma once

#include "launcher/ui/progress_bar_model.h"

namespace veltharn {

struct BarBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const BarBox&, const BarBox&) = default;
};

// Where a flat progress bar paints, in client coordinates of a control with a one-pixel border:
// the background covers the whole window, the bar (one pixel wider on the right, so that a full
// range reaches the edge) ends at the position's share of it.
struct BarGeometry {
  BarBox background;
  BarBox bar;
  [[nodiscard]] bool hasBar() const { return bar.right > bar.left && bar.bottom > bar.top; }
};

[[nodiscard]] BarGeometry LayOutBar(const BarBox& client, const ProgressBarModel& model);

}  // namespace veltharn
