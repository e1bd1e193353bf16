#pragma once

namespace veltharn {

// The range and position of one flat progress bar, kept beside the control because the bar paints
// itself from them. Positions are always clamped into the range before they are stored.
class ProgressBarModel {
 public:
  // Range 0..upper; the span is |upper|, or 1 for 0 so that the share never divides by zero.
  void SetBarRange(int upper);
  // Clamps `value` into the range and stores it.
  void SetBarPos(int value);
  void AdvanceBar() { SetBarPos(position_ + 1); }
  void FillBar() { SetBarPos(upperBound_); }
  // percent x 32767 / 100, truncated, then clamped as any position.
  void SetPercent(int percent);

  // The bar's share of the range in whole percent, as the paint uses it.
  [[nodiscard]] int Percent() const;
  // Right end of the painted bar for a bar rectangle from `left` to `right`.
  [[nodiscard]] int BarEnd(int left, int right) const;

  [[nodiscard]] int lowerBound() const { return lowerBound_; }
  [[nodiscard]] int upperBound() const { return upperBound_; }
  [[nodiscard]] int rangeSpan() const { return rangeSpan_; }
  [[nodiscard]] int position() const { return position_; }

  static constexpr int kPercentScale = 0x7FFF;

 private:
  int lowerBound_ = 0;
  int upperBound_ = 100;
  int rangeSpan_ = 100;
  int position_ = 0;
};

}  // namespace veltharn
