// The receive road: the handset's schedule mails from the user's mailbox, each examined once.
#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "handset/ClientPump.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "mail/HeaderText.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"

namespace moriva {

namespace fs = std::filesystem;

namespace {

// The look-up key of an id: equal keys for ids the line list's IndexOf takes as equal (ASCII
// letters in either case; a double-byte character exactly, its trail byte never folded).
std::string FoldedKey(std::string_view id) {
  std::string key(id);
  for (size_t i = 0; i < key.size();) {
    const size_t n = CharLength(key, i);
    if (n == 1 && key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] + 32);
    i += n;
  }
  return key;
}

// Notes whether the client reported a failure during the road; every report still reaches the
// owner's handler (the window's error box), except that of a mail too large to receive while
// such reports are held: the road tells that one itself, together with what it did about it.
class TErrorWatch {
 public:
  explicit TErrorWatch(TPop3Client& pop) : pop_(pop), saved_(pop.OnError) {
    pop_.OnError = [this](const void* sender, int code, const std::string& msg) {
      failed_ = true;
      if (hold_too_large_ && pop_.ReplyTooLarge()) {
        held_ = msg;
        return;
      }
      if (saved_) saved_(sender, code, msg);
    };
  }
  ~TErrorWatch() { pop_.OnError = std::move(saved_); }
  TErrorWatch(const TErrorWatch&) = delete;
  TErrorWatch& operator=(const TErrorWatch&) = delete;

  bool Failed() const { return failed_; }
  void HoldTooLarge() { hold_too_large_ = true; }
  const std::string& Held() const { return held_; }

 private:
  TPop3Client& pop_;
  TPop3Client::TOnError saved_;
  bool failed_ = false;
  bool hold_too_large_ = false;
  std::string held_;
};

// How the examination of one mail ended.
enum class TStep {
  Handled,      // examined to its end (fetched and saved when it was a schedule mail)
  Interrupted,  // a cancel stopped one of its receptions
  Failed,       // the server failed (reported) or a file could not be saved (shown)
  TooLarge,     // the mail is over the client's bounds; the connection has ended
};

class TReceiveRun {
 public:
  TReceiveRun(TPop3Client& pop, const TTransferContext& context, const TErrorWatch& watch,
              std::string subjectWord, std::vector<fs::path>& fileList)
      : pop_(pop),
        context_(context),
        watch_(watch),
        subject_word_(std::move(subjectWord)),
        file_list_(fileList) {}

  int Count() const { return count_; }

  void Panel(int panel, std::string_view text) const {
    if (context_.Status) context_.Status->SetPanelText(panel, text);
  }

  // Examines mail `number`, shown as `position` of `total`.
  TStep Examine(uint16_t number, int position, int total) {
    TMailMessage header;
    bool got = false;
    try {
      got = pop_.RetrieveHeader(number, header);
    } catch (const Exception&) {
      // Only a lost connection throws here; it is judged below like a failed fetch.
    }
    if (TStep end = Judge(got); end != TStep::Handled) return end;
    Panel(kPositionPanel, std::to_string(position) + "/" + std::to_string(total));
    Panel(kStatusPanel, Cp932ToUtf8(header.Subject));
    // The subject word and the decoded subject are both CP932 text, whatever charset the
    // mail came in: compared with A-Z lowered (so a word holding capitals never matches).
    if (FoldedKey(header.Subject) != subject_word_) return TStep::Handled;
    // After a cancel the connection is good for QUIT only.
    if (pop_.Cancelled()) return TStep::Interrupted;

    // A fresh message for the whole mail, so that what the header block already declared is
    // not kept (and saved) a second time.
    TMailMessage mail;
    if (TStep end = Judge(pop_.Retrieve(number, mail)); end != TStep::Handled) return end;
    try {
      SaveAttachments(mail);
    } catch (const Exception& e) {
      context_.Dialogs.ShowError(e.what());
      return TStep::Failed;
    }
    ++count_;
    Panel(kCountPanel, std::to_string(count_));
    return TStep::Handled;
  }

