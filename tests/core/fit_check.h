#pragma once
// Checks that a fitted song differs from the song before fitting only where the fitting
// says it changed something: outside the reported elements, both hold the same notes with
// the same lengths in the same order.
#include "editing/fit_for_smd.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pipora::testing {

// "" when the songs agree outside the reported changes, else what differs.
inline std::string UnreportedDifference(const Song &before, const FitResult &fitted) {
  for (int n = 1; n <= kUserParts; ++n) {
    // Reported ranges of this part, merged where they overlap in either song.
    struct Range {
      int from, to, newFrom, newTo;
    };
    std::vector<Range> ranges;
    for (const FitChange &c : fitted.changes)
      if (c.part == n)
        ranges.push_back({c.element, c.element + c.count, c.newElement, c.newElement + c.newCount});
    std::sort(ranges.begin(), ranges.end(),
              [](const Range &a, const Range &b) { return a.from < b.from; });
    std::vector<Range> merged;
    for (const Range &r : ranges) {
      if (!merged.empty() && (r.from < merged.back().to || r.newFrom < merged.back().newTo)) {
        merged.back().to = std::max(merged.back().to, r.to);
        merged.back().newTo = std::max(merged.back().newTo, r.newTo);
      } else {
        merged.push_back(r);
      }
    }
    const Part &a = before.part(n);
    const Part &b = fitted.song.part(n);
    int i = 0;
    int j = 0;
    std::size_t next = 0;
    while (i < a.count || j < b.count) {
      if (next < merged.size() && i == merged[next].from) {
        if (j != merged[next].newFrom)
          return "part " + std::to_string(n) + ": change at " + std::to_string(i) + " maps to " +
                 std::to_string(merged[next].newFrom) + ", expected " + std::to_string(j);
        i = merged[next].to;
        j = merged[next].newTo;
        ++next;
        continue;
      }
      if (i >= a.count || j >= b.count)
        return "part " + std::to_string(n) + ": lengths differ after element " + std::to_string(i);
      const NoteEntry &x = a.notes[static_cast<std::size_t>(i)];
      const NoteEntry &y = b.notes[static_cast<std::size_t>(j)];
      if (x.noteNumber != y.noteNumber || x.length != y.length)
        return "part " + std::to_string(n) + ": element " + std::to_string(i) + " (" +
               std::to_string(x.noteNumber) + " " + std::string(x.length) + ") became " +
               std::to_string(y.noteNumber) + " " + std::string(y.length) + " unreported";
      ++i;
      ++j;
    }
  }
  return "";
}

} // namespace pipora::testing
