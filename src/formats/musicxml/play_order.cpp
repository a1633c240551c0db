#include "formats/musicxml/play_order.h"

#include <algorithm>
#include <cstddef>

namespace pipora {

std::vector<int> PlayOrder(const std::vector<MeasureBarlines> &measures, int maxMeasures) {
  std::vector<int> order;
  const int count = static_cast<int>(measures.size());
  int sectionStart = 0; // where the repeat being played starts
  int pass = 1;         // which time through it
  int i = 0;
  while (i < count && static_cast<int>(order.size()) < maxMeasures) {
    const MeasureBarlines &m = measures[static_cast<std::size_t>(i)];
    if (m.repeatForward && pass == 1)
      sectionStart = i;
    const bool inPass =
        m.endings.empty() || std::find(m.endings.begin(), m.endings.end(), pass) != m.endings.end();
    if (!inPass) { // a volta for another pass
      ++i;
      continue;
    }
    order.push_back(i);
    if (m.repeatBackward && pass < std::max(m.times, 1)) {
      ++pass;
      i = sectionStart;
      continue;
    }
    if (m.repeatBackward || (m.endingEnds && !m.endings.empty())) {
      // The section is done (its last pass, or its last volta): a later end repeat without
      // a start repeat goes back to here.
      pass = 1;
      sectionStart = i + 1;
    }
    ++i;
  }
  return order;
}

} // namespace pipora
