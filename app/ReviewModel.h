#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <array>
#include <cstdint>
#include <vector>

#include "misc/CxList.h"

// One review list: the records of a source connector as rows, with a tick per row and the
// colour of each record's comparison status. Rows point at the connector's records and own
// nothing; sorting reorders a row index, never the records.
class ReviewModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Column {
    const char* caption;
    int width;
  };
  // How one data type shows its records.
  struct Kind {
    std::vector<Column> columns;
    // The cell text; with `forSort` a key that sorts as the reader expects (dates as YYYYMMDD).
    QString (*cell)(const void* record, int column, bool forSort);
    std::uint32_t (*status)(const void* record);
  };
  // The status a row shows: the comparison's answer when there was one. A record that was never
  // compared (no target records of its type were loaded, as for tasks and notes) has nothing in
  // the target to match, so it is new, whatever its `Status` was left holding (Palm Desktop's
  // record flags, say). "Same" always comes with the counterpart it matched.
  static std::uint32_t ShownStatus(std::uint32_t status, bool matched) {
    if (status == 2) return 2;
    return status == 0 && matched ? 0 : 1;
  }
  template <class Record>
  static std::uint32_t StatusOf(const void* record) {
    const auto* r = static_cast<const Record*>(record);
    return ShownStatus(r->Status, r->MatchedRecord != nullptr);
  }

  static const Kind& ContactKind();
  static const Kind& EventKind();
  static const Kind& TaskKind();
  static const Kind& NoteKind();
  // The Lotus Notes page's rows of a data type (0 contacts ... 3 notes): read from the Notes
  // records attached to the common ones.
  static const Kind& LotusNotesKind(int type);

  ReviewModel(const Kind& kind, QObject* parent = nullptr);

  // The status colour of a row, whatever the theme.
  static constexpr int kStatusColorRole = Qt::UserRole + 1;

  // New, different and same, as the settings hold them (0x00BBGGRR). Each row shows its colour
  // as a marker before the first column, and as its text colour where that stays readable on
  // `base` (the lists' background; the application's by default).
  void SetColors(int newColor, int diffColor, int sameColor, QColor base = QColor());

  // Rebuilds the rows from a manager's records, in list order; new and different ones ticked.
  template <class Manager>
  void Fill(Manager& manager) {
    std::vector<void*> records;
    records.reserve(manager.Count());
    for (std::uint32_t i = 0; i < manager.Count(); ++i)
      records.push_back(manager.At(static_cast<std::int32_t>(i)));
    SetRecords(std::move(records));
  }
  void SetRecords(std::vector<void*> records);
  void Clear() { SetRecords({}); }

  // Appends the ticked records to a selection list, in list order (not view order).
  template <class Record>
  void Collect(CxList<Record>& list) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
      if (checked_[i] && records_[i]) list.Append(static_cast<Record*>(records_[i]));
  }

  // Ticks all, none, or exactly the new and different ones.
  void SelectAll() {
    SetAllTicks([](std::uint32_t) { return true; });
  }
  void ClearSelection() {
    SetAllTicks([](std::uint32_t) { return false; });
  }
  void SelectDiff() {
    SetAllTicks([](std::uint32_t s) { return s != 0; });
  }

  int RecordCount() const { return static_cast<int>(records_.size()); }
  int TickedCount() const;
  // The record shown at a view row; null outside the rows.
  void* RecordAt(int row) const;
  const Kind& kind() const { return kind_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // A negative column restores list order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  template <class Pred>
  void SetAllTicks(Pred pred) {
    for (std::size_t i = 0; i < records_.size(); ++i)
      checked_[i] = pred(kind_.status(records_[i])) ? 1 : 0;
    if (!records_.empty())
      Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
  }

  const Kind& kind_;
  std::vector<void*> records_;
  std::vector<std::uint8_t> checked_;  // by record position
  std::vector<int> order_;             // view row -> record position
  // By status: 0 same, 1 new, 2 different.
  std::array<QColor, 3> colors_;
  std::array<bool, 3> readable_{};
  std::array<QIcon, 3> markers_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// 0x00BBGGRR as the settings file keeps colours.
QColor FromColorRef(int value);

// Text needs this contrast ratio (1 to 21) with its background to be read comfortably.
constexpr double kReadableContrast = 4.5;
double Luminance(const QColor& c);
double Contrast(const QColor& a, const QColor& b);
// The colour itself where it can be read on the background, else the same hue lighter (on a
// dark background) or darker.
QColor ReadableOn(const QColor& wanted, const QColor& background);
