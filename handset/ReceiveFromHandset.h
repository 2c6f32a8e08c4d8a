#pragma once
// The receive road: fetches the handset's schedule mails from the user's mailbox (POP3), each
// mail once, saves their attachments into the folder "incoming" and merges them. It reads the
// mail settings of "hs110.ini" afresh at every run and reports to the user through TDialogs and
// the status panels itself. Everything runs on the caller's thread; the client pumps through
// ProcessMessages while it waits, so a window stays live and can ask a running receive to stop
// (TPop3Client::Cancel).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "formats/CsvMerge.h"
#include "handset/HandsetContext.h"
#include "mail/Pop3Client.h"

namespace moriva {

// ---- Texts (UTF-8) ----

inline constexpr std::string_view kReceiveSettingsMissingText = "EMail受信の設定をしてください。";
inline constexpr std::string_view kCannotConnectText = "サーバーへ接続できませんでした。";
// Status panel 2 while a receive runs.
inline constexpr std::string_view kConnectingText = "サーバーへ接続中...";
inline constexpr std::string_view kListingText = "接続しました。メール一覧を受信中...";
inline constexpr std::string_view kReceivingText = "メールを受信しています...";
inline constexpr std::string_view kUidlErrorText = "UIDL Error";
inline constexpr std::string_view kPopSecurityMissingText =
    "受信の暗号化 (popsecurity) が設定されていません。パスワードを暗号化せずに送らないよう、"
    "受信の暗号化 (tls または stls) を選んでください。暗号化しないサーバーなら "
    "popsecurity=none と設定してください。";
// After the client's own text about a mail over its size bounds.
inline constexpr std::string_view kTooLargePassedText =
    "このメールは受信せずに受信済みとして記録しました。";
// "3 件受信しました。": panel 2 after a receive (and after the merge of what it brought).
std::string ReceivedCountText(int count);

// The unique-id bookkeeping of one receive. `serverList` is the server's listing, one line
// "n id" per mail; each line is replaced by its id (the text after the first blank, the whole
// line when it has none). Returns the numbers of the mails whose id `known` lacks (compared
// without regard to ASCII letter case), ascending; the number is the line's position plus one,
// not the number written in it, and positions past 65535 are not reachable and left out. Ids
// of `known` that the server no longer lists are removed, the others keep their order.
std::vector<uint16_t> MarkNewMails(TLineList& serverList, TLineList& known);

enum class TReceiveOutcome {
  // "pop" or "userid" empty, or "popsecurity" unknown: the settings message; "popsecurity"
  // missing: kPopSecurityMissingText. Nothing connected.
  NotConfigured,
  CannotConnect,  // no connection, greeting or login refused: "サーバーへ接続できませんでした。"
  Failed,     // the server failed part-way, or a file could not be saved (see below)
  Cancelled,  // stopped by a cancel; the ids of the mails handled so far are saved
  Done,
};

struct TReceiveResult {
  int Count = 0;  // schedule mails fetched in full
  TReceiveOutcome Outcome = TReceiveOutcome::Done;
  bool UidlSaved = false;  // uidl.ini holds the known ids (written, or already up to date)
};

// Receives the handset's mails with the settings of hs110.ini ("pop" the server,
// "userid", "password" (stored scrambled), "apop", "nouidl", "prestr" the subject word, "mrv"
// by default, "popsecurity" and "cafile" for TLS). Mail is never deleted. The password (or
// the APOP digest) goes out unencrypted only with "popsecurity=none".
//
// Without "nouidl", only the mails whose ids uidl.ini lacks are examined, and every
// mail examined to its end has its id recorded there; ids of mails gone from the server are
// dropped. A mail is examined by its header block; when its subject, decoded from whatever
// charset it came in (and shown in the status panel) and with A-Z in lower case, equals the
// subject word, it is fetched in full and each attachment is saved (atomically,
// replacing an older file of its name) as incoming/<name>, its path appended to
// `fileList` unless already there. The id of a mail is recorded only after its attachments are
// on disk, so a mail interrupted by a cancel or a failure is examined again next time.
//
// A cancel (TPop3Client::Cancel or CancelRequested) stops after the mail in hand, or at once inside
// a reception; uidl.ini is then saved with the ids handled so far. At the first failure the
// server reports part-way (through the client's OnError) or a file error (shown in an error box)
// the receive ends with the count reached. No id is ever dropped then: a listing cut short
// must never empty the list. When mails were handled in full before the failure, their ids are
// added to the list as it was loaded (their files are in `fileList`, for the merge), so they
// are not fetched again; otherwise uidl.ini is left untouched. A uidl.ini that cannot be
// written is shown in an error box (status kUidlErrorText) and makes the receive Failed: its
// mails will be fetched again. A mail over the client's size bounds would fail every receive
// the same way: its id is recorded as if examined, the user is told (the client's text and
// kTooLargePassedText in one error box) and the receive ends Failed, the connection being lost. The
// status panels show the progress; the count text is the caller's (it follows the merge). A stored
// password that cannot be decoded throws EConvertError before anything is connected.
//
// `beforeRecording`, when set, is called with the count just before uidl.ini is written (not
// when nothing is to be recorded); an exception from it passes to the caller and nothing is
// recorded, so the mails are fetched again next time.
TReceiveResult ReceiveFromPhone(TPop3Client& pop, const TTransferContext& context,
                                std::vector<std::filesystem::path>& fileList,
                                const std::function<void(int count)>& beforeRecording = {});

// The received files merged into `schedule` in order: every one named as a CSV file (the
// first file when none is), each path once, read by ReadCsvFile; all are read first, so
// EFileError changes nothing.
TMergeResult MergeScheduleFiles(const std::vector<std::filesystem::path>& files,
                                TLineList& schedule);

// What the receive action does up to the merge: ReceiveFromPhone and, when mails were fetched
// and files saved, MergeScheduleFiles into `schedule` and `keepMerged` (when set) with its
// result, both done before uidl.ini records the mails: an unreadable file (EFileError) or an
// exception from `keepMerged` (a schedule file that cannot be saved) passes to the caller, and
// the mails stay unrecorded, to be fetched and merged again next time. The
// caller then commits the change (which sets Modified) when Merged is set, shows
// MergeCompletionMessage(*Merged) and sets panel 2 to ReceivedCountText(Received.Count).
struct TReceiveAndMerge {
  TReceiveResult Received;
  std::vector<std::filesystem::path> Files;  // the files saved, in order
  std::optional<TMergeResult> Merged;        // set when the files were merged
};
TReceiveAndMerge ReceiveIntoSchedule(
    TPop3Client& pop, const TTransferContext& context, TLineList& schedule,
    const std::function<void(const TMergeResult&)>& keepMerged = {});

}  // namespace moriva
