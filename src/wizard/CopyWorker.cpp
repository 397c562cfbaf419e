// The copy worker: the one thread besides the user interface. It talks to
// the wizard only through window messages and the page's two events.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "wizard/CopyPage.h"
#include "win/ShellFolders.h"

namespace {

constexpr DWORD kChunkBytes = 64 * 1024;
// A zero-timeout wait is a round trip to the Wine server, slow on a busy
// machine: once per chunk it cost a third of the copy's time. Once per
// 4 MiB or 50 ms still answers a Cancel press sooner than a person can tell.
constexpr std::uint64_t kPollBytes = 4 * 1024 * 1024;
constexpr ULONGLONG kPollMs = 50;
// Each position sent waits for the wizard's thread and a repaint (about
// 1.5 ms under Wine, more on a busy machine): twenty a second are smooth.
constexpr ULONGLONG kShowMs = 50;

enum class FileResult { kCopied, kAborted };

class CCopyRun {
 public:
  CCopyRun(const SetupInfo& info, HWND page, HANDLE cancelEvent, HANDLE abortEvent)
      : m_info(info),
        m_hPage(page),
        m_hProgress(::GetDlgItem(page, IDC_PROGRESS)),
        m_hCancelEvent(cancelEvent),
        m_hAbortEvent(abortEvent) {}

  void Run();

 private:
  FileResult CopyOneFile(const FileEntry& file);
  int Ask(const std::wstring& text, UINT buttons) {
    ShowProgress(true);  // the bar is up to date while the user reads
    return win::ShowMessage(m_hPage, text, ui::kInstallCaption, buttons);
  }
  bool ConfirmAbort() { return Ask(ui::kAskAbort, MB_YESNO | MB_DEFBUTTON2) == IDYES; }
  bool CancelRequested();
  // Makes the next chunk poll the cancel request, which this thread has
  // just set itself.
  void PollSoon() { m_unpolledBytes = kPollBytes; }
  win::UniqueFile OpenDestination(const std::wstring& destination);
  // Sends a changed position, at most every kShowMs unless now.
  void ShowProgress(bool now = false);
  void MakeShortcuts();
  void Abort();

