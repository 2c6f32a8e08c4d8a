#pragma once
// Drives modal windows in Qt tests without blocking: schedule what to do with the next modal
// window before the call that opens it (exec() runs its own event loop, in which the scheduled
// action runs). If no modal window appears within the time-out, the action is dropped and the
// test sees that through its own expectations (nothing clicked, nothing recorded).
//
//   moriva::WhenModal([](QWidget* w) { ...inspect w, then close it... });
//   form.exec();
#include <QApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace moriva {

inline void WhenModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
  auto* timer = new QTimer(qApp);
  auto* clock = new QElapsedTimer;
  clock->start();
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, act, timeoutMs] {
    QWidget* w = QApplication::activeModalWidget();
    // Active too, so that focus and key presses reach it as they would a user's.
    const bool ready = w && w->isVisible() && w->isActiveWindow();
    if (!ready && clock->elapsed() <= timeoutMs) return;
    timer->stop();
    timer->deleteLater();
    delete clock;
    if (ready) act(w);
  });
  timer->start();
}

}  // namespace moriva
