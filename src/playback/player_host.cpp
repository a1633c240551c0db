#include "playback/player_host.h"

#include <algorithm>

namespace pipora {

namespace {
bool UserPart(int part) {
  return part >= 1 && part <= kUserParts;
}
} // namespace

HeadlessPlayerHost::HeadlessPlayerHost(Song &song) : song_(song) {
  for (int n = 1; n <= kUserParts; ++n) {
    value_[static_cast<std::size_t>(n)] = song.part(n).volume;
    maximum_[static_cast<std::size_t>(n)] = 8;
  }
}

double HeadlessPlayerHost::barValue(int part) const {
  return UserPart(part) ? value_[static_cast<std::size_t>(part)] : 0;
}

void HeadlessPlayerHost::setBarValue(int part, int value) {
  if (UserPart(part))
    value_[static_cast<std::size_t>(part)] = value;
}

int HeadlessPlayerHost::barMaximum(int part) const {
  return UserPart(part) ? maximum_[static_cast<std::size_t>(part)] : 0;
}

void HeadlessPlayerHost::setBarMaximum(int part, int maximum) {
  if (UserPart(part))
    maximum_[static_cast<std::size_t>(part)] = maximum;
}

int HeadlessPlayerHost::program(int part) const {
  return UserPart(part) ? std::clamp(song_.part(part).tone, 0, 127) : 0;
}

int HeadlessPlayerHost::selectedSourceElement() const {
  const Part &p = song_.part(std::clamp(song_.currentPart, 1, kUserParts));
  return std::clamp(p.cursor, 0, p.count);
}

} // namespace pipora
