#include "app/MenuBarStyle.h"

#include <QMenuBar>
#include <QStyleOptionMenuItem>

namespace moriva {

void TMenuBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
  if (element == CE_MenuBarItem && (option->state & State_Selected)) {
    if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
      QStyleOptionMenuItem chosen(*item);
      chosen.state |= State_Sunken;
      QProxyStyle::drawControl(element, &chosen, painter, widget);
      return;
    }
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void HighlightKeyboardMenus(QMenuBar* bar) {
  auto* style = new TMenuBarStyle;
  style->setParent(bar);
  bar->setStyle(style);
}

}  // namespace moriva
