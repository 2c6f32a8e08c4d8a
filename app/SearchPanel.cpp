#include "app/SearchPanel.h"

#include <limits>

#include <QAbstractTableModel>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/FormFont.h"
#include "app/RepeatMark.h"
#include "base/Cp932.h"
#include "schedule/ScheduleSearch.h"

namespace moriva {

// The hits as rows, turned into text only when a row is shown: a long list costs nothing
// until it is scrolled.
class TSearchHitModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  std::vector<TAgendaItem> Hits;

  void Reset(std::vector<TAgendaItem> hits) {
    beginResetModel();
    Hits = std::move(hits);
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(Hits.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const TAgendaItem& hit = Hits[static_cast<size_t>(index.row())];
    switch (index.column()) {
      case 0:
        return DateText(hit.Day);
      case 1:
        return Text(AgendaTimeText(hit.Parts.Time));
      case 2:
        return RepeatMarked(Text(hit.Parts.Subject), hit.Repeating);
      default:
        return Text(hit.Parts.Place);
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const captions[] = {"日付", "時刻", "件名", "場所"};
    return QString::fromUtf8(captions[section]);
  }

 private:
  static QString Text(const std::string& cp932) {
    return QString::fromStdU16String(Cp932ToUtf16(cp932));
  }
  static QString DateText(JuliusDay day) {
    static const char16_t weekdays[] = u"日月火水木金土";
    int32_t y;
    uint8_t m, d;
    JuliusToDate(day, y, m, d);
    return QStringLiteral("%1/%2/%3(%4)")
        .arg(y)
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(QChar(weekdays[JuliusDayOfWeek(day) - 1]));
  }
};

TSearchPanel::TSearchPanel(const TScheduleModel& schedule, QWidget* owner)
    : QWidget(owner, Qt::Dialog), schedule_(schedule) {
  watch_ = schedule_.WatchCommits([this] { ListChanged(); });
  setWindowTitle(QStringLiteral("検索"));
  setFont(FormFont(12));
  resize(440, 300);

  SearchEdit = new QLineEdit(this);
  SearchEdit->setPlaceholderText(QStringLiteral("件名・場所の一部"));
  SearchEdit->installEventFilter(this);
  OrderBox = new QComboBox(this);
  OrderBox->addItem(QStringLiteral("新しい順"));
  OrderBox->addItem(QStringLiteral("日付順"));
  CountLabel = new QLabel(this);

  model_ = new TSearchHitModel(this);
  HitList = new QTreeView(this);
  HitList->setModel(model_);
  HitList->setRootIsDecorated(false);
  HitList->setUniformRowHeights(true);  // no measuring of every row of a long list
  HitList->setAllColumnsShowFocus(true);
  HitList->setSelectionBehavior(QAbstractItemView::SelectRows);
  HitList->setSelectionMode(QAbstractItemView::SingleSelection);
  HitList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  HitList->header()->setStretchLastSection(true);
  HitList->setColumnWidth(0, 110);
  HitList->setColumnWidth(1, 50);
  HitList->setColumnWidth(2, 150);
  HitList->installEventFilter(this);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("検索:"), this));
  top->addWidget(SearchEdit, 1);
  top->addWidget(OrderBox);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(top);
  layout->addWidget(HitList, 1);
  layout->addWidget(CountLabel);

  // Hits appear while typing, once the user pauses; Enter does not wait.
  typingTimer_ = new QTimer(this);
  typingTimer_->setSingleShot(true);
  typingTimer_->setInterval(150);
  connect(typingTimer_, &QTimer::timeout, this, [this] { RunSearch(); });
  connect(SearchEdit, &QLineEdit::textChanged, typingTimer_, qOverload<>(&QTimer::start));
  connect(OrderBox, &QComboBox::currentIndexChanged, this, [this] { RunSearch(); });
  connect(HitList, &QAbstractItemView::activated, this,
          [this](const QModelIndex& index) { JumpToRow(index.row()); });
  connect(HitList, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { JumpToRow(index.row()); });

  auto make = [this](const char* caption, QKeySequence key, auto handler) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, handler);
    addAction(a);
    return a;
  };
  Find = make("検索", QKeySequence(Qt::CTRL | Qt::Key_F), [this] { ShowSearch(); });
  FindNext = make("次を検索", QKeySequence(Qt::Key_F3), [this] { Step(+1); });
  FindPrevious = make("前を検索", QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Step(-1); });
}

const std::vector<TAgendaItem>& TSearchPanel::Hits() const {
  return model_->Hits;
}

void TSearchPanel::AddActionsTo(QMenu& menu, QWidget& window) {
  for (QAction* a : {Find, FindNext, FindPrevious}) {
    menu.addAction(a);
    window.addAction(a);
  }
}

void TSearchPanel::Place() {
  // The first time: beside the main window where the screen has room, else over its right part.
  if (placed_ || !parentWidget()) return;
  placed_ = true;
  const QRect owner = parentWidget()->frameGeometry();
  QRect room = parentWidget()->screen() ? parentWidget()->screen()->availableGeometry() : QRect();
  QPoint at(owner.right() + 1, owner.top());
  if (room.isValid() && at.x() + width() > room.right()) at.setX(room.right() - width());
  move(at);
}

void TSearchPanel::ShowSearch() {
  Place();
  show();
  raise();
  activateWindow();
  SearchEdit->setFocus();
  SearchEdit->selectAll();
}

void TSearchPanel::RunSearch() {
  typingTimer_->stop();
  const TSearchOrder order =
      OrderBox->currentIndex() == 1 ? TSearchOrder::ByDate : TSearchOrder::Newest;
  const std::u16string query = SearchEdit->text().toStdU16String();
  model_->Reset(SearchSchedule(schedule_.Rules(), Utf16ToCp932(query), order,
                               std::numeric_limits<size_t>::max(), TodayJulius()));
  if (SearchEdit->text().trimmed().isEmpty()) {
    CountLabel->clear();
  } else if (model_->Hits.empty()) {
    CountLabel->setText(QStringLiteral("見つかりません"));
  } else {
    CountLabel->setText(QStringLiteral("%1 件").arg(model_->Hits.size()));
  }
}

void TSearchPanel::ListChanged() {
  if (!SearchEdit->text().isEmpty()) RunSearch();
}

void TSearchPanel::Step(int direction) {
  if (typingTimer_->isActive()) RunSearch();
  const int count = model_->rowCount({});
  if (count == 0) {
    ShowSearch();  // nothing to step through yet: ask what to look for
    return;
  }
  const int row = HitList->currentIndex().row();
  int next;
  if (row < 0) {
    next = direction > 0 ? 0 : count - 1;
  } else {
    next = (row + direction + count) % count;
  }
  JumpToRow(next);
}

void TSearchPanel::JumpToRow(int row) {
  if (row < 0 || row >= model_->rowCount({})) return;
  const QModelIndex index = model_->index(row, 0);
  HitList->setCurrentIndex(index);
  HitList->scrollTo(index);
  if (OnJump) OnJump(model_->Hits[static_cast<size_t>(row)].Day);
}

bool TSearchPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == SearchEdit && enter) {
      // Search at once and go to the first hit.
      RunSearch();
      JumpToRow(0);
      return true;
    }
    if (watched == SearchEdit && key == Qt::Key_Down && model_->rowCount({}) > 0) {
      HitList->setFocus();
      if (!HitList->currentIndex().isValid()) HitList->setCurrentIndex(model_->index(0, 0));
      return true;
    }
    if (watched == HitList && enter) {
      JumpToRow(HitList->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TSearchPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    if (parentWidget()) parentWidget()->activateWindow();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace moriva
