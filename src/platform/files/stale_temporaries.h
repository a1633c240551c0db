#pragma once
// A save killed between creating its temporary file and the rename leaves the hidden
// temporary beside the target (".pipora-<random>.tmp", or ".NAME.<random>.tmp" from earlier
// versions). The next save into that folder clears such leftovers of this user's, once they
// are old enough that no save running now can own them.
#include <QString>

#include <chrono>

namespace pipora {

// A save's temporary file is written and renamed within seconds; a long render keeps
// writing to it, so its time of change stays recent.
inline constexpr std::chrono::minutes kStaleTemporaryAge{10};

// Removes the regular files in `folder` named as the checked write names its temporaries,
// owned by this user and unchanged for kStaleTemporaryAge; links and other users' files stay.
// Returns how many were removed.
int RemoveStaleTemporaries(const QString &folder);

} // namespace pipora
