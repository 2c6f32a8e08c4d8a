#pragma once
// The fonts the windows are laid out for. The program's forms are designed on "ＭＳ Ｐゴシック";
// where that family is missing, IPAPGothic (its metric twin) takes its place so that captions
// keep the width they were designed for.
#include <QFont>

namespace moriva {

// "ＭＳ Ｐゴシック" (falling back to IPAPGothic) with the given character height in pixels.
QFont FormFont(int pixelHeight = 12);

// Makes FormFont() the application's font for every kind of widget. Menus, message boxes and
// tool tips are windows of their own: they take the application's font, not the main window's,
// and a desktop theme may give each kind a font of its own, whose Latin letters then come from
// another face than the Japanese around them.
void UseFormFontThroughout();

}  // namespace moriva
