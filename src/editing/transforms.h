#pragma once
// The note transforms of the Edit menu: transpose by a semitone or an octave, make the note
// before the score cursor longer or shorter, tie it, and halve or double every length of the
// song. Each leaves the note lists and the score lists in step.
#include "editing/edit_outcome.h"
#include "model/song.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pipora {

inline constexpr std::string_view kHalveSixteenthMessage =
    "16分音符または付点8分音符が見つかりました。音符を半分にすることが出来ないので、削除してくだ"
    "さい。";
inline constexpr std::string_view kHalveSixteenthTripletMessage =
    "16分3連音符が見つかりました。音符を半分にすることが出来ないので、削除してください。";
inline constexpr std::string_view kDoubleHalfTripletMessage =
    "2分3連音符が見つかりました。3連符の中でタイは使えないので音符を2倍にすることが出来ません。\n"
    "カーソル位置の音符を削除してください。";
inline constexpr std::string_view kDoubleTooLongMessage =
    "2倍にするとパートの音符の数が上限（1000000個）を超えるので、音符を2倍にすることが出来ません。";

// Source editor: adds k to the selected rows' notes (rests stay, no range check) and renames
// their pitch. The rows are rows of the current part; the EndMarker row is ignored.
EditOutcome TransposeSourceRows(Song &song, std::span<const int> rows, int k);
// Score editor: moves the selected notes by k as the pitch keys do (inside the SMD range unless
// `isNoCheck`). Without a selection nothing changes but the step still counts.
EditOutcome TransposeScoreSelection(Song &song, int k, bool isNoCheck);

// The next length up or down, wrapping around (a half gets longer into a sixteenth); triplets
// stay triplets. Ticks outside the table have none.
std::optional<int> LongerTicks(int ticks);
std::optional<int> ShorterTicks(int ticks);
// Score editor, no selection: the note before the cursor gets the next length; its tie stays.
EditOutcome ChangeLengthBeforeCursor(Song &song, bool longer);
// Score editor, no selection: the note before the cursor is tied, or untied.
EditOutcome ToggleTieBeforeCursor(Song &song);

// The new code of a halved or doubled length; none for a code the table leaves alone. A half
// note has no double: it becomes a tied pair of halves (DoubleAll).
std::optional<std::string> HalvedCode(std::string_view code);
std::optional<std::string> DoubledCode(std::string_view code);

// Halve or double every length of the user's parts and the clipboard. A note that cannot be
// halved (a sixteenth) or doubled (a half-note triplet) refuses the whole command: that note
// becomes the current part's cursor note and nothing else changes. `scoreEditorActive`: the
// score lists are the live ones.
EditOutcome HalveAll(Song &song, bool scoreEditorActive);
EditOutcome DoubleAll(Song &song, bool scoreEditorActive,
                      std::int32_t maxElements = kMaxPartElements);

} // namespace pipora
