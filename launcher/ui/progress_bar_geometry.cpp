#include "launcher/ui/progress_bar_geometry.h"

namespace veltharn {

BarGeometry LayOutBar(const BarBox& client, const ProgressBarModel& model) {
  BarGeometry geometry;
  geometry.background = {client.left - 1, client.top - 1, client.right + 2, client.bottom + 2};
  geometry.bar = {client.left - 1, client.top - 1, client.right + 3, client.bottom + 2};
  geometry.bar.right = model.BarEnd(geometry.bar.left, geometry.bar.right);
  return geometry;
}

}  // namespace veltharn
