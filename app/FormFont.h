#pragma once
// The fonts the windows are laid out for. The program's forms are designed on "ＭＳ Ｐゴシック";
// where that family is missing, IPAPGothic (its metric twin) takes its place so that captions
// keep the width they were designed for.
#include <QFont>

namespace moriva {

// "ＭＳ Ｐゴシック" (falling back to IPAPGothic) with the given character height in pixels.
QFont FormFont(int pixelHeight = 12);

}  // namespace moriva
