// The program's own texts: titles, messages, and for each command or panel
// control its status-bar prompt and tool tip.
#pragma once

inline constexpr const char* kAppTitle = "ヴェルモア";
inline constexpr const char* kUntitledDocument = "ファイル未指定";
inline constexpr const char* kIdleStatusText = "F1でヘルプを表示します。";
inline constexpr const char* kMsgUnsupportedData = "未対応のデータ形式です。";
inline constexpr const char* kMsgOutOfMemory = "メモリ不足です。";
inline constexpr const char* kMsgStatusBarFailed = "ステータスバーを作成できませんでした。";
inline constexpr const char* kMsgDialogBarFailed = "ダイアログバーを作成できませんでした。";
inline constexpr const char* kEmptyViewPrompt = "元絵ファイルを開くか、ここにドロップしてください。";

struct CommandText {
    int id;
    const char* prompt;   // status bar, while highlighted or under the mouse
    const char* toolTip;  // empty: none
};

// Status-bar prompt and tool tip of an id; null when the id has none.
const CommandText* FindCommandText(int id);

// The external viewer and its options.
inline constexpr const char* kMsgViewerFailed = "ビューアを起動できませんでした。(%d)";
inline constexpr const char* kMsgNeedViewerPath = "ファイルパスを指定してください。";
