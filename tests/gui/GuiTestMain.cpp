// Widget tests run headless with the same locale and font everywhere, so weekday names, text
// metrics and pixels do not depend on the machine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QApplication app(argc, argv);
  QFont font("IPAPGothic");
  font.setPixelSize(12);
  QApplication::setFont(font);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
