// The report list's table model and the text controls over Qt widgets.

#include "app/qt/report_list_model.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/qt/qt_controls.h"
#include "base/codepage.h"
#include "tests/qt/gui_test_support.h"

namespace idwatch {
namespace {

using testutil::WaitUntil;

QString Shown(const QAbstractItemModel& model, int row, int column) {
  return model.data(model.index(row, column)).toString();
}

TEST(ReportListModel, RowsInsertedByAWorkerAreAnnouncedInOrderEachShowingTheListAsItWasThen) {
  constexpr int kRows = 3000;
  ReportList list;
  ReportListModel model(list);
  QTableView view;
  view.setModel(&model);
  view.show();

  // At each announcement the view must see the list as it was right after
  // that insertion: the top row numbered as many as there are rows, the
  // bottom row numbered 1, even while the worker has inserted more.
  int announcements = 0;
  int inconsistent = 0;
  QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
    ++announcements;
    const int rows = model.rowCount();
    if (first != 0 || last != 0 || Shown(model, 0, 0) != QString::number(rows) ||
        Shown(model, rows - 1, 0) != QStringLiteral("1") ||
        Shown(model, 0, 1) != QString::fromStdString("id" + std::to_string(rows))) {
      ++inconsistent;
    }
  });
  std::thread worker([&] {
    for (int i = 1; i <= kRows; ++i) list.InsertIdIfNew(Text("id" + std::to_string(i)));
  });
  const bool all = WaitUntil([&] { return model.rowCount() == kRows; });
  worker.join();
  ASSERT_TRUE(all);
  EXPECT_EQ(announcements, kRows);
  EXPECT_EQ(inconsistent, 0);
  for (int row : {0, 1, kRows / 2, kRows - 1}) {
    EXPECT_EQ(Shown(model, row, 1), QString::fromStdString("id" + std::to_string(kRows - row)));
  }
}

TEST(ReportListModel, ACellSetByAWorkerIsShownOnceAnnounced) {
  ReportList list;
  ReportListModel model(list);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  std::thread worker([&] {
    const int row = list.InsertRow(-1, "1");
    list.SetCellText(row, 1, TextFromUtf8("张三"));
    list.SetCellText(row, 2, "12:30");
  });
  worker.join();
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 2; }));
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(Shown(model, 0, 1), QString::fromUtf8("张三"));
  EXPECT_EQ(Shown(model, 0, 2), QStringLiteral("12:30"));
  EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(0, 1));
}

TEST(ReportListModel, ShowsLongTextsCutShortButNeverInsideACharacter) {
  ReportList list;
  ReportListModel model(list);
  // One ASCII byte, then two-byte characters: the cut at 1024 bytes would
  // fall inside one of them.
  const Text wide = TextFromUtf8("张");
  Text id("a");
  for (int i = 0; i < 2000; ++i) id += wide;
  list.InsertIdIfNew(id);
  list.InsertIdIfNew(Text(std::string(5000, 'b')));
  ASSERT_TRUE(WaitUntil([&] { return model.rowCount() == 2; }));

  EXPECT_EQ(Shown(model, 0, 1), QString(ReportListModel::kShownBytes, QLatin1Char('b')));
  EXPECT_EQ(Shown(model, 1, 1), QStringLiteral("a") + QString(511, QChar(u'张')));
  EXPECT_EQ(list.CellText(1, 1), id);  // the list keeps it whole
}

TEST(ReportListModel, NeitherEditableNorOutsideTheListAnError) {
  ReportList list;
  ReportListModel model(list);
  list.InsertIdIfNew("abc");
  ASSERT_TRUE(WaitUntil([&] { return model.rowCount() == 1; }));
  const Qt::ItemFlags flags = model.flags(model.index(0, 1));
  EXPECT_TRUE(flags & Qt::ItemIsSelectable);
  EXPECT_FALSE(flags & Qt::ItemIsEditable);
  EXPECT_FALSE(model.data(model.index(0, 3)).isValid());
  EXPECT_FALSE(model.data(model.index(1, 0)).isValid());
  EXPECT_FALSE(model.headerData(0, Qt::Vertical).isValid());
}

TEST(ReportListModel, CanGoWhileAWorkerIsStillChangingTheList) {
  ReportList list;
  auto model = std::make_unique<ReportListModel>(list);
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (int i = 0; !stop && i < 1000000; ++i) list.InsertIdIfNew(Text(std::to_string(i)));
  });
  const bool some = WaitUntil([&] { return model->rowCount() > 100; });
  model.reset();
  // Calls already queued for the deleted model must come to nothing.
  QCoreApplication::processEvents();
  stop = true;
  worker.join();
  QCoreApplication::processEvents();
  EXPECT_TRUE(some);
}

TEST(WidgetTextControl, ReadsBackWhatWasWrittenAndTypedTextInCodePage936) {
  QLineEdit edit;
  WidgetTextControl<QLineEdit> control(edit);
  struct Case {
    Text written;
    QString shown;
  };
  const Case cases[] = {
      {TextFromUtf8("延时：秒"), QString::fromUtf8("延时：秒")},
      {"10", QStringLiteral("10")},
      {{}, {}},
      // A lone lead byte does not survive UTF-16, but reads back as written.
      {Text("ab\x81"), QStringLiteral("ab?")},
  };
  for (const Case& c : cases) {
    control.SetText(c.written);
    EXPECT_EQ(edit.text(), c.shown);
    EXPECT_EQ(control.GetText(), c.written);
  }

  edit.setText(QString::fromUtf8("李四 x"));
  EXPECT_EQ(control.GetText(), TextFromUtf8("李四 x"));
  edit.setText(QString::fromUtf8("a😀"));  // not in code page 936
  EXPECT_EQ(control.GetText(), Text("a??"));

  QLabel label;
  WidgetTextControl<QLabel> caption(label);
  caption.SetText(TextFromUtf8("状态：导出中。。"));
  EXPECT_EQ(label.text(), QString::fromUtf8("状态：导出中。。"));
  EXPECT_EQ(caption.GetText(), TextFromUtf8("状态：导出中。。"));
}

TEST(QtTimerControl, TicksOnlyWhileThePeriodIsAboveZero) {
  int ticks = 0;
  QObject context;
  QtTimerControl timer(&context, [&] { ++ticks; });
  EXPECT_FALSE(timer.Timer().isActive());
  timer.SetPeriod(20);
  EXPECT_TRUE(timer.Timer().isActive());
  EXPECT_EQ(timer.Timer().interval(), 20);
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  timer.SetPeriod(-1);
  EXPECT_FALSE(timer.Timer().isActive());
  const int stopped = ticks;
  QCoreApplication::processEvents();
  EXPECT_EQ(ticks, stopped);
}

}  // namespace
}  // namespace idwatch
