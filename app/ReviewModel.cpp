#include "app/ReviewModel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxDateTime.h"

namespace {

QString Text(const TextStorage& t) {
  return QString::fromUtf8(t.c_str(), static_cast<qsizetype>(t.size()));
}

// A note body runs to 20 KB; a row shows its first line.
QString FirstLine(const TextStorage& t) {
  std::string_view v = t.view();
  std::size_t end = v.find_first_of("\r\n");
  if (end != std::string_view::npos) v = v.substr(0, end);
  return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}

QString ContactCell(const void* r, int column, bool) {
  const auto& c = *static_cast<const CommonContact*>(r);
  switch (column) {
    case 0: {
      // Palm Desktop and others keep no display name: the name parts stand in for it.
      if (!c.DisplayName.empty()) return Text(c.DisplayName);
      QString name = (Text(c.FirstName) + QLatin1Char(' ') + Text(c.LastName)).trimmed();
      return name.isEmpty() ? Text(c.Company) : name;
    }
    case 1:
      return Text(c.Email1);
    case 2:
      return Text(c.PrimaryPhone);
    case 3:
      return Text(c.Company);
    default:
      return Text(c.JobTitle);
  }
}

QString EventCell(const void* r, int column, bool) {
  const auto& e = *static_cast<const CommonEvent*>(r);
  switch (column) {
    case 0:
      return Text(e.Subject);
    case 1:
      return QString::fromStdString(CxDateTime::TimeText(e.Start));
    case 2:
      return QString::fromStdString(CxDateTime::TimeText(e.End));
    case 3:
      return e.AllDay ? QStringLiteral("Yes") : QStringLiteral("No");
    default:
      return Text(e.Location);
  }
}

QString TaskCell(const void* r, int column, bool forSort) {
  const auto& t = *static_cast<const CommonTask*>(r);
  switch (column) {
    case 0:
      return Text(t.Subject);
    case 1:
      if (forSort) return QString::number(t.Importance == 1 ? 0 : t.Importance == 2 ? 2 : 1);
      return t.Importance == 1   ? QStringLiteral("High")
             : t.Importance == 2 ? QStringLiteral("Low")
                                 : QStringLiteral("Normal");
    case 2: {
      if (t.DueDate == 0) return {};
      SYSTEMTIME st = CxDateTime::FromTimeT(t.DueDate);
      if (forSort)
        return QStringLiteral("%1%2%3")
            .arg(st.wYear, 4, 10, QLatin1Char('0'))
            .arg(st.wMonth, 2, 10, QLatin1Char('0'))
            .arg(st.wDay, 2, 10, QLatin1Char('0'));
      return QString::fromStdString(CxDateTime::DateText(st));
    }
    default:
      return FirstLine(t.Note);
  }
}

QString NoteCell(const void* r, int, bool) {
  return FirstLine(static_cast<const CommonNote*>(r)->Body);
}

}  // namespace

const ReviewModel::Kind& ReviewModel::ContactKind() {
  static const Kind kind{{{"Display Name", 120},
                          {"Email", 120},
                          {"Primary Phone", 100},
                          {"Company", 100},
                          {"Title", 100}},
                         &ContactCell,
                         &ReviewModel::StatusOf<CommonContact>};
  return kind;
}

const ReviewModel::Kind& ReviewModel::EventKind() {
  static const Kind kind{{{"Subject", 200},
                          {"Start Time", 80},
                          {"End Time", 80},
                          {"All Day Event", 100},
                          {"Location", 150}},
                         &EventCell,
                         &ReviewModel::StatusOf<CommonEvent>};
  return kind;
}

const ReviewModel::Kind& ReviewModel::TaskKind() {
  static const Kind kind{{{"Subject", 200}, {"Importance", 80}, {"Due Date", 80}, {"Body", 240}},
                         &TaskCell,
                         &ReviewModel::StatusOf<CommonTask>};
  return kind;
}

const ReviewModel::Kind& ReviewModel::NoteKind() {
  static const Kind kind{{{"Notes", 600}}, &NoteCell, &ReviewModel::StatusOf<CommonNote>};
  return kind;
}

