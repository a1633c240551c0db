#pragma once
// The File menu's "最近使ったファイル": the files opened or saved last, most recent first,
// kept in pipora.ini. Several editors share the list: each remembers what it used and what
// it took off, and lays that over the list the file holds when it writes, so that no
// editor loses the other's lines.
#include <QStringList>

namespace pipora {

inline constexpr int kMaxRecentFiles = 8;

class RecentFiles {
public:
  // The list as read from the file; this editor has changed nothing yet.
  void setStored(const QStringList &paths);

  // `path` goes to the top (once), the oldest beyond the limit drop off.
  void add(const QString &path);
  // A file that is gone leaves the list.
  void remove(const QString &path);

  // What the menu shows, most recent first.
  const QStringList &paths() const { return paths_; }
  bool changed() const { return !used_.isEmpty() || !removed_.isEmpty(); }
  // The list to write over `stored`, the one the file holds now: the files this editor
  // used, most recent first, then the file's others without those this editor removed.
  QStringList mergedOver(const QStringList &stored) const;

private:
  QStringList paths_;
  QStringList used_;
  QStringList removed_;
};

} // namespace pipora
