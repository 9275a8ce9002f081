#pragma once
// QtMainWindow: the program's one window on Linux, a fixed-size, centred
// top-level widget with an empty title and no minimize or maximize button,
// holding the report list ip超级列表, the edit boxes 延时 and 贴吧, the
// buttons 检测 and 导出, the labels 标签2 and 标签1 and the timer 时钟1.
// Clicks, ticks and the focus changes of the edit boxes go to the handlers
// of app/handlers.h; the list shows the state's ReportList through a
// ReportListModel.
//
// Threads: create, use and destroy it on the user-interface thread. Workers
// never touch it; the list reaches it through queued calls only.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include <memory>

#include "app/main_window.h"
#include "app/qt/qt_controls.h"
#include "app/qt/report_list_model.h"
#include "app/shared_state.h"

namespace idwatch {

class QtMainWindow : public QWidget, public MainWindow {
 public:
  // The client area: what a 411 x 250 window with a fixed frame and a
  // caption leaves on Windows, so that both programs look alike.
  static constexpr int kClientWidth = 405;
  static constexpr int kClientHeight = 225;

  explicit QtMainWindow(std::shared_ptr<SharedState> state);
  ~QtMainWindow() override;

  TextControl& 延时() override { return delayText_; }
  TextControl& 贴吧() override { return forumText_; }
  TextControl& 检测() override { return checkText_; }
  TextControl& 标签1() override { return counterText_; }
  QtTimerControl& 时钟1() override { return timer_; }

  // The widgets behind the controls.
  QTableView& ListView() const { return *listView_; }
  QLineEdit& DelayEdit() const { return *delayEdit_; }
  QLineEdit& ForumEdit() const { return *forumEdit_; }
  QPushButton& CheckButton() const { return *checkButton_; }
  QPushButton& ExportButton() const { return *exportButton_; }
  QLabel& CountCaptionLabel() const { return *countCaptionLabel_; }
  QLabel& CounterLabel() const { return *counterLabel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void SetUpList();
  void WireEvents();
  void CentreOnScreen();

  // Children of the window, deleted with it.
  QTableView* listView_;
  QLineEdit* delayEdit_;
  QLineEdit* forumEdit_;
  QPushButton* checkButton_;
  QPushButton* exportButton_;
  QLabel* countCaptionLabel_;
  QLabel* counterLabel_;

  // Deleted before the state the list lives in can go (see the destructor).
  std::unique_ptr<ReportListModel> listModel_;

  WidgetTextControl<QLineEdit> delayText_;
  WidgetTextControl<QLineEdit> forumText_;
  WidgetTextControl<QPushButton> checkText_;
  WidgetTextControl<QLabel> counterText_;
  QtTimerControl timer_;

  // Set from closing the window until it is shown again: the focus leaving
  // the edit boxes then (the window loses it as it goes) is no user's doing
  // and must not bring up the short-delay warning.
  bool closing_ = false;
};

}  // namespace idwatch
