#pragma once
// ReportListModel: the report list ip超级列表 as a Qt table model, for the
// window's QTableView. It keeps no rows of its own: the view's cells are read
// from the ReportList whenever the view paints them.
//
// Threads: the model lives on the user-interface thread. The list's change
// listener runs on the thread that changed the list (a worker); all it does
// is queue a call to this model, so no worker ever waits for the
// user-interface thread. The queued calls arrive in the order of the changes
// and announce each change to the view: the view's row count is the number of
// rows announced so far, which may lag behind the list's own.

#include <QAbstractTableModel>
#include <QModelIndex>
#include <QVariant>

#include "app/report_list.h"

namespace idwatch {

class ReportListModel final : public QAbstractTableModel {
 public:
  // Texts longer than this many bytes are shown cut short (the list keeps
  // them whole): a cell the width of a column never needs more, and an
  // enormous ID from a hostile page must not make every repaint slow.
  static constexpr int kShownBytes = 1024;

  // `list` must outlive the model.
  explicit ReportListModel(ReportList& list, QObject* parent = nullptr);
  // Removes the listener: once this returns, no notice is running and none
  // is waiting for this model (Qt drops calls queued for a deleted object).
  ~ReportListModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void Announce(const ReportList::Change& change);
  static constexpr int kReadAttempts = 8;
  // The text of the cell the view shows at (row, column).
  Text ShownCell(int row, int column) const;

  ReportList& list_;
  int announcedRows_ = 0;
};

}  // namespace idwatch
