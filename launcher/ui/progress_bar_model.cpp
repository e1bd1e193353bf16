#include "launcher/ui/progress_bar_model.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace veltharn {

void ProgressBarModel::SetBarRange(int upper) {
  lowerBound_ = 0;
  upperBound_ = upper;
  rangeSpan_ = upper == 0 ? 1 : std::abs(upper);
}

void ProgressBarModel::SetBarPos(int value) {
  if (value > upperBound_) value = upperBound_;
  if (value < lowerBound_) value = lowerBound_;
  position_ = value;
}

void ProgressBarModel::SetPercent(int percent) {
  // 64-bit product: a caller's percentage far out of 0..100 must not overflow before the clamp.
  int64_t scaled = static_cast<int64_t>(percent) * kPercentScale / 100;
  SetBarPos(static_cast<int>(std::clamp<int64_t>(scaled, lowerBound_, upperBound_)));
}

int ProgressBarModel::Percent() const {
  double share = (std::abs(static_cast<double>(lowerBound_)) + position_) * 100.0 / rangeSpan_;
  return static_cast<int>(share);
}

int ProgressBarModel::BarEnd(int left, int right) const {
  int end = left + static_cast<int>(static_cast<float>(right - left) / 100.0f *
                                    static_cast<float>(Percent()));
  return end <= right ? end : right;
}

}  // namespace veltharn
