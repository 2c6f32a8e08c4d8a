// Writes the program's icon as PNG files for the desktop's icon theme, at build time:
//   moriva-render-icon OUTDIR SIZE...   makes OUTDIR/SIZExSIZE/apps/moriva.png
// The pictures come from the same drawing the window uses, so they always agree with it.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"

int main(int argc, char** argv) {
  // No display is needed to draw into a pixmap.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: moriva-render-icon OUTDIR SIZE...\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
    if (size <= 0 || !QDir().mkpath(folder) ||
        !moriva::ProgramIconPixmap(size).save(folder + QStringLiteral("/moriva.png"), "PNG")) {
      std::fprintf(stderr, "moriva-render-icon: cannot write the %s icon\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
