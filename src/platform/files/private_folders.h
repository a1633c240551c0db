#pragma once
// Folders of the program's own (the snapshot folders in its directory): removed without ever
// following a symbolic link, so that a link planted where a folder was expected, or inside
// one, costs only the link and never what it points to. Private to this user: 0700 folders.
#include <QString>

namespace pipora {

// Removes everything in `folder` except the entry named `keep` (empty: nothing kept), descending
// into real subfolders only; a link is removed as a link. When `folder` itself is a link,
// only the link goes. True when everything but `keep` is gone.
bool RemoveFolderContents(const QString &folder, const QString &keep = {});

// True when `path` is a symbolic link (not followed).
bool IsSymbolicLink(const QString &path);

// Removes the link itself, a dangling one too; false when `path` is not a link.
bool RemoveSymbolicLink(const QString &path);

// Makes an existing folder this user's alone (0700) when it is this user's and not a shared
// sticky folder (as /tmp); true when it is now 0700.
bool MakeFolderPrivate(const QString &folder);

} // namespace pipora
