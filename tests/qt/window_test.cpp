// The Qt window in-process, on the offscreen platform: the window as it
// opens, the hints, the message boxes, runs and ticks, rows from workers, the
// export, and closing.

#include "app/qt/qt_main_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/message_boxes.h"
#include "base/codepage.h"
#include "base/numbers.h"
#include "collector/forum_address.h"
#include "tests/qt/gui_test_support.h"
#include "tests/support/temp_directory.h"

namespace idwatch {
namespace {

using testutil::BoxAnswerer;
using testutil::FakeForum;
using testutil::SeenBox;
using testutil::WaitUntil;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
Text U(std::string_view utf8) { return TextFromUtf8(utf8); }

// The window with its export sent to a directory and a clock of the test's.
class TestWindow final : public QtMainWindow {
 public:
  using QtMainWindow::QtMainWindow;
  Text ExportDirectory() const override { return exportDirectory; }
  DateTime ExportTime() const override { return {2014, 11, 1, 12, 5, 24}; }
  Text exportDirectory;
};

// The one box the answerer saw had the form of every message of the program.
void ExpectOneMessage(const BoxAnswerer& answerer, const QString& text) {
  const std::vector<SeenBox> seen = answerer.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, Q("信息："));
  EXPECT_EQ(seen[0].text, text);
  EXPECT_EQ(seen[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen[0].buttonCount, 1);
  EXPECT_TRUE(seen[0].applicationModal);
}

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageBoxes();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void TearDown() override {
    // Workers fetch from the forum and insert into the list; let them end
    // before the window goes.
    EXPECT_TRUE(testutil::WaitForWorkers(state, 1));
  }

  void Click(QWidget& widget) { QTest::mouseClick(&widget, Qt::LeftButton); }

  QString Cell(int row, int column) const {
    const QAbstractItemModel& model = *window.ListView().model();
    return model.data(model.index(row, column)).toString();
  }

  // Starts a run with the given delay in seconds for the forum abc.
  void StartRun(const char* delay) {
    window.延时().SetText(delay);
    window.贴吧().SetText("abc");
    Click(window.CheckButton());
  }

  std::shared_ptr<FakeForum> forum = std::make_shared<FakeForum>(std::vector<std::string>{"alice", "张三", "bob", "alice"});
  std::shared_ptr<SharedState> state = testutil::StateWith(forum);
  TestWindow window{state};
};

TEST_F(QtWindowTest, OpensAsTheProgramStarts) {
  EXPECT_EQ(window.size(), QSize(405, 225));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_TRUE(window.windowTitle().trimmed().isEmpty());
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_EQ(window.geometry().center(), screenCentre);

  struct Control {
    const char* name;
    QWidget& widget;
    QRect area;
    QString text;
  };
  const Control controls[] = {
      {"ip超级列表", window.ListView(), {0, 0, 400, 176}, {}},
      {"延时", window.DelayEdit(), {7, 179, 80, 20}, Q("延时：秒")},
      {"贴吧", window.ForumEdit(), {7, 200, 80, 20}, Q("贴吧")},
      {"检测", window.CheckButton(), {96, 184, 80, 32}, Q("检测")},
      {"导出", window.ExportButton(), {192, 184, 80, 32}, Q("导出")},
      {"标签2", window.CountCaptionLabel(), {304, 192, 32, 24}, Q("次数：")},
      {"标签1", window.CounterLabel(), {344, 192, 48, 24}, Q("0")},
  };
  for (const Control& control : controls) {
    SCOPED_TRACE(control.name);
    EXPECT_EQ(control.widget.geometry(), control.area);
    EXPECT_TRUE(control.widget.isVisible());
    EXPECT_TRUE(control.widget.isEnabled());
    if (!control.text.isNull()) {
      EXPECT_EQ(control.widget.property("text").toString(), control.text);
    }
  }
  EXPECT_EQ(window.延时().GetText(), U("延时：秒"));
  EXPECT_EQ(window.贴吧().GetText(), U("贴吧"));
  EXPECT_EQ(window.检测().GetText(), U("检测"));
  EXPECT_EQ(window.标签1().GetText(), Text("0"));
  EXPECT_EQ(window.时钟1().Period(), 0);
  EXPECT_FALSE(window.时钟1().Timer().isActive());

  for (QLineEdit* edit : {&window.DelayEdit(), &window.ForumEdit()}) {
    EXPECT_EQ(edit->maxLength(), INT_MAX);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  }
  for (QPushButton* button : {&window.CheckButton(), &window.ExportButton()}) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
  }
  for (QLabel* label : {&window.CountCaptionLabel(), &window.CounterLabel()}) {
    EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  }

