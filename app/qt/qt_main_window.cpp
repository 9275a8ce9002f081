#include "app/qt/qt_main_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QRect>
#include <QScreen>
#include <QShowEvent>

#include <limits>
#include <utility>

#include "app/handlers.h"
#include "app/qt/qt_text.h"
#include "base/codepage.h"

namespace idwatch {
namespace {

// Positions and sizes in the client area: left, top, width, height.
constexpr QRect kListArea(0, 0, 400, 176);
constexpr QRect kDelayArea(7, 179, 80, 20);
constexpr QRect kForumArea(7, 200, 80, 20);
constexpr QRect kCheckArea(96, 184, 80, 32);
constexpr QRect kExportArea(192, 184, 80, 32);
constexpr QRect kCountCaptionArea(304, 192, 32, 24);
constexpr QRect kCounterArea(344, 192, 48, 24);

constexpr int kColumnWidths[ReportList::kColumnCount] = {40, 100, 250};

QLineEdit* MakeEdit(QWidget* parent, const QRect& area) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(area);
  edit->setMaxLength(std::numeric_limits<int>::max());
  return edit;
}

QPushButton* MakeButton(QWidget* parent, const QRect& area) {
  auto* button = new QPushButton(parent);
  button->setGeometry(area);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const QRect& area) {
  auto* label = new QLabel(parent);
  label->setGeometry(area);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A focus change the user made within the window or by switching windows;
// not the one a context menu causes by opening, which leaves the edit box
// where it was.
bool IsUserFocusChange(const QEvent* event) {
  return static_cast<const QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
}

}  // namespace

QtMainWindow::QtMainWindow(std::shared_ptr<SharedState> state)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      MainWindow(std::move(state)),
      listView_(new QTableView(this)),
      delayEdit_(MakeEdit(this, kDelayArea)),
      forumEdit_(MakeEdit(this, kForumArea)),
      checkButton_(MakeButton(this, kCheckArea)),
      exportButton_(MakeButton(this, kExportArea)),
      countCaptionLabel_(MakeLabel(this, kCountCaptionArea)),
      counterLabel_(MakeLabel(this, kCounterArea)),
      listModel_(std::make_unique<ReportListModel>(ip超级列表())),
      delayText_(*delayEdit_),
      forumText_(*forumEdit_),
      checkText_(*checkButton_),
      counterText_(*counterLabel_),
      timer_(this, [this] { OnTimerTick(*this); }) {
  // An empty title would make Qt show the program's name in the title bar;
  // a single space leaves the bar as empty as the title is meant to be.
  setWindowTitle(QStringLiteral(" "));
  setFixedSize(kClientWidth, kClientHeight);
  SetUpList();

  delayText_.SetText(TextFromUtf8("延时：秒"));
  forumText_.SetText(TextFromUtf8("贴吧"));
  checkText_.SetText(TextFromUtf8("检测"));
  exportButton_->setText(ToQString(TextFromUtf8("导出")));
  countCaptionLabel_->setText(ToQString(TextFromUtf8("次数：")));
  counterText_.SetText("0");

  setTabOrder(listView_, delayEdit_);
  setTabOrder(delayEdit_, forumEdit_);
  setTabOrder(forumEdit_, checkButton_);
  setTabOrder(checkButton_, exportButton_);
  // The list takes the focus when the window first gets it.
  listView_->setFocus();

  WireEvents();
  CentreOnScreen();
}

QtMainWindow::~QtMainWindow() {
  closing_ = true;
  delayEdit_->removeEventFilter(this);
  forumEdit_->removeEventFilter(this);
  // The model reads the list, which lives in the state; MainWindow gives up
  // its share of the state before QWidget deletes the children, so the model
  // goes here, while the list is sure to exist.
  listView_->setModel(nullptr);
  listModel_.reset();
}

void QtMainWindow::SetUpList() {
  QTableView& view = *listView_;
  view.setGeometry(kListArea);
  view.setModel(listModel_.get());
  view.setShowGrid(true);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setSortingEnabled(false);
  view.setWordWrap(false);
  view.setCornerButtonEnabled(false);
  // Tab leaves the list for the next control instead of walking its cells.
  view.setTabKeyNavigation(false);

  QHeaderView& header = *view.horizontalHeader();
  header.setSectionsClickable(false);
  header.setHighlightSections(false);
  header.setStretchLastSection(false);
  header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < ReportList::kColumnCount; ++column) {
    view.setColumnWidth(column, kColumnWidths[column]);
  }

  // Rows as tall as a line of the default font, as in a report-style list.
  QHeaderView& rows = *view.verticalHeader();
  rows.hide();
  rows.setSectionResizeMode(QHeaderView::Fixed);
  rows.setMinimumSectionSize(1);
  rows.setDefaultSectionSize(view.fontMetrics().height() + 4);
}

void QtMainWindow::WireEvents() {
  connect(checkButton_, &QPushButton::clicked, this, [this] { OnCheckClicked(*this); });
  connect(exportButton_, &QPushButton::clicked, this, [this] { OnExportClicked(*this); });
  delayEdit_->installEventFilter(this);
  forumEdit_->installEventFilter(this);
}

void QtMainWindow::CentreOnScreen() {
  // The frame a window manager adds is not known before the window is
  // shown, so it is the client area that goes to the centre.
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = rect();
  area.moveCenter(screen->availableGeometry().center());
  setGeometry(area);
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (closing_) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::FocusIn && type != QEvent::FocusOut) return false;
  if (!IsUserFocusChange(event)) return false;
  // The handler runs before the edit box itself sees the event; a message
  // box it opens runs its own event loop until the user dismisses it.
  if (watched == delayEdit_) {
    if (type == QEvent::FocusIn) {
      OnDelayGotFocus(*this);
    } else {
      OnDelayLostFocus(*this);
    }
  } else if (watched == forumEdit_ && type == QEvent::FocusIn) {
    OnForumGotFocus(*this);
  }
  return false;
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  closing_ = true;
  QWidget::closeEvent(event);
}

void QtMainWindow::showEvent(QShowEvent* event) {
  closing_ = false;
  QWidget::showEvent(event);
}

}  // namespace idwatch