 private:
  TStep Judge(bool fetched) const {
    if (watch_.Failed()) return pop_.ReplyTooLarge() ? TStep::TooLarge : TStep::Failed;
    if (fetched) return TStep::Handled;
    return pop_.Cancelled() ? TStep::Interrupted : TStep::Failed;
  }

  void SaveAttachments(TMailMessage& mail) {
    if (mail.AttachedFiles.Empty()) return;
    const fs::path folder = context_.Folders.Data / kIncomingFolder;
    MakeProgramFolder(folder);  // a failure shows up as the file that cannot be made
    for (size_t i = 0; i < mail.AttachedFiles.Count(); ++i) {
      const TAttachedFile& file = mail.AttachedFiles[i];
      const fs::path path = folder / fs::path(file.FileName);
      file.SaveToFile(path, TFileAccess::OwnerOnly);  // the user's appointments
      bool listed = false;
      for (const fs::path& p : file_list_) listed = listed || p == path;
      if (!listed) file_list_.push_back(path);
    }
  }

  TPop3Client& pop_;
  const TTransferContext& context_;
  const TErrorWatch& watch_;
  const std::string subject_word_;
  std::vector<fs::path>& file_list_;
  int count_ = 0;
};

// Ends the dialogue on every way out; QUIT after a cancelled reception still goes out.
class TQuitGuard {
 public:
  explicit TQuitGuard(TPop3Client& pop) : pop_(pop) {}
  ~TQuitGuard() { pop_.Quit(); }
  TQuitGuard(const TQuitGuard&) = delete;
  TQuitGuard& operator=(const TQuitGuard&) = delete;

 private:
  TPop3Client& pop_;
};

}  // namespace

std::string ReceivedCountText(int count) {
  return std::to_string(count) + " 件受信しました。";
}

std::vector<uint16_t> MarkNewMails(TLineList& serverList, TLineList& known) {
  std::unordered_set<std::string> known_keys;
  for (const std::string& id : known) known_keys.insert(FoldedKey(id));

  std::vector<uint16_t> fresh;
  std::vector<std::string> ids;
  std::unordered_set<std::string> server_keys;
  ids.reserve(serverList.Count());
  for (size_t i = 0; i < serverList.Count(); ++i) {
    const std::string& line = serverList[i];
    const size_t blank = line.find(' ');
    std::string id = blank == std::string::npos ? line : line.substr(blank + 1);
    std::string key = FoldedKey(id);
    if (i < UINT16_MAX && !known_keys.contains(key)) fresh.push_back(static_cast<uint16_t>(i + 1));
    server_keys.insert(std::move(key));
    ids.push_back(std::move(id));
  }
  serverList.Assign(std::move(ids));

  std::vector<std::string> kept;
  for (const std::string& id : known)
    if (server_keys.contains(FoldedKey(id))) kept.push_back(id);
  if (kept.size() != known.Count()) known.Assign(std::move(kept));
  return fresh;
}

