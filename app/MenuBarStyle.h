#pragma once
// The menu bar's look while it is walked by keyboard (Alt, then the arrow keys): the chosen
// menu is drawn highlighted, as it is while its menu is open. Some desktop styles highlight it
// only while the menu is open, which leaves the user guessing where Enter will go.
#include <QProxyStyle>

class QMenuBar;

namespace moriva {

class TMenuBarStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};

// Gives `bar` the style above, owned by the bar.
void HighlightKeyboardMenus(QMenuBar* bar);

}  // namespace moriva