  const QTableView& list = window.ListView();
  const QAbstractItemModel& model = *list.model();
  EXPECT_EQ(model.rowCount(), 0);
  ASSERT_EQ(model.columnCount(), 3);
  const QString headers[] = {Q("序号"), Q("ID"), Q("时间")};
  const int widths[] = {40, 100, 250};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), headers[column]);
    EXPECT_EQ(list.columnWidth(column), widths[column]);
  }
  EXPECT_TRUE(list.horizontalHeader()->isVisible());
  EXPECT_FALSE(list.horizontalHeader()->sectionsClickable());
  EXPECT_FALSE(list.verticalHeader()->isVisible());
  EXPECT_TRUE(list.showGrid());
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(list.isSortingEnabled());

  EXPECT_EQ(QApplication::focusWidget(), &window.ListView());
}

TEST_F(QtWindowTest, TabWalksTheTabStopsAndEnteringABoxClearsItsHintForGood) {
  BoxAnswerer answerer;
  QWidget* const order[] = {&window.DelayEdit(), &window.ForumEdit(), &window.CheckButton(),
                            &window.ExportButton(), &window.ListView()};
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
    if (next == &window.DelayEdit()) {
      EXPECT_EQ(window.延时().GetText(), Text());
      QTest::keyClicks(next, "10");  // no warning when it is left
    }
    if (next == &window.ForumEdit()) {
      EXPECT_EQ(window.贴吧().GetText(), Text());
      // Chinese arrives from the input method, not as key presses.
      QInputMethodEvent typed;
      typed.setCommitString(Q("李四"));
      QApplication::sendEvent(next, &typed);
    }
  }
  EXPECT_TRUE(answerer.Seen().empty());

  // Entering a box again leaves what it holds; emptied boxes get no hint back.
  window.DelayEdit().clear();
  Click(window.DelayEdit());
  Click(window.ForumEdit());  // leaving 延时 empty warns
  EXPECT_EQ(window.贴吧().GetText(), U("李四"));
  EXPECT_EQ(window.延时().GetText(), Text());
  EXPECT_EQ(answerer.Seen().size(), 1u);
}

TEST_F(QtWindowTest, LeavingTheDelayBoxWithAShortDelayWarnsInAMessageBox) {
  BoxAnswerer answerer;
  Click(window.DelayEdit());
  EXPECT_EQ(window.延时().GetText(), Text());
  QTest::keyClicks(&window.DelayEdit(), "3");
  Click(window.ForumEdit());

  ExpectOneMessage(answerer, Q("延时时间小于5秒可能会导致列表重复！"));
  // The warning only informs.
  EXPECT_EQ(window.延时().GetText(), Text("3"));
  EXPECT_EQ(window.focusWidget(), &window.ForumEdit());
}

TEST_F(QtWindowTest, AStartWithoutInputIsRefusedInAMessageBox) {
  BoxAnswerer answerer;
  Click(window.CheckButton());

  ExpectOneMessage(answerer, Q("请先填写延时或贴吧名"));
  EXPECT_EQ(window.检测().GetText(), U("检测"));
  EXPECT_EQ(window.标签1().GetText(), Text("0"));
  EXPECT_FALSE(window.时钟1().Timer().isActive());
  ASSERT_TRUE(testutil::WaitForWorkers(state, 1));
  EXPECT_TRUE(forum->Addresses().empty());
}