TReceiveResult ReceiveFromPhone(TPop3Client& pop, const TTransferContext& context,
                                std::vector<fs::path>& fileList,
                                const std::function<void(int)>& beforeRecording) {
  const TMailSettings settings = ReadMailSettings(SettingsFilePath(context.Folders.Config));
  const bool knownSecurity = AimClient(pop, settings.POP, settings.PopSecurity, settings.CaFile);
  pop.UserId = settings.UserId;
  pop.UserPasswd = settings.Password;
  pop.APOP = settings.APOP;
  pop.GetUIDLsOnRetrieve = true;
  // Only a user who wrote "none" has agreed to send the password unencrypted.
  pop.PlainLoginAllowed = settings.PopSecurity == "none";
  if (pop.Host.empty() || pop.UserId.empty() || !knownSecurity) {
    context.Dialogs.ShowError(kReceiveSettingsMissingText);
    return {0, TReceiveOutcome::NotConfigured, false};
  }
  // Settings from before encryption: they used to log in in plain text without a word. The
  // user says once which it is to be, rather than the password going out unasked.
  if (settings.PopSecurity.empty()) {
    context.Dialogs.ShowError(kPopSecurityMissingText);
    return {0, TReceiveOutcome::NotConfigured, false};
  }

  TPumpScope pump(pop.ProcessMessages, context, [&pop] { pop.Cancel(); });
  TErrorWatch watch(pop);
  TReceiveRun run(pop, context, watch, settings.SubjectWord, fileList);
  run.Panel(kStatusPanel, kConnectingText);
  pop.Connect();
  if (pop.ErrorFlag()) {
    // Stopped by the user while the server kept silent: nothing failed.
    if (pop.Cancelled() && !watch.Failed()) return {0, TReceiveOutcome::Cancelled, false};
    context.Dialogs.ShowError(kCannotConnectText);
    return {0, TReceiveOutcome::CannotConnect, false};
  }
  TQuitGuard quit(pop);
  if (!pop.Login()) {
    if (pop.Cancelled() && !watch.Failed()) return {0, TReceiveOutcome::Cancelled, false};
    context.Dialogs.ShowError(kCannotConnectText);
    return {0, TReceiveOutcome::CannotConnect, false};
  }

  for (int panel = 0; panel < TStatusSink::kPanelCount; ++panel) run.Panel(panel, {});
  run.Panel(kStatusPanel, kListingText);
  pop.GetStat();
  if (watch.Failed()) return {0, TReceiveOutcome::Failed, false};
  if (pop.Cancelled()) return {0, TReceiveOutcome::Cancelled, false};
  const int total = pop.MessageCount();

  if (settings.NoUIDL) {
    run.Panel(kStatusPanel, kReceivingText);
    for (int n = 1; n <= total; ++n) {
      const TStep step = run.Examine(static_cast<uint16_t>(n), n, total);
      if (step == TStep::Failed || step == TStep::TooLarge)
        return {run.Count(), TReceiveOutcome::Failed, false};
      if (step == TStep::Interrupted || pop.Cancelled())
        return {run.Count(), TReceiveOutcome::Cancelled, false};
    }
    return {run.Count(), TReceiveOutcome::Done, false};
  }

  const fs::path uidl_file = context.Folders.Data / kUidlFileName;
  TLineList known;
  std::optional<std::string> stored;  // the file's bytes as loaded
  try {
    stored = ReadFileBytes(uidl_file);
    known.SetText(*stored);
  } catch (const Exception&) {
    stored.reset();
    known.Clear();  // no list yet (or an unreadable one): every mail counts as new
  }
  TLineList listing;
  if (!pop.GetUIDLs(listing)) {
    // A listing cut short says nothing about which mails are gone.
    const bool cancelled = pop.Cancelled() && !watch.Failed();
    return {0, cancelled ? TReceiveOutcome::Cancelled : TReceiveOutcome::Failed, false};
  }
  // What a failed run may record: the list as it was, nothing dropped, plus the mails it
  // handled in full.
  TLineList recorded = known;
  const std::vector<uint16_t> fresh = MarkNewMails(listing, known);

  run.Panel(kStatusPanel, kReceivingText);
  TReceiveOutcome outcome = TReceiveOutcome::Done;
  bool handled_any = false;
  const int first_position = total - static_cast<int>(fresh.size());
  watch.HoldTooLarge();
  for (size_t k = 0; k < fresh.size(); ++k) {
    const uint16_t n = fresh[k];
    const TStep step = run.Examine(n, first_position + static_cast<int>(k) + 1, total);
    if (step == TStep::TooLarge) {
      // It would fail the same way at every receive and hold back every mail after it: it is
      // recorded as examined, and the user is told that it was passed over.
      known.Add(listing[n - 1]);
      recorded.Add(listing[n - 1]);
      handled_any = true;
      run.Panel(kStatusPanel, kTooLargePassedText);
      context.Dialogs.ShowError(MailTextToUtf8(watch.Held()) + "\r\n" +
                                std::string(kTooLargePassedText));
      outcome = TReceiveOutcome::Failed;
      break;
    }
    if (step == TStep::Failed) {
      outcome = TReceiveOutcome::Failed;
      break;
    }
    if (step == TStep::Handled) {
      known.Add(listing[n - 1]);
      recorded.Add(listing[n - 1]);
      handled_any = true;
    }
    if (step == TStep::Interrupted || pop.Cancelled()) {
      outcome = TReceiveOutcome::Cancelled;
      break;
    }
  }
  if (outcome == TReceiveOutcome::Failed) {
    // The mails stored before the failure are in the caller's hands (and merged); recording
    // them keeps the next receive from fetching them again. Nothing else changes.
    if (!handled_any) return {run.Count(), outcome, false};
    known = recorded;
  }
  if (beforeRecording) beforeRecording(run.Count());
  // Nothing new and nothing gone: the file already holds the list. Not writing it again keeps
  // such a receive cheap (an atomic write waits for the disk twice).
  if (stored && known.Text() == *stored) return {run.Count(), outcome, true};
  try {
    MakeProgramFolder(context.Folders.Data);
    known.SaveToFile(uidl_file, TFileAccess::OwnerOnly);
  } catch (const Exception& e) {
    // The mails will come again next time; the merge takes each item once.
    run.Panel(kStatusPanel, kUidlErrorText);
    context.Dialogs.ShowError(e.what());
    return {run.Count(), TReceiveOutcome::Failed, false};
  }
  return {run.Count(), outcome, true};
}

