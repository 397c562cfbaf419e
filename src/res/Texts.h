// The program's own captions and messages, in one place: each text the user
// reads is spelled once. (Dialog templates keep theirs in the .rc files.)
#pragma once

#include <cstddef>
#include <string>

namespace ui {

// Captions.
inline constexpr wchar_t kLauncherCaptionSuffix[] = L" セットアップ";  // after the title
inline constexpr wchar_t kSetupCaption[] = L"セットアップ";
inline constexpr wchar_t kInstallCaption[] = L"インストール";
inline constexpr wchar_t kAbortCaption[] = L"中断";
inline constexpr wchar_t kUninstallCaption[] = L"アンインストール";

// The launcher.
inline constexpr wchar_t kOpenReadmeSuffix[] = L"を開く";                // after the readme's name
inline constexpr wchar_t kInsertDiscSuffix[] = L"を挿入してください。";  // after a disc label
inline constexpr wchar_t kAskUninstall[] = L"このアプリケーションを削除しますか？";
inline constexpr wchar_t kUninstalled[] = L"アプリケーションを削除しました。";
inline constexpr wchar_t kNotInstalled[] = L"このアプリケーションはインストールされていません。";

// The wizard.
inline constexpr wchar_t kFinishText[] = L"完了";
inline constexpr wchar_t kChooseFolder[] = L"インストール先のフォルダを選択してください";
inline constexpr wchar_t kNeedFullFolder[] = L"インストール先のフォルダを指定してください。";
// An install folder longer than maxChars leaves some file's path too long.
inline std::wstring FolderTooLongText(std::size_t maxChars) {
  return L"インストール先のフォルダが長すぎます。\n" + std::to_wstring(maxChars) +
         L"文字以内のフォルダを指定してください。";
}
inline constexpr wchar_t kSpaceShort[] =
    L"インストールに必要な容量が不足しています。\nインストールを続行しますか？";
inline constexpr wchar_t kAskAbort[] = L"インストールを中断しますか？";
inline constexpr wchar_t kCopyFailedSuffix[] = L"のコピーに失敗しました。";  // after a file name
// After "<file>（<disc label>".
inline constexpr wchar_t kContentDiffersSuffix[] =
    L"）の内容が正しくありません。\nディスクを確認して、もう一度お試しください。";
inline constexpr wchar_t kRecordFailed[] =
    L"インストール情報をレジストリに書き込めませんでした。\nインストールを中止します。";

// How many listed files a removal left, and the first of them.
inline std::wstring UninstallLeftText(std::size_t count, const std::wstring& first) {
  return L"削除できなかったファイルが" + std::to_wstring(count) + L"個あります。\n" + first +
         L"\nゲームを終了してから、もう一度アンインストールしてください。";
}

// The record's key, which stayed after the removal (it holds other keys).
inline std::wstring RecordKeyLeftText(const std::wstring& key) {
  return L"アプリケーションを削除しましたが、次のレジストリキーは削除できませんでした。\n" + key;
}

// A setting (named by its key) that makes the package unusable: empty, or
// holding a name that cannot be used.
inline std::wstring RefusalText(const std::wstring& key, const std::wstring& value) {
  const std::wstring field = std::wstring(L"「") + key + L"」";
  if (value.empty())
    return L"セットアップ情報の" + field + L"が空です。\nセットアップを開始できません。";
  return L"セットアップ情報の" + field + L"の名前「" + value +
         L"」は使用できません。\nセットアップを開始できません。";
}

}  // namespace ui
