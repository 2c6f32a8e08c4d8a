// The reminder tests' QApplication talks to the private session bus the fixture started; its
// address and the service's record file come from the fixture's state file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
  QFile state(QStringLiteral(MORIVA_DBUS_STATE));
  if (state.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : state.readAll().split('\n')) {
      if (line.startsWith("ADDRESS=")) qputenv("DBUS_SESSION_BUS_ADDRESS", line.mid(8));
      if (line.startsWith("RECORD=")) qputenv("MORIVA_NOTIFY_RECORD", line.mid(7));
    }
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