QColor FromColorRef(int value) {
  auto v = static_cast<unsigned>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

ReviewModel::ReviewModel(const Kind& kind, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind) {
  SetColors(0x008000, 0xFF0000, 0);
}

namespace {}  // namespace

double Luminance(const QColor& c) {
  auto channel = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  double la = Luminance(a), lb = Luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background) {
  if (Contrast(wanted, background) >= kReadableContrast) return wanted;
  // Same hue, lightness moved away from the background's.
  const bool darkBackground = Luminance(background) < 0.18;
  QColor c = wanted.toHsl();
  for (int step = 0; step < 20 && Contrast(c, background) < kReadableContrast; ++step) {
    int l = c.lightness() + (darkBackground ? 12 : -12);
    c.setHsl(c.hslHue(), c.hslSaturation(), std::clamp(l, 0, 255));
  }
  return c.toRgb();
}

namespace {

// A filled square with a thin outline in the text colour, so that a colour close to the
// background (black on a dark theme) still shows as a square.
QIcon Marker(const QColor& colour, const QColor& outline) {
  QIcon icon;
  for (int side : {16, 32, 64}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = side / 16.0;
    QRectF box(3 * unit, 3 * unit, 10 * unit, 10 * unit);
    p.setPen(QPen(outline, unit));
    p.setBrush(colour);
    p.drawRoundedRect(box, 2 * unit, 2 * unit);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

void ReviewModel::SetColors(int newColor, int diffColor, int sameColor, QColor base) {
  const QPalette palette = QGuiApplication::palette();
  if (!base.isValid()) base = palette.color(QPalette::Base);
  colors_ = {FromColorRef(sameColor), FromColorRef(newColor), FromColorRef(diffColor)};
  for (std::size_t s = 0; s < colors_.size(); ++s) {
    readable_[s] = Contrast(colors_[s], base) >= kReadableContrast;
    markers_[s] = Marker(colors_[s], palette.color(QPalette::Text));
  }
  if (!records_.empty())
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                       {Qt::ForegroundRole, Qt::DecorationRole, kStatusColorRole});
}

void ReviewModel::SetRecords(std::vector<void*> records) {
  beginResetModel();
  records_ = std::move(records);
  checked_.assign(records_.size(), 0);
  for (std::size_t i = 0; i < records_.size(); ++i)
    checked_[i] = records_[i] && kind_.status(records_[i]) != 0 ? 1 : 0;
  order_.resize(records_.size());
  std::iota(order_.begin(), order_.end(), 0);
  sortColumn_ = -1;
  endResetModel();
}

int ReviewModel::TickedCount() const {
  return static_cast<int>(std::count(checked_.begin(), checked_.end(), 1));
}

void* ReviewModel::RecordAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return records_[static_cast<std::size_t>(order_[static_cast<std::size_t>(row)])];
}

int ReviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int ReviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kind_.columns.size());
}

QVariant ReviewModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  auto pos = static_cast<std::size_t>(order_[static_cast<std::size_t>(index.row())]);
  const void* record = records_[pos];
  if (!record) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return kind_.cell(record, index.column(), false);
    case Qt::CheckStateRole:
      if (index.column() == 0) return checked_[pos] ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::ForegroundRole:
    case Qt::DecorationRole:
    case kStatusColorRole: {
      const std::uint32_t status = kind_.status(record);
      const std::size_t s = status <= 2 ? status : 0;
      if (role == kStatusColorRole) return colors_[s];
      if (role == Qt::DecorationRole) return index.column() == 0 ? markers_[s] : QVariant();
      // Unreadable: the theme's text colour; the marker still says the status.
      return readable_[s] ? QVariant(colors_[s]) : QVariant();
    }
    default:
      return {};
  }
}

bool ReviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0 ||
      !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return false;
  auto pos = static_cast<std::size_t>(order_[static_cast<std::size_t>(index.row())]);
  checked_[pos] = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
  Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags ReviewModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant ReviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount())
    return QAbstractTableModel::headerData(section, orientation, role);
  return QString::fromLatin1(kind_.columns[static_cast<std::size_t>(section)].caption);
}

void ReviewModel::sort(int column, Qt::SortOrder order) {
  if (column >= columnCount()) return;
  Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> positions;
  positions.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& i : before)
    positions.push_back(order_[static_cast<std::size_t>(i.row())]);

  std::iota(order_.begin(), order_.end(), 0);
  if (column >= 0) {
    // One key per record, computed once: the cells are formatted, not stored.
    std::vector<QString> keys(records_.size());
    for (std::size_t i = 0; i < records_.size(); ++i)
      if (records_[i]) keys[i] = kind_.cell(records_[i], column, true).toCaseFolded();
    auto less = [&keys](int a, int b) {
      return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
    };
    if (order == Qt::AscendingOrder)
      std::stable_sort(order_.begin(), order_.end(), less);
    else
      std::stable_sort(order_.begin(), order_.end(), [&less](int a, int b) { return less(b, a); });
  }
  sortColumn_ = column;
  sortOrder_ = order;

  std::vector<int> rowOf(order_.size());
  for (std::size_t row = 0; row < order_.size(); ++row)
    rowOf[static_cast<std::size_t>(order_[row])] = static_cast<int>(row);
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype k = 0; k < before.size(); ++k)
    after.push_back(index(rowOf[static_cast<std::size_t>(positions[static_cast<std::size_t>(k)])],
                          before[k].column()));
  changePersistentIndexList(before, after);
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
