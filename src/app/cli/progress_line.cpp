#include "app/cli/progress_line.h"

#include "app/cli/standard_streams.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace pipora::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

} // namespace

ProgressLine::ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
  clear();
}

void ProgressLine::show(std::string_view text, bool force) {
  if (!enabled_)
    return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && shown_ && now - last_ < kRedrawInterval)
    return;
  last_ = now;
  shown_ = true;
  // Carriage return, the text, then erase what a longer earlier line left.
  PrintErr("\r" + std::string(text) + "\033[K");
}

void ProgressLine::clear() {
  if (!shown_)
    return;
  shown_ = false;
  PrintErr("\r\033[K");
}

std::string PercentText(std::string_view label, double done, double total) {
  const double fraction = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 0.0;
  return std::string(label) + " " + std::to_string(std::lround(fraction * 100)) + "%";
}

} // namespace pipora::cli