TEST_F(QtWindowTest, ARunCountsEveryTickAlsoWhileAMessageBoxIsOpenUntilStopped) {
  auto count = [&] { return ToInteger(window.标签1().GetText()); };
  StartRun("1");
  EXPECT_EQ(window.标签1().GetText(), Text("1"));
  EXPECT_EQ(window.检测().GetText(), U("停止"));
  EXPECT_TRUE(window.时钟1().Timer().isActive());
  EXPECT_EQ(window.时钟1().Timer().interval(), 1000);
  ASSERT_TRUE(WaitUntil([&] { return count() >= 2; }));

  // Leaving 延时 (delay 1) brings up the warning; the box stays open for two
  // more ticks.
  const int before = count();
  BoxAnswerer answerer([&] { return count() >= before + 2; });
  Click(window.DelayEdit());
  Click(window.ForumEdit());
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_GE(count(), before + 2);

  Click(window.CheckButton());  // stop
  EXPECT_EQ(window.检测().GetText(), U("检测"));
  EXPECT_FALSE(window.时钟1().Timer().isActive());
  const int stopped = count();
  QTest::qWait(1500);
  EXPECT_EQ(count(), stopped);
  ASSERT_TRUE(testutil::WaitForWorkers(state, 1));
  EXPECT_EQ(forum->Addresses().size(), static_cast<std::size_t>(stopped));

  Click(window.CheckButton());  // the count goes on
  EXPECT_EQ(count(), stopped + 1);
  Click(window.CheckButton());
}

TEST_F(QtWindowTest, RowsAWorkerCollectsAppearInTheListNewestFirst) {
  StartRun("10");
  ASSERT_TRUE(WaitUntil([&] { return window.ListView().model()->rowCount() == 3; }));
  const QString expected[3][3] = {
      {Q("3"), Q("bob"), {}}, {Q("2"), Q("张三"), {}}, {Q("1"), Q("alice"), {}}};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) EXPECT_EQ(Cell(row, column), expected[row][column]);
  }
  EXPECT_EQ(forum->Addresses(), std::vector<Text>{ForumAddress("abc")});
  Click(window.CheckButton());
}

TEST_F(QtWindowTest, TheExportWritesTheCollectedIdsAndSaysSo) {
  TempDirectory directory;
  window.exportDirectory = directory.AsText();
  StartRun("10");
  ASSERT_TRUE(WaitUntil([&] { return window.ListView().model()->rowCount() == 3; }));
  Click(window.CheckButton());

  Click(window.ExportButton());
  EXPECT_EQ(window.CounterLabel().text(), Q("状态：导出完毕。。"));
  const std::filesystem::path file = directory.Path() / std::filesystem::path(u8"导出活跃ID2014年11月1日12时5分24秒.txt");
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, "bob\r\n" + std::string(U("张三").Bytes()) + "\r\nalice\r\n\r\n");

  // The next start counts from 1 again.
  Click(window.CheckButton());
  EXPECT_EQ(window.标签1().GetText(), Text("1"));
  Click(window.CheckButton());
}

TEST_F(QtWindowTest, ClosingTheWindowEndsTheLoopWithoutAWarning) {
  BoxAnswerer answerer;
  Click(window.DelayEdit());
  QTest::keyClicks(&window.DelayEdit(), "3");
  ASSERT_EQ(QApplication::focusWidget(), &window.DelayEdit());

  // The program's loop, as main() runs it; the window is closed from inside.
  QTimer::singleShot(0, &window, [&] { window.close(); });
  QTimer tooLong;
  tooLong.setSingleShot(true);
  QObject::connect(&tooLong, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  tooLong.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(answerer.Seen().empty());
}

}  // namespace
}  // namespace idwatch
