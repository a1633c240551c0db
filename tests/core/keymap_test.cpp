#include "model/keymap.h"

#include <gtest/gtest.h>

namespace pipora {
namespace {

TEST(ResolveShortCut, DefaultKeysMeanTheirActions) {
  const ShortCutTable &table = kDefaultShortCutTable;
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode(vk::Up, vk::kAlt), table, kScoreEditorActions),
            ShortCutAction::SemitoneUp);
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode('T', 0), table, kScoreEditorActions),
            ShortCutAction::Tie);
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode(vk::Next, 0), table, kScoreEditorActions),
            ShortCutAction::OctaveDown);
}

TEST(ResolveShortCut, ModifiersMustMatch) {
  const ShortCutTable &table = kDefaultShortCutTable;
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode(vk::Up, 0), table, kScoreEditorActions), std::nullopt);
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode('T', vk::kShift), table, kScoreEditorActions),
            std::nullopt);
}

// Space plays all and stops by default: which one it means depends on what the window offers.
TEST(ResolveShortCut, OnlyTheActionsOfferedCount) {
  const ShortCutTable &table = kDefaultShortCutTable;
  const int space = CombinedKeyCode(vk::Space, 0);
  EXPECT_EQ(ResolveShortCut(space, table, kListPlayActions), ShortCutAction::PlayAll);
  EXPECT_EQ(ResolveShortCut(space, table, kStopAction), ShortCutAction::StopPlay);
  EXPECT_EQ(ResolveShortCut(CombinedKeyCode('T', 0), table, kListPlayActions), std::nullopt);
}

TEST(ResolveShortCut, TheFirstActionOfferedWinsASharedKey) {
  ShortCutTable table = kDefaultShortCutTable;
  table[static_cast<std::size_t>(ShortCutAction::SoloPlay)] = CombinedKeyCode(vk::Space, 0);
  const int space = CombinedKeyCode(vk::Space, 0);
  EXPECT_EQ(ResolveShortCut(space, table, kListPlayActions), ShortCutAction::SoloPlay);
  EXPECT_EQ(ResolveShortCut(space, table, kScoreEditorActions), ShortCutAction::PlayAll);
}

} // namespace
} // namespace pipora