// Every schedule file that came in is merged, in the order its mail arrived: two mails the
// handset sent before one receive each carry items, and merging only adds lines not yet there,
// so taking the first alone would lose the second's items while recording both mails as
// received. Attachments that are not CSV files stay in "incoming" only; when none is named as
// a CSV file, the first file is taken as the schedule. All files are read before any is merged,
// so one that cannot be read (EFileError) leaves the list as it was.
TMergeResult MergeScheduleFiles(const std::vector<fs::path>& files, TLineList& schedule) {
  std::vector<fs::path> chosen;
  for (const fs::path& f : files)
    if (SameTextAscii(f.extension().string(), ".csv") &&
        std::find(chosen.begin(), chosen.end(), f) == chosen.end())
      chosen.push_back(f);
  if (chosen.empty()) chosen.push_back(files.front());
  std::vector<TLineList> contents;
  contents.reserve(chosen.size());
  for (const fs::path& file : chosen) contents.push_back(ReadCsvFile(file));
  TMergeResult total;
  for (const TLineList& csv : contents) {
    const TMergeResult one = MergeCsvLines(csv, schedule);
    total.Added += one.Added;
    total.Duplicates += one.Duplicates;
    total.Skipped += one.Skipped;
    total.EmptyLines += one.EmptyLines;
  }
  return total;
}

TReceiveAndMerge ReceiveIntoSchedule(TPop3Client& pop, const TTransferContext& context,
                                     TLineList& schedule,
                                     const std::function<void(const TMergeResult&)>& keepMerged) {
  TReceiveAndMerge r;
  bool merged = false;
  auto merge = [&](int count) {
    merged = true;
    if (count > 0 && !r.Files.empty()) r.Merged = MergeScheduleFiles(r.Files, schedule);
    if (r.Merged && keepMerged) keepMerged(*r.Merged);
  };
  // The merge (and keeping its result) comes before the ids are recorded: a file that cannot
  // be merged, or a schedule that cannot be saved, leaves its mail unrecorded, to be fetched
  // again (the merge takes each item once), instead of losing what the handset sent.
  r.Received = ReceiveFromPhone(pop, context, r.Files, merge);
  if (!merged) merge(r.Received.Count);
  return r;
}

}  // namespace moriva
