// The options dialog's keyboard: which keys switch their spelling, and the staff offset
// that follows a name.
#include "settings/accidentals.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

struct ToggleRow {
  const char *name;
  int pitchClass;
  const char *before;
  const char *after;
};

class AccidentalToggle : public ::testing::TestWithParam<ToggleRow> {};

TEST_P(AccidentalToggle, SwitchesToTheOtherSpellingAndBack) {
  const ToggleRow &row = GetParam();
  const QString once = ToggledSpelling(row.pitchClass, QString::fromUtf8(row.before));
  EXPECT_EQ(once.toStdString(), row.after);
  EXPECT_EQ(ToggledSpelling(row.pitchClass, once).toStdString(), row.before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AccidentalToggle,
    ::testing::Values(ToggleRow{"CSharp", 1, "ド#", "レb"}, ToggleRow{"DSharp", 3, "ミb", "レ#"},
                      ToggleRow{"E", 4, "ミ", "ﾌｧb"}, ToggleRow{"F", 5, "ﾌｧ", "ミ#"},
                      ToggleRow{"FSharp", 6, "ﾌｧ#", "ソb"}, ToggleRow{"GSharp", 8, "ソ#", "ラb"},
                      ToggleRow{"ASharp", 10, "シb", "ラ#"}),
    [](const ::testing::TestParamInfo<ToggleRow> &info) { return std::string(info.param.name); });

TEST(AccidentalToggle, WhiteKeysWithOneNameStayAsTheyAre) {
  for (int pc : {0, 2, 7, 9, 11}) {
    EXPECT_FALSE(HasTwoSpellings(pc)) << pc;
    const QString name = DefaultDoReMiTable()[static_cast<std::size_t>(pc)].name;
    EXPECT_EQ(ToggledSpelling(pc, name), name) << pc;
  }
}

TEST(AccidentalToggle, ANameOfAnotherKeyIsNotTakenForThisOne) {
  // "レb" belongs to key 1; key 3 must not turn it into something.
  EXPECT_EQ(ToggledSpelling(3, QStringLiteral("レb")).toStdString(), "レb");
}

struct OffsetRow {
  const char *name;
  const char *spelling;
  int offset;
};

class SpellingOffset : public ::testing::TestWithParam<OffsetRow> {};

TEST_P(SpellingOffset, FollowsTheNamesNote) {
  EXPECT_EQ(OffsetOfSpelling(QString::fromUtf8(GetParam().spelling)), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpellingOffset,
    ::testing::Values(OffsetRow{"Do", "ド", 0}, OffsetRow{"DoSharp", "ド#", 0},
                      OffsetRow{"ReFlat", "レb", 6}, OffsetRow{"MiSharp", "ミ#", 12},
                      OffsetRow{"FaFlat", "ﾌｧb", 18}, OffsetRow{"FaSharp", "ﾌｧ#", 18},
                      OffsetRow{"SoFlat", "ソb", 24}, OffsetRow{"LaFlat", "ラb", 30},
                      OffsetRow{"LaSharp", "ラ#", 30}, OffsetRow{"Ti", "シ", 36},
                      OffsetRow{"Unknown", "X#", -1}, OffsetRow{"Empty", "", -1}),
    [](const ::testing::TestParamInfo<OffsetRow> &info) { return std::string(info.param.name); });

TEST(AccidentalTable, DefaultOffsetsFollowTheirNames) {
  for (const DoReMiRow &row : DefaultDoReMiTable())
    EXPECT_EQ(OffsetOfSpelling(row.name), row.offset) << row.name.toStdString();
}

TEST(AccidentalTable, ApplyingSpellingsSetsNamesAndOffsets) {
  DoReMiTable table = DefaultDoReMiTable();
  std::array<QString, 12> names;
  for (std::size_t i = 0; i < names.size(); ++i)
    names[i] = table[i].name;
  names[4] = QStringLiteral("ﾌｧb");
  names[1] = QStringLiteral("レb");
  names[7] = QStringLiteral("garbage");
  ApplySpellings(table, names);
  EXPECT_EQ(table[4].name.toStdString(), "ﾌｧb");
  EXPECT_EQ(table[4].offset, 18);
  EXPECT_EQ(table[1].offset, 6);
  // A name that is no spelling at all leaves its row alone.
  EXPECT_EQ(table[7].name.toStdString(), "ソ");
  EXPECT_EQ(table[7].offset, 24);
}

} // namespace
} // namespace pipora
