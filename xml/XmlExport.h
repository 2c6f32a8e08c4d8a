#pragma once
// The schedule as an XML file: a root "スケジュール" with one "アイテム" per schedule line,
// each holding "日付" (year/month/day as stored) and "場所" (the whole item text), and one
// "繰り返し" per series line (its identity, first day, item text and rule, see below). The file
// is Shift_JIS, written on two lines: the declaration and the whole tree.
//
// A series:
//   <繰り返し><識別子>ID</識別子><日付>2026/12/8</日付><場所>会議- 会議室- 10:0:0- TRUE</場所>
//   <単位>週</単位><間隔>1</間隔><曜日>火</曜日><回数>10</回数><祝日を除く>TRUE</祝日を除く>
//   <除外日>2026/12/22</除外日></繰り返し>
// "日付" is the day the rule counts from; "単位" is 日, 週, 月 or 年; then, only where the rule
// has them: "曜日" (weekdays joined by "・"), "週" (1 to 5, or 最終), "日" (day of the month),
// "終了日" or "回数", "祝日を除く", and one "除外日" per day taken out.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "xml/DomDocument.h"

namespace moriva {

struct TScheduleXmlCounts {
  size_t Items = 0;    // "アイテム" elements
  size_t Series = 0;   // "繰り返し" elements
  size_t LeftOut = 0;  // lines without an item text (fewer than seven fields, no readable series)
};

// Builds the export tree from the store's lines, in list order. A line that splits into
// fewer than seven fields and is no readable series holds no item text and is left out; any
// text is accepted. `skipped`, when given, receives the number of lines left out.
std::unique_ptr<TDomDocument> BuildScheduleXml(const TLineList& lines, size_t* skipped = nullptr);

// The bytes of the same document (BuildScheduleXml(lines)->SaveToBytes(0)), handed to `write`
// in blocks as the lines are walked: no tree is built.
TScheduleXmlCounts WriteScheduleXml(const TLineList& lines,
                                    const std::function<void(std::string_view)>& write);

// Writes the document to `path` atomically, as it is made. EFileError when the file cannot be
// written; the old file is then left as it was.
TScheduleXmlCounts ExportScheduleXml(const TLineList& lines, const std::filesystem::path& path);

// The file name chosen for an export: ".xml" appended when the name part has no extension
// (no "." after the last "/"); any other name is used unchanged.
std::string WithXmlExtension(std::string_view fileName);

}  // namespace moriva
