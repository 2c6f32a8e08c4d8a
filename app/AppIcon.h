#pragma once
// The program's icon and the actions' pictures, drawn rather than shipped so it is sharp at every
// size: a calendar leaf with a red binding strip and a green mark on one day, the colour of days
// that carry items.
#include <QIcon>
#include <QPixmap>

namespace moriva {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

// The 16 x 16 picture of an action, by its place in the program's image list (0 予定編集,
// 2 読込, 3 保存, 4 H"送信, 5 XML出力, 6 終了, 7 H"受信, 8 受信キャンセル, 13 新規, 14 CSV);
// an empty icon for any other number.
QIcon ActionIcon(int index);

}  // namespace moriva
