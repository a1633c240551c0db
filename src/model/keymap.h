#pragma once
// Which shortcut a key press means. Every window that listens for the play, stop and editing
// shortcuts asks here, each for the actions it offers, in the order it prefers them when the
// user has given two actions the same key.
#include "model/virtual_keys.h"

#include <optional>
#include <span>

namespace pipora {

// A key press as the shortcut table stores it: modifier mask x 256 + virtual key code.
constexpr int CombinedKeyCode(int virtualKey, int modifiers) {
  return modifiers * 256 + virtualKey;
}

// The shortcut stored for an action.
constexpr int ShortCutOf(const ShortCutTable &table, ShortCutAction action) {
  return table[static_cast<std::size_t>(action)];
}

// The first of `actions` whose shortcut is `code`; nullopt when none is.
std::optional<ShortCutAction> ResolveShortCut(int code, const ShortCutTable &table,
                                              std::span<const ShortCutAction> actions);

// The score editor's editing and play shortcuts, in table order (stop is handled apart).
inline constexpr ShortCutAction kScoreEditorActions[] = {
    ShortCutAction::SemitoneUp, ShortCutAction::SemitoneDown, ShortCutAction::Longer,
    ShortCutAction::Shorter,    ShortCutAction::OctaveUp,     ShortCutAction::OctaveDown,
    ShortCutAction::PlayAll,    ShortCutAction::SoloPlay,     ShortCutAction::Tie,
    ShortCutAction::MeasurePlay};
// The plays the source editor starts from its list.
inline constexpr ShortCutAction kListPlayActions[] = {
    ShortCutAction::SoloPlay, ShortCutAction::PlayAll, ShortCutAction::MeasurePlay};
// Every play shortcut and stop: the keys the source editor's list takes before the menus.
inline constexpr ShortCutAction kListShortCutActions[] = {
    ShortCutAction::SoloPlay, ShortCutAction::PlayAll, ShortCutAction::MeasurePlay,
    ShortCutAction::StopPlay};
inline constexpr ShortCutAction kStopAction[] = {ShortCutAction::StopPlay};
inline constexpr ShortCutAction kPlayAllAction[] = {ShortCutAction::PlayAll};

} // namespace pipora