  const SetupInfo& m_info;
  HWND m_hPage;
  HWND m_hProgress;
  HANDLE m_hCancelEvent;
  HANDLE m_hAbortEvent;
  std::uint64_t m_total = 0;
  std::uint64_t m_copied = 0;
  int m_lastPosition = 0;
  ULONGLONG m_lastShown = 0;
  std::uint64_t m_unpolledBytes = 0;
  ULONGLONG m_lastPoll = 0;
  // The folder made for the previous file: the next file in it needs no
  // look-up. Cleared when a destination could not be opened.
  std::wstring m_strLastFolder;
  // Hashes each attempt's bytes as they are read: no second pass over the
  // source or the copy.
  CContentHasher m_hasher;
  // The one copy buffer, living as long as the run; page-aligned like the
  // system's own copy buffers.
  alignas(4096) char m_buffer[kChunkBytes];
};

bool CCopyRun::CancelRequested() {
  const ULONGLONG now = ::GetTickCount64();
  if (m_unpolledBytes < kPollBytes && now - m_lastPoll < kPollMs) return false;
  m_unpolledBytes = 0;
  m_lastPoll = now;
  return ::WaitForSingleObject(m_hCancelEvent, 0) == WAIT_OBJECT_0;
}

win::UniqueFile CCopyRun::OpenDestination(const std::wstring& destination) {
  const std::optional<std::wstring> folder = ParentFolderOf(destination);
  if (!folder || *folder != m_strLastFolder) {
    CreateDirectoryChain(destination);
    m_strLastFolder = folder.value_or(L"");
  }
  auto open = [&] {
    return win::UniqueFile(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  // A read-only (or hidden, or system) file of that name is replaced and
  // loses those attributes: Windows refuses to open it, Wine (as root) opens
  // it and keeps them. A fresh file needs neither step.
  win::UniqueFile target = open();
  if (!target) {
    ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    target = open();
  } else if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (!target) m_strLastFolder.clear();  // the retry makes the folders again
  return target;
}

void CCopyRun::ShowProgress(bool now) {
  const int position = ProgressPosition(m_copied, m_total);
  if (position == m_lastPosition) return;
  const ULONGLONG tick = ::GetTickCount64();
  if (!now && tick - m_lastShown < kShowMs) return;
  m_lastShown = tick;
  m_lastPosition = position;
  ::SendMessageW(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CCopyRun::Run() {
  for (const FileEntry& file : m_info.files) m_total += file.size;
  ::SendMessageW(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(m_hProgress, PBM_SETPOS, 0, 0);

  for (const FileEntry& file : m_info.files) {
    if (CopyOneFile(file) == FileResult::kAborted) return Abort();
  }
  ShowProgress(true);
  // The record first: without it the launcher could neither start nor
  // remove the product, so a failed write ends the run as a Cancel does,
  // with the files copied so far left in place and no links pointing at
  // them. Start-up refuses a package without title or maker, so the key
  // path is never empty here.
  if (WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(m_info), kInstallRecordValue,
                     m_info.installDir) != ERROR_SUCCESS) {
    (void)Ask(ui::kRecordFailed, MB_OK | MB_ICONERROR);
    return Abort();
  }
  MakeShortcuts();
  // Sent: the wizard has moved on when this returns.
  ::SendMessageW(::GetParent(m_hPage), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
}

void CCopyRun::Abort() {
  ::SetEvent(m_hAbortEvent);
  // Posted, never sent: the press waits for this thread to end.
  ::PostMessageW(::GetParent(m_hPage), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void CCopyRun::MakeShortcuts() {
  // Failures are silent: the installation itself is complete.
  const std::wstring game = m_info.installDir + m_info.exeFile;
  CreateShortcut(CSIDL_DESKTOP, m_info.title + L".lnk", game);
  const std::wstring menu = m_info.menuFolder + L"\\";
  CreateShortcut(CSIDL_PROGRAMS, menu + m_info.title + L".lnk", game);
  for (const MenuEntry& entry : m_info.menus) {
    CreateShortcut(CSIDL_PROGRAMS, menu + entry.caption + L".lnk",
                   m_info.installDir + entry.target);
  }
}

FileResult CCopyRun::CopyOneFile(const FileEntry& file) {
  const std::uint64_t startCount = m_copied;
  const std::wstring destination = m_info.installDir + file.name;
  for (;;) {  // one attempt per pass; every retry starts from the first byte
    m_copied = startCount;
    m_hasher.Reset();
    // Relative to the current folder, which is the source folder.
    win::UniqueFile source(::CreateFileW(file.name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source) {
      if (Ask(file.disc + ui::kInsertDiscSuffix, MB_OKCANCEL) == IDOK) continue;
      if (ConfirmAbort()) return FileResult::kAborted;
      continue;
    }

    win::UniqueFile target = OpenDestination(destination);
    // Only a file this attempt created is ours to delete: one that could not
    // be opened may be someone else's (or the source itself).
    const bool created = static_cast<bool>(target);
    bool failed = !created;
    bool done = false;
    for (;;) {
      if (CancelRequested()) {
        if (ConfirmAbort()) {
          source.reset();
          target.reset();
          if (created) ::DeleteFileW(destination.c_str());
          return FileResult::kAborted;
        }
        ::ResetEvent(m_hCancelEvent);  // carry on: nothing read so far is lost
      }
      if (failed) {
        if (Ask(file.name + ui::kCopyFailedSuffix, MB_RETRYCANCEL) != IDRETRY) {
          ::SetEvent(m_hCancelEvent);  // the next attempt asks whether to abort
          PollSoon();
        }
        break;
      }
      DWORD read = 0;
      if (!::ReadFile(source.get(), m_buffer, kChunkBytes, &read, nullptr)) {
        failed = true;
        read = 0;
      } else if (read == 0) {
        if (file.hash && m_hasher.Digest() != *file.hash) {
          // Bytes that differ from the publisher's (a scratched or badly
          // copied disc) are never left installed.
          source.reset();
          target.reset();
          ::DeleteFileW(destination.c_str());
          if (Ask(file.name + L"（" + file.disc + ui::kContentDiffersSuffix, MB_RETRYCANCEL) !=
                  IDRETRY &&
              ConfirmAbort()) {
            return FileResult::kAborted;
          }
          break;  // copied again from the first byte
        }
        FILETIME lastWrite;
        if (::GetFileTime(source.get(), nullptr, nullptr, &lastWrite)) {
          ::SetFileTime(target.get(), nullptr, nullptr, &lastWrite);
        }
        done = true;
        break;
      } else {
        m_hasher.Update(m_buffer, read);
        DWORD written = 0;
        if (!::WriteFile(target.get(), m_buffer, read, &written, nullptr) || written != read) {
          failed = true;
        }
      }
      m_copied += read;
      m_unpolledBytes += read;
      ShowProgress();
    }
    source.reset();
    target.reset();
    if (failed && created) ::DeleteFileW(destination.c_str());
    if (done) return FileResult::kCopied;
  }
}

}  // namespace

DWORD WINAPI CCopyPage::CopyWorker(LPVOID parameter) {
  auto* page = static_cast<CCopyPage*>(parameter);
  // The shortcuts need COM on this thread.
  const win::CComInit com(COINIT_APARTMENTTHREADED);
  // Nothing thrown may leave a thread procedure. Heap, not stack: the run
  // holds the 64 KiB buffer.
  try {
    auto run = std::make_unique<CCopyRun>(page->m_info, page->m_hWorkerPage,
                                          page->m_hCancelEvent.get(), page->m_hAbortEvent.get());
    run->Run();
  } catch (...) {
    // Without its press the wizard stays on this page; Cancel then closes it,
    // since no worker runs any more.
  }
  return 0;
}
