// The program's own captions and messages, in one place: each text the user
// reads is spelled here or in a dialog template of the .rc files, once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ui {

// Captions.
// The launcher's caption, by which an open launcher of the product is found.
inline std::wstring LauncherCaption(const std::wstring& title) { return title + L" セットアップ"; }
inline constexpr wchar_t kSetupCaption[] = L"セットアップ";
inline constexpr wchar_t kInstallCaption[] = L"インストール";
inline constexpr wchar_t kAbortCaption[] = L"中断";
inline constexpr wchar_t kUninstallCaption[] = L"アンインストール";
inline constexpr wchar_t kRepairCaption[] = L"修復";

// The launcher.
inline std::wstring OpenReadmeText(const std::wstring& readme) { return readme + L"を開く"; }
inline std::wstring InsertDiscText(const std::wstring& disc) { return disc + L"を挿入してください。"; }
inline constexpr wchar_t kAskUninstall[] = L"このアプリケーションを削除しますか？";
inline constexpr wchar_t kUninstalled[] = L"アプリケーションを削除しました。";
inline constexpr wchar_t kNotInstalled[] = L"このアプリケーションはインストールされていません。";
inline constexpr wchar_t kAlreadyInstalled[] = L"このアプリケーションは既にインストールされています。";
// A product on several discs runs from a copy in the temporary folder
// (tempFolder), which could not be made or started.
inline std::wstring TempCopyFailedText(const std::wstring& tempFolder) {
  return L"セットアップを一時フォルダにコピーして起動できませんでした。\n" + tempFolder +
         L"\n一時フォルダを確認して、もう一度お試しください。";
}

// The wizard.
inline constexpr wchar_t kFinishText[] = L"完了";
inline constexpr wchar_t kChooseFolder[] = L"インストール先のフォルダを選択してください";
// The required space and the free space of queryPath's drive, in whole KB
// (rounded down, never truncated to 32 bits).
inline std::wstring SpaceText(std::uint64_t requiredBytes, const std::wstring& queryPath,
                              std::uint64_t freeBytes) {
  return L"必要な容量\t" + std::to_wstring(requiredBytes >> 10) + L"KB\n" + queryPath +
         L" の空き容量\t" + std::to_wstring(freeBytes >> 10) + L"KB";
}
// More than one of /install, /uninstall and /repair on one command line.
inline constexpr wchar_t kOneCommandOnly[] =
    L"/install、/uninstall、/repair は一度に一つだけ指定できます。";
inline constexpr wchar_t kNeedFullFolder[] = L"インストール先のフォルダを指定してください。";
// An install folder longer than maxChars leaves some file's path too long.
inline std::wstring FolderTooLongText(std::size_t maxChars) {
  return L"インストール先のフォルダが長すぎます。\n" + std::to_wstring(maxChars) +
         L"文字以内のフォルダを指定してください。";
}
inline constexpr wchar_t kSpaceShort[] =
    L"インストールに必要な容量が不足しています。\nインストールを続行しますか？";
inline constexpr wchar_t kAskAbort[] = L"インストールを中断しますか？";
inline std::wstring CopyFailedText(const std::wstring& file) {
  return file + L"のコピーに失敗しました。";
}
inline std::wstring ContentDiffersText(const std::wstring& file, const std::wstring& disc) {
  return file + L"（" + disc + L"）の内容が正しくありません。\nディスクを確認して、もう一度お試しください。";
}
inline constexpr wchar_t kRecordFailed[] =
    L"インストール情報をレジストリに書き込めませんでした。\nインストールを中止します。";

// The repair.
inline constexpr wchar_t kIntact[] = L"インストールされているファイルに問題はありません。";
// count listed files are missing or differ from the package's.
inline std::wstring DamagedText(std::size_t count) {
  return L"壊れているか見つからないファイルが" + std::to_wstring(count) +
         L"個あります。\nディスクから復元しますか？";
}
inline std::wstring RepairedText(std::size_t count) {
  return std::to_wstring(count) + L"個のファイルを復元しました。";
}
// The disc's package lists other files than the installation's own.
inline constexpr wchar_t kOtherVersion[] =
    L"このディスクは、インストールされているものとは別のバージョンです。\n"
    L"インストールされているディスクで修復してください。";
// The launcher's Start found the game program missing.
inline constexpr wchar_t kOfferRepair[] =
    L"ゲームのプログラムが見つかりません。\nディスクから修復しますか？";

// How many listed files a removal left, and the first of them.
inline std::wstring UninstallLeftText(std::size_t count, const std::wstring& first) {
  return L"削除できなかったファイルが" + std::to_wstring(count) + L"個あります。\n" + first +
         L"\nゲームを終了してから、もう一度アンインストールしてください。";
}

// The record's key, which stayed after the removal (it holds other keys).
inline std::wstring RecordKeyLeftText(const std::wstring& key) {
  return L"アプリケーションを削除しましたが、次のレジストリキーは削除できませんでした。\n" + key;
}

// The uninstall copy's program, which stayed after the removal: it could
// neither be deleted nor be marked for deletion at the next restart.
inline std::wstring FileLeftText(const std::wstring& file) {
  return L"アプリケーションを削除しましたが、次のファイルは削除できませんでした。\n" + file;
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
