#include "settings/recent_files.h"

namespace pipora {
namespace {

QStringList WithOnTop(QStringList list, const QString &path) {
  list.removeAll(path);
  list.prepend(path);
  return list.mid(0, kMaxRecentFiles);
}

} // namespace

void RecentFiles::setStored(const QStringList &paths) {
  paths_.clear();
  for (auto it = paths.crbegin(); it != paths.crend(); ++it)
    if (!it->isEmpty())
      paths_ = WithOnTop(paths_, *it);
  used_.clear();
  removed_.clear();
}

void RecentFiles::add(const QString &path) {
  paths_ = WithOnTop(paths_, path);
  used_ = WithOnTop(used_, path);
  removed_.removeAll(path);
}

void RecentFiles::remove(const QString &path) {
  paths_.removeAll(path);
  used_.removeAll(path);
  if (!removed_.contains(path))
    removed_.append(path);
}

QStringList RecentFiles::mergedOver(const QStringList &stored) const {
  QStringList merged = used_;
  for (const QString &path : stored)
    if (!path.isEmpty() && !merged.contains(path) && !removed_.contains(path))
      merged.append(path);
  return merged.mid(0, kMaxRecentFiles);
}

} // namespace pipora
