#pragma once
// The mark before an occurrence of a series wherever items are listed or printed, so that a
// weekly meeting reads differently from a one-off item. It is added on the window side: the
// schedule's Shift-JIS text has no such character.
#include <QString>

namespace moriva {

inline QString RepeatMarked(const QString& text, bool repeating) {
  return repeating ? QStringLiteral("↻") + text : text;
}

}  // namespace moriva
