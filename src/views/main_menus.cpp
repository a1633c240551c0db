#include "views/main_menus.h"

#include "model/keymap.h"
#include "platform/ui/virtual_keys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <array>

namespace pipora {
namespace {

constexpr MenuItemRow kSeparator{nullptr, nullptr, nullptr, nullptr};

constexpr std::array kFileItems = {
    MenuItemRow{"NewItem", "新規作成(&N)", "Ctrl+N", &MainActions::newSong},
    MenuItemRow{"OpenItem", "SMDファイルを開く(&O)...", "Ctrl+O", &MainActions::open},
    MenuItemRow{"SaveItem", "SMDファイルを上書き保存(&S)", "Ctrl+S", &MainActions::save},
    MenuItemRow{"SaveAsItem", "SMDファイルを名前を付けて保存(&A)...", nullptr,
                &MainActions::saveAs},
    kSeparator,
    MenuItemRow{"OpenMidiItem", "MIDIファイルを開く(&M)...", nullptr, &MainActions::openMidi},
    MenuItemRow{"SaveMidiItem", "MIDIファイルを上書き保存(&I)", nullptr, &MainActions::saveMidi},
    MenuItemRow{"SaveAsMidiItem", "MIDIファイルを名前を付けて保存(&D)...", nullptr,
                &MainActions::saveMidiAs},
    MenuItemRow{"SmafItem", "SMAFファイルを出力(&F)...", nullptr, &MainActions::exportSmaf},
    kSeparator,
    MenuItemRow{"PrintScoreItem", "楽譜を印刷(&P)...", "Ctrl+P", &MainActions::printScore},
    MenuItemRow{"ScorePdfItem", "楽譜をPDFで出力(&E)...", nullptr, &MainActions::scorePdf},
    MenuItemRow{"ScoreSvgItem", "楽譜をSVGで出力(&G)...", nullptr, &MainActions::scoreSvg},
    kSeparator,
    MenuItemRow{"ExitItem", "終了(&X)", nullptr, &MainActions::exit},
};

constexpr std::array kEditItems = {
    MenuItemRow{"UndoItem", "元に戻す(&U)", nullptr, &MainActions::undoGrayed},
    MenuItemRow{"UndoItem2", "元に戻す(&U)", "Ctrl+Z", &MainActions::undo},
    MenuItemRow{"RedoItem", "やり直し(&R)", "Ctrl+Y", &MainActions::redo},
    kSeparator,
    MenuItemRow{"CutItem", "切り取り(&T)", "Ctrl+X", &MainActions::cut},
    MenuItemRow{"CopyItem", "コピー(&C)", "Ctrl+C", &MainActions::copy},
    MenuItemRow{"PasteItem", "貼り付け(&P)", "Ctrl+V", &MainActions::paste},
    MenuItemRow{"DeleteItem", "削除(&D)", "Del", &MainActions::remove},
    MenuItemRow{"AllItem", "全てを選択(&A)", "Ctrl+A", &MainActions::selectAll},
    kSeparator,
    MenuItemRow{"FindItem", "検索(&F)...", "Ctrl+F", &MainActions::find},
    MenuItemRow{"NextFindItem", "次を検索(&N)", "F3", &MainActions::findNext},
    kSeparator,
    MenuItemRow{"UpItem", "半音上げる(&H)", nullptr, &MainActions::semitoneUp},
    MenuItemRow{"DownItem", "半音下げる(&I)", nullptr, &MainActions::semitoneDown},
    MenuItemRow{"LongItem", "音符を長くする(&G)", nullptr, &MainActions::longer},
    MenuItemRow{"ShortItem", "音符を短くする(&B)", nullptr, &MainActions::shorter},
    MenuItemRow{"oUpItem", "1オクターブ上げる(&O)", nullptr, &MainActions::octaveUp},
    MenuItemRow{"oDownItem", "1オクターブ下げる(&Q)", nullptr, &MainActions::octaveDown},
    MenuItemRow{"TieItem", "タイにする(&E)", nullptr, &MainActions::tie},
    kSeparator,
    MenuItemRow{"FastItem", "全ての音符を半分にする(&S)", nullptr, &MainActions::halveAll},
    MenuItemRow{"SlowItem", "全ての音符を倍にする(&L)", nullptr, &MainActions::doubleAll},
    kSeparator,
    MenuItemRow{"FitForSmdItem", "SMDに合わせる(&M)", nullptr, &MainActions::fitForSmd},
};

constexpr std::array kPlayItems = {
    MenuItemRow{"AllPlayItem", "全パート演奏(&A)", nullptr, &MainActions::playAll},
    MenuItemRow{"SoloPlayItem", "ソロ演奏(&S)", nullptr, &MainActions::playSolo},
    MenuItemRow{"MeasurePlayItem", "小節演奏(&M)", nullptr, &MainActions::playMeasure},
    MenuItemRow{"StopPlayItem", "停止(&T)", nullptr, &MainActions::stopPlay},
};

constexpr std::array kViewItems = {
    MenuItemRow{"ShowScrItem", "スコアエディタ'(&S)", nullptr, &MainActions::showScore},
    MenuItemRow{"ShowSrcItem", "ソースエディター(&U)", nullptr, &MainActions::showSource},
    MenuItemRow{"ShowPropertyItem", "プロパティウィンドウ(&R)", nullptr,
                &MainActions::showProperty},
    MenuItemRow{"ShowPlaypannelItem", "プレイヤー(&P)", nullptr, &MainActions::showPlayer},
    MenuItemRow{"ShowProblemsItem", "保存できない箇所の一覧(&K)", nullptr,
                &MainActions::showProblems},
    kSeparator,
    MenuItemRow{"HorizonItem", "並べて表示(&H)", nullptr, &MainActions::tile},
    MenuItemRow{"CascadeItem", "重ねて表示(&C)", nullptr, &MainActions::cascade},
    kSeparator,
    MenuItemRow{"minuteItem", "分/秒/ミリ秒(&M)", nullptr, &MainActions::minutesMode},
    MenuItemRow{"tickItem", "小節/拍/Tick(&T)", nullptr, &MainActions::ticksMode},
    kSeparator,
    MenuItemRow{"NarrowNoteItem", "[－]音符の間隔を狭くする(&N)", nullptr,
                &MainActions::narrowNotes},
    MenuItemRow{"ExtendNoteItem", "[＋]音符間隔を広げる(&E)", nullptr, &MainActions::widenNotes},
    MenuItemRow{"NarrowChItem", "[▲]段間隔を狭くする(&A)", nullptr, &MainActions::narrowStaves},
    MenuItemRow{"ExtendChItem", "[▼]段間隔を広げる(&X)", nullptr, &MainActions::widenStaves},
    MenuItemRow{"HideEmptyPartsItem", "空のパートを隠す", nullptr, &MainActions::hideEmptyParts},
    kSeparator,
    MenuItemRow{"FontItem", "フォントの設定(&F)...", nullptr, &MainActions::sourceFont},
    MenuItemRow{"ToneItem", "その他の設定(&O)...", nullptr, &MainActions::options},
};

constexpr std::array kHelpItems = {
    MenuItemRow{"HelpItem", "目次(&H)...", "F1", &MainActions::help},
    MenuItemRow{"AboutItem", "バージョン情報(&A)...", nullptr, &MainActions::about},
};

constexpr std::array kMenus = {
    MenuRow{"FileMenu", "ファイル(&F)", kFileItems, &MainMenus::file},
    MenuRow{"EditMenu", "編集(&E)", kEditItems, &MainMenus::edit},
    MenuRow{"PlayMenu", "演奏(&P)", kPlayItems, &MainMenus::play},
    MenuRow{"ViewMenu", "表示(&V)", kViewItems, &MainMenus::view},
    MenuRow{"HelpMenu", "ヘルプ(&H)", kHelpItems, &MainMenus::help},
};

constexpr std::array kShortcutItems = {
    ShortcutItem{ShortCutAction::SemitoneUp, &MainActions::semitoneUp},
    ShortcutItem{ShortCutAction::SemitoneDown, &MainActions::semitoneDown},
    ShortcutItem{ShortCutAction::Longer, &MainActions::longer},
    ShortcutItem{ShortCutAction::Shorter, &MainActions::shorter},
    ShortcutItem{ShortCutAction::OctaveUp, &MainActions::octaveUp},
    ShortcutItem{ShortCutAction::OctaveDown, &MainActions::octaveDown},
    ShortcutItem{ShortCutAction::PlayAll, &MainActions::playAll},
    ShortcutItem{ShortCutAction::SoloPlay, &MainActions::playSolo},
    ShortcutItem{ShortCutAction::StopPlay, &MainActions::stopPlay},
    ShortcutItem{ShortCutAction::Tie, &MainActions::tie},
    ShortcutItem{ShortCutAction::MeasurePlay, &MainActions::playMeasure},
};

} // namespace

std::span<const ShortcutItem> ShortcutItems() {
  return kShortcutItems;
}

void ShowShortcutKeys(const MainActions &actions, const ShortCutTable &table) {
  for (const ShortcutItem &item : kShortcutItems) {
    QAction *a = actions.*item.action;
    if (a == nullptr)
      continue;
    a->setShortcutContext(Qt::WidgetShortcut);
    a->setShortcut(KeySequenceOfShortcut(ShortCutOf(table, item.key)));
  }
}

std::span<const MenuRow> MenuTree() {
  return kMenus;
}

void BuildMenuBar(QMenuBar &bar, MainActions &actions, MainMenus &menus) {
  for (const MenuRow &row : kMenus) {
    QMenu *m = bar.addMenu(QString::fromUtf8(row.caption));
    m->setObjectName(QString::fromLatin1(row.name));
    menus.*row.menu = m;
    for (const MenuItemRow &item : row.items) {
      if (!item.name) {
        m->addSeparator();
        continue;
      }
      QAction *a = m->addAction(QString::fromUtf8(item.caption));
      a->setObjectName(QString::fromLatin1(item.name));
      if (item.shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
      actions.*item.action = a;
    }
  }
  // The two items that carry no action are shown grayed.
  actions.undoGrayed->setEnabled(false);
  actions.exportSmaf->setEnabled(false);
  for (QAction *checkable :
       {actions.showScore, actions.showSource, actions.showProperty, actions.showPlayer,
        actions.minutesMode, actions.ticksMode, actions.hideEmptyParts})
    checkable->setCheckable(true);
  actions.minutesMode->setChecked(true);

  // The recent files, above the separator before 終了.
  QMenu *file = menus.file;
  auto *recent = new QMenu(QStringLiteral("最近使ったファイル(&R)"), file);
  recent->setObjectName("RecentMenu");
  recent->menuAction()->setObjectName("RecentMenu");
  const QList<QAction *> fileItems = file->actions();
  file->insertMenu(fileItems.at(fileItems.indexOf(actions.exit) - 1), recent);
  file->insertSeparator(recent->menuAction());
  menus.recent = recent;

  // The other kinds of file a song is written as, below the SMAF item.
  auto *exports = new QMenu(QStringLiteral("エクスポート(&T)"), file);
  exports->setObjectName("ExportMenu");
  exports->menuAction()->setObjectName("ExportMenu");
  actions.exportMusicXml = exports->addAction(QStringLiteral("MusicXML(&X)..."));
  actions.exportMusicXml->setObjectName("MusicXmlExportItem");
  const QList<QAction *> withRecent = file->actions();
  file->insertMenu(withRecent.at(withRecent.indexOf(actions.exportSmaf) + 1), exports);
  menus.exports = exports;
}

} // namespace pipora
