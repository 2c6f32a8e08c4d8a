#pragma once
// The schedule as an XML file: a root "スケジュール" with one "アイテム" per schedule line,
// each holding "日付" (year/month/day as stored) and "場所" (the whole item text). The file
// is Shift_JIS, written on two lines: the declaration and the whole tree.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "xml/DomDocument.h"

namespace moriva {

// Builds the export tree from the store's lines, in list order. A line that splits into
// fewer than seven fields holds no item text and is left out; any text is accepted.
// `skipped`, when given, receives the number of lines left out.
std::unique_ptr<TDomDocument> BuildScheduleXml(const TLineList& lines, size_t* skipped = nullptr);

// Builds the tree and writes it to `path` atomically (indentation step 0). EFileError when
// the file cannot be written; the old file is then left as it was.
void ExportScheduleXml(const TLineList& lines, const std::filesystem::path& path);

// The file name chosen for an export: ".xml" appended when the name part has no extension
// (no "." after the last "/"); any other name is used unchanged.
std::string WithXmlExtension(std::string_view fileName);

}  // namespace moriva
