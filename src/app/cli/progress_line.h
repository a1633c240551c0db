#pragma once
// A progress line on standard error for long work (a long render, many conversions):
// redrawn in place at most a few times a second, and only when standard error is a
// terminal, so logs and pipes never see it.
#include <chrono>
#include <string>
#include <string_view>

namespace pipora::cli {

class ProgressLine {
public:
  ProgressLine();
  ~ProgressLine();
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;

  bool enabled() const { return enabled_; }
  // Shows `text` in place of the previous line; `force` skips the rate limit.
  void show(std::string_view text, bool force = false);
  // Removes the line, so that the next message starts on a clean line.
  void clear();

private:
  bool enabled_ = false;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_{};
};

// "render 42%" style text for `done` of `total`.
std::string PercentText(std::string_view label, double done, double total);

} // namespace pipora::cli
