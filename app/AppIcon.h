#pragma once
// The program's icon, drawn rather than shipped so it is sharp at every size: a calendar leaf
// with a red binding strip and a green mark on one day, the colour of days that carry items.
#include <QIcon>
#include <QPixmap>

namespace moriva {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace moriva
