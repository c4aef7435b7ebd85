#include "res/UiTexts.h"

#include "res/CommandIds.h"

namespace {

constexpr CommandText kTexts[] = {
    {ID_FILE_OPEN, "元絵ファイルを開きます。", "元絵を開く"},
    {ID_FILE_SAVE, "下絵をファイル保存します。", "下絵を保存"},
    {ID_FILE_PRINT, "下絵を印刷します。", "印刷"},
    {ID_FILE_PRINT_PREVIEW, "下絵の印刷イメージを表示します。", "印刷プレビュー"},
    {ID_FILE_MRU_FIRST, "指定の元絵ファイルを開きます。", ""},
    {ID_APP_EXIT, "アプリケーションを終了します。", "終了"},
    {ID_MAKE_SKETCH, "元絵から下絵を作成します。", "下絵を作成"},
    {ID_EDIT_PASTE, "クリップボードの内容を元絵として貼り付けます。", "貼り付け"},
    {ID_EDIT_COPY, "表示中の元絵または下絵をコピーしてクリップボードに保存します。", "コピー"},
    {ID_TOGGLE_DISPLAY, "元絵と下絵の表示を切り替えます。", "元絵/下絵 表示切替"},
    {ID_VIEWER, "外部ビューアを起動して、表示中の絵を表示および印刷します。", "外部ビューアで表示/印刷"},
    {ID_DLGBAR_LEFT_RIGHT, "ダイアログバーの左右の表示位置を切り替えます。", "ダイアログバー 左右切替"},
    {ID_OPTIONS, "オプションを設定します。", "オプション"},
    {ID_HELP, "ヘルプを表示します。", "ヘルプ"},
    {ID_APP_ABOUT, "プログラム情報、バージョン、著作権を表示します。", "バージョン情報"},
    {IDC_LINE_STRONG, "下絵の線の濃さを変更します。", "線の濃さ"},
    {IDC_LINE_REMOVE, "下絵の薄い線を除去します。", "薄い線を除去"},
    {IDC_DENOISE, "下絵のノイズを除去します。（写真向け）", "ノイズを除去（写真向け）"},
    {IDC_LINE_COLOR, "下絵の線色を変更します。", "線の色"},
    {IDC_FRAME_COLOR, "下絵の枠色を変更します。", "枠の色"},
    {IDC_VIEW_RATE, "元絵/下絵の表示倍率を変更します。", "表示倍率"},
    {IDC_LINE_THICKEN, "下絵の線を太くします。", "線を太く"},
    {IDC_SPECK_REMOVE, "下絵の小さな点を除去します。", "小さな点を除去"},
};

}  // namespace

const CommandText* FindCommandText(int id) {
    if (id > ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) id = ID_FILE_MRU_FIRST;
    for (const CommandText& t : kTexts)
        if (t.id == id) return &t;
    return nullptr;
}
