#include "views/main_menus.h"

#include <array>

namespace pipora {
namespace {

constexpr MenuItemRow kSeparator{nullptr, nullptr, nullptr};

constexpr std::array kFileItems = {
    MenuItemRow{"NewItem", "新規作成(&N)", "Ctrl+N"},
    MenuItemRow{"OpenItem", "SMDファイルを開く(&O)...", "Ctrl+O"},
    MenuItemRow{"SaveItem", "SMDファイルを上書き保存(&S)", "Ctrl+S"},
    MenuItemRow{"SaveAsItem", "SMDファイルを名前を付けて保存(&A)...", nullptr},
    kSeparator,
    MenuItemRow{"OpenMidiItem", "MIDIファイルを開く(&M)...", nullptr},
    MenuItemRow{"SaveMidiItem", "MIDIファイルを上書き保存(&I)", nullptr},
    MenuItemRow{"SaveAsMidiItem", "MIDIファイルを名前を付けて保存(&D)...", nullptr},
    MenuItemRow{"SmafItem", "SMAFファイルを出力(&F)...", nullptr},
    kSeparator,
    MenuItemRow{"PrintScoreItem", "楽譜を印刷(&P)...", "Ctrl+P"},
    MenuItemRow{"ScorePdfItem", "楽譜をPDFで出力(&E)...", nullptr},
    MenuItemRow{"ScoreSvgItem", "楽譜をSVGで出力(&G)...", nullptr},
    kSeparator,
    MenuItemRow{"ExitItem", "終了(&X)", nullptr},
};

constexpr std::array kEditItems = {
    MenuItemRow{"UndoItem", "元に戻す(&U)", nullptr},
    MenuItemRow{"UndoItem2", "元に戻す(&U)", "Ctrl+Z"},
    MenuItemRow{"RedoItem", "やり直し(&R)", "Ctrl+Y"},
    kSeparator,
    MenuItemRow{"CutItem", "切り取り(&T)", "Ctrl+X"},
    MenuItemRow{"CopyItem", "コピー(&C)", "Ctrl+C"},
    MenuItemRow{"PasteItem", "貼り付け(&P)", "Ctrl+V"},
    MenuItemRow{"DeleteItem", "削除(&D)", "Del"},
    MenuItemRow{"AllItem", "全てを選択(&A)", "Ctrl+A"},
    kSeparator,
    MenuItemRow{"FindItem", "検索(&F)...", "Ctrl+F"},
    MenuItemRow{"NextFindItem", "次を検索(&N)", "F3"},
    kSeparator,
    MenuItemRow{"UpItem", "半音上げる(&H)", nullptr},
    MenuItemRow{"DownItem", "半音下げる(&I)", nullptr},
    MenuItemRow{"LongItem", "音符を長くする(&G)", nullptr},
    MenuItemRow{"ShortItem", "音符を短くする(&B)", nullptr},
    MenuItemRow{"oUpItem", "1オクターブ上げる(&O)", nullptr},
    MenuItemRow{"oDownItem", "1オクターブ下げる(&Q)", nullptr},
    MenuItemRow{"TieItem", "タイにする(&E)", nullptr},
    kSeparator,
    MenuItemRow{"FastItem", "全ての音符を半分にする(&S)", nullptr},
    MenuItemRow{"SlowItem", "全ての音符を倍にする(&L)", nullptr},
    kSeparator,
    MenuItemRow{"FitForSmdItem", "SMDに合わせる(&M)", nullptr},
};

constexpr std::array kPlayItems = {
    MenuItemRow{"AllPlayItem", "全パート演奏(&A)", nullptr},
    MenuItemRow{"SoloPlayItem", "ソロ演奏(&S)", nullptr},
    MenuItemRow{"MeasurePlayItem", "小節演奏(&M)", nullptr},
    MenuItemRow{"StopPlayItem", "停止(&T)", nullptr},
};

constexpr std::array kViewItems = {
    MenuItemRow{"ShowScrItem", "スコアエディタ'(&S)", nullptr},
    MenuItemRow{"ShowSrcItem", "ソースエディター(&U)", nullptr},
    MenuItemRow{"ShowPropertyItem", "プロパティウィンドウ(&R)", nullptr},
    MenuItemRow{"ShowPlaypannelItem", "プレイヤー(&P)", nullptr},
    MenuItemRow{"ShowProblemsItem", "保存できない箇所の一覧(&K)", nullptr},
    kSeparator,
    MenuItemRow{"HorizonItem", "並べて表示(&H)", nullptr},
    MenuItemRow{"CascadeItem", "重ねて表示(&C)", nullptr},
    kSeparator,
    MenuItemRow{"minuteItem", "分/秒/ミリ秒(&M)", nullptr},
    MenuItemRow{"tickItem", "小節/拍/Tick(&T)", nullptr},
    kSeparator,
    MenuItemRow{"NarrowNoteItem", "[－]音符の間隔を狭くする(&N)", nullptr},
    MenuItemRow{"ExtendNoteItem", "[＋]音符間隔を広げる(&E)", nullptr},
    MenuItemRow{"NarrowChItem", "[▲]段間隔を狭くする(&A)", nullptr},
    MenuItemRow{"ExtendChItem", "[▼]段間隔を広げる(&X)", nullptr},
    MenuItemRow{"HideEmptyPartsItem", "空のパートを隠す", nullptr},
    kSeparator,
    MenuItemRow{"FontItem", "フォントの設定(&F)...", nullptr},
    MenuItemRow{"ToneItem", "その他の設定(&O)...", nullptr},
};

constexpr std::array kHelpItems = {
    MenuItemRow{"HelpItem", "目次(&H)...", "F1"},
    MenuItemRow{"AboutItem", "バージョン情報(&A)...", nullptr},
};

constexpr std::array kMenus = {
    MenuRow{"FileMenu", "ファイル(&F)", kFileItems}, MenuRow{"EditMenu", "編集(&E)", kEditItems},
    MenuRow{"PlayMenu", "演奏(&P)", kPlayItems},     MenuRow{"ViewMenu", "表示(&V)", kViewItems},
    MenuRow{"HelpMenu", "ヘルプ(&H)", kHelpItems},
};

} // namespace

std::span<const MenuRow> MenuTree() {
  return kMenus;
}

} // namespace pipora
