#pragma once
// Select all, copy, cut, delete and paste. The clipboard is part 17 of the song, private to
// the program. The source editor works on selected rows of the current part's note list, the
// score editor on the current part's score selection or cursor. Every command works on whole
// ranges at once: a part is moved only once however many elements go in or out.
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <span>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kPasteTooLongMessage =
    "貼り付けるとパートの音符の数が上限（1000000個）を超えるので、貼り付けることが出来ません。";

// --- source editor: rows of the current part's list (the EndMarker row is row `count`) ---

// Puts the selected rows into the clipboard in their order; the EndMarker row never goes.
void CopySourceRows(Song &song, std::span<const int> rows);
// Deletes the selected rows (the EndMarker row stays) after backing the part up; the part's
// cursor goes to the first deleted row.
EditOutcome DeleteSourceRows(Song &song, std::span<const int> rows);
EditOutcome CutSourceRows(Song &song, std::span<const int> rows);
// Inserts the clipboard before the part's cursor; the cursor stays on the same index. An empty
// clipboard still counts as a change. A part that would grow past `maxElements` refuses it.
EditOutcome PasteSource(Song &song, std::int32_t maxElements = kMaxPartElements);

// --- score editor: the current part's score header ---

// Selects every element of the current part but the end element; the cursor goes to 0.
void SelectAllScore(Song &song);
// Copies the selection with start ticks counted from the first copied element.
void CopyScoreSelection(Song &song);
// Deletes the selection, or without one the element at the cursor, after backing the part up.
// The note lists follow.
EditOutcome DeleteScore(Song &song);
// Without a selection nothing happens.
EditOutcome CutScore(Song &song);
// Replaces the selection (if any) by the clipboard; the cursor moves past what was pasted.
EditOutcome PasteScore(Song &song, std::int32_t maxElements = kMaxPartElements);

// Removes `length` score elements from `position` of a part in one pass; later start ticks move
// back by the removed time. The end element never goes.
void ScoreDeleteRange(Song &song, int part, int position, int length);
// Inserts note-list elements before `position` of a part in one pass (start ticks come from the
// next RecalcTimes).
void InsertNotes(Song &song, int part, int position, std::span<const NoteEntry> entries);

} // namespace pipora
