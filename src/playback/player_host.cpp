#include "playback/player_host.h"

namespace pipora {

namespace {
bool UserPart(int part) {
  return part >= 1 && part <= kUserParts;
}
} // namespace

HeadlessPlayerHost::HeadlessPlayerHost(const Song &song) {
  for (int n = 1; n <= kUserParts; ++n) {
    value_[static_cast<std::size_t>(n)] = song.part(n).volume;
    maximum_[static_cast<std::size_t>(n)] = 8;
  }
}

void HeadlessPlayerHost::showBar(int part, int value, int maximum) {
  if (!UserPart(part))
    return;
  value_[static_cast<std::size_t>(part)] = value;
  maximum_[static_cast<std::size_t>(part)] = maximum;
}

int HeadlessPlayerHost::barValue(int part) const {
  return UserPart(part) ? value_[static_cast<std::size_t>(part)] : 0;
}

int HeadlessPlayerHost::barMaximum(int part) const {
  return UserPart(part) ? maximum_[static_cast<std::size_t>(part)] : 0;
}

} // namespace pipora
