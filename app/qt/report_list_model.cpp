#include "app/qt/report_list_model.h"

#include <QMetaObject>

#include <string_view>

#include "app/qt/qt_text.h"
#include "base/codepage.h"

namespace idwatch {
namespace {

const QString& HeaderCaption(int column) {
  static const QString captions[ReportList::kColumnCount] = {
      ToQString(TextFromUtf8("序号")), ToQString(TextFromUtf8("ID")), ToQString(TextFromUtf8("时间"))};
  return captions[column];
}

// The text cut to at most ReportListModel::kShownBytes bytes, never inside a
// two-byte character.
std::string_view ShownPart(std::string_view bytes) {
  if (bytes.size() <= ReportListModel::kShownBytes) return bytes;
  std::size_t end = 0;
  while (true) {
    const std::size_t step = static_cast<unsigned char>(bytes[end]) >= 0x80 ? 2 : 1;
    if (end + step > ReportListModel::kShownBytes) break;
    end += step;
  }
  return bytes.substr(0, end);
}

constexpr Qt::Alignment kCellAlignment = Qt::AlignLeft | Qt::AlignVCenter;

}  // namespace

ReportListModel::ReportListModel(ReportList& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {
  list_.SetChangeListener([this](const ReportList::Change& change) {
    QMetaObject::invokeMethod(this, [this, change] { Announce(change); }, Qt::QueuedConnection);
  });
  // A change made between these two lines is counted here; its notice, when
  // it comes, finds no row left to announce and is passed over (Announce).
  announcedRows_ = list_.RowCount();
}

ReportListModel::~ReportListModel() { list_.SetChangeListener({}); }

int ReportListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : announcedRows_;
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ReportList::kColumnCount;
}

Text ReportListModel::ShownCell(int row, int column) const {
  // Rows whose notices have not arrived yet were inserted at the top (the
  // collection cycle inserts nowhere else), so until they are announced the
  // rows the view knows sit that many rows further down in the list. A row
  // count that is the same before and after the read shows that no insertion
  // came in between; a worker that keeps inserting gets a few more tries.
  Text cell;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    const int rows = list_.RowCount();
    const int unannounced = rows > announcedRows_ ? rows - announcedRows_ : 0;
    cell = list_.CellText(row + unannounced, column);
    if (list_.RowCount() == rows) break;
  }
  return cell;
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= announcedRows_) return {};
  switch (role) {
    case Qt::DisplayRole: {
      const Text cell = ShownCell(index.row(), index.column());
      return ToQString(Text(ShownPart(cell.Bytes())));
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kCellAlignment);
    default:
      return {};
  }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ReportList::kColumnCount) return {};
  switch (role) {
    case Qt::DisplayRole:
      return HeaderCaption(section);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kCellAlignment);
    default:
      return {};
  }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ReportListModel::Announce(const ReportList::Change& change) {
  switch (change.kind) {
    case ReportList::Change::Kind::RowInserted:
      if (change.rowCount == announcedRows_ + 1 && change.row >= 0 && change.row <= announcedRows_) {
        beginInsertRows({}, change.row, change.row);
        announcedRows_ = change.rowCount;
        endInsertRows();
      } else if (change.rowCount > announcedRows_) {
        // Not reached while notices come one by one in order; if rows were
        // ever missed, the view starts over from the list as it is.
        beginResetModel();
        announcedRows_ = change.rowCount;
        endResetModel();
      }
      break;
    case ReportList::Change::Kind::CellSet:
      if (change.row >= 0 && change.row < announcedRows_) {
        const QModelIndex cell = index(change.row, change.column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
      }
      break;
  }
}

}  // namespace idwatch
