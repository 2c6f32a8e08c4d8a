#pragma once
// Helpers shared by the widget tests.
#include <QApplication>

#include "app/MonthlyCalendar.h"

namespace moriva {

// Records the day-change events of a calendar.
struct DayChanges {
  explicit DayChanges(TCalendarView& c) {
    c.OnDayChange = [this](TCalendarView& s, int32_t y, uint8_t m, uint8_t d) {
      ++count;
      sender = &s;
      last = DateToJulius(y, m, d);
    };
  }
  int count = 0;
  JuliusDay last = 0;
  TCalendarView* sender = nullptr;
};

// The schedule a test calendar shows: made before the calendar, gone after it.
struct OwnSchedule {
  TScheduleModel Schedule;
};

// A calendar control with a schedule of its own.
template <typename T>
struct TestCalendar : OwnSchedule, T {
  TestCalendar() : T(Schedule) {}
};

// A calendar that counts the rebuilds of its schedule's rules and its redraws.
template <typename T>
struct Counting : TestCalendar<T> {
  Counting() {
    watch = this->Schedule.WatchRules([this] { ++builds; });
  }
  void DrawImage() override {
    ++draws;
    T::DrawImage();
  }
  void Reset() { builds = draws = 0; }
  int builds = 0;
  int draws = 0;
  TScheduleWatch watch;
};

// Gives the control a client area of width × height inside its frame and shows it.
inline void ShowAt(TCalendarView& c, int width, int height) {
  const int frame = c.frameWidth() * 2;
  c.resize(width + frame, height + frame);
  c.show();
  QApplication::processEvents();
}

}  // namespace moriva
