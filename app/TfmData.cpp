#include "app/TfmData.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ACTReviewRows.h"
#include "app/DetailForms.h"
#include "app/QtEngineHost.h"

namespace {

constexpr std::array<const char*, 4> kTabNames = {"tAddr", "tDate", "tTask", "tNote"};
constexpr std::array<const char*, 4> kTabCaptions = {"&Contacts", "C&alendar", "Tas&k", "&Notes"};
constexpr std::array<const char*, 4> kListNames = {"lvAddr", "lvDate", "lvTask", "lvNote"};
constexpr std::array<const char*, 4> kCountNames = {"lblAddrCount", "lblDateCount", "lblTaskCount",
                                                    "lblNoteCount"};
constexpr std::array<const char*, 4> kCountTexts = {
    "%1 Contact records in total", "%1 Calendar records in total", "%1 Task records in total",
    "%1 Note records in total"};

const ReviewModel::Kind& KindOf(int app, int type) {
  if (app == kAppLotusNotes) return ReviewModel::LotusNotesKind(type);
  // The ACT! page reads its rows from the ACT! records themselves.
  if (app == kAppACT) return ACTReviewKind(type);
  switch (type) {
    case kTypeContacts:
      return ReviewModel::ContactKind();
    case kTypeCalendar:
      return ReviewModel::EventKind();
    case kTypeTasks:
      return ReviewModel::TaskKind();
    default:
      return ReviewModel::NoteKind();
  }
}

// Styles that draw the tick box's outline a shade darker than the window (Fusion does) lose it on
// a dark list: an unticked row would show no box at all. On a dark list the window shade the
// items are drawn with is the text colour, so the outline comes out light.
class ReviewItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    QPalette& palette = option->palette;
    if (Luminance(palette.color(QPalette::Base)) < kDarkBase)
      palette.setColor(QPalette::Window, palette.color(QPalette::Text));
  }

 private:
  static constexpr double kDarkBase = 0.18;
};

}  // namespace

TfmData::TfmData(WizardContext& ctx, const QString& name, int app, QWidget* parent)
    : TfmPage(ctx, name, parent), app_(app) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  pData = new QTabWidget(this);
  pData->setObjectName(QStringLiteral("pData"));
  for (std::size_t t = 0; t < 4; ++t) {
    auto* tab = new QWidget(pData);
    tab->setObjectName(QString::fromLatin1(kTabNames[t]));
    auto* tabLayout = new QVBoxLayout(tab);
    auto* model = new ReviewModel(KindOf(app, static_cast<int>(t)), this);
    auto* list = new QTreeView(tab);
    list->setObjectName(QString::fromLatin1(kListNames[t]));
    list->setModel(model);
    list->setItemDelegate(new ReviewItemDelegate(list));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(true);
    list->header()->setSortIndicator(-1, Qt::AscendingOrder);
    list->header()->setStretchLastSection(true);
    const auto& columns = model->kind().columns;
    for (std::size_t c = 0; c < columns.size(); ++c)
      list->setColumnWidth(static_cast<int>(c), columns[c].width);
    contentWidths_[t].assign(columns.size(), 0);
    sizedByPerson_[t].assign(columns.size(), false);
    connect(list->header(), &QHeaderView::sectionResized, this, [this, t](int column, int, int) {
      // The last column stretches by itself.
      if (fitting_ || column < 0 || column + 1 >= static_cast<int>(sizedByPerson_[t].size()))
        return;
      sizedByPerson_[t][static_cast<std::size_t>(column)] = true;
    });
    // A list out of sight has no width to share out; it fits when it shows or resizes.
    list->viewport()->installEventFilter(this);
    list->setAccessibleName(QString::fromLatin1(kTabCaptions[t]).remove(QLatin1Char('&')));
    auto* count = new QLabel(tab);
    count->setObjectName(QString::fromLatin1(kCountNames[t]));
    auto* hint = new QLabel(tr("You may double click the items in the above list to see more "
                               "detail record information."),
                            tab);
    hint->setEnabled(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count);
    bottom->addStretch(1);
    bottom->addWidget(hint);
    tabLayout->addWidget(list, 1);
    tabLayout->addLayout(bottom);
    pData->addTab(tab, tr(kTabCaptions[t]));
    models_[t] = model;
    lists_[t] = list;
    counts_[t] = count;
    tabs_[t] = tab;
    const int type = static_cast<int>(t);
    connect(list, &QTreeView::activated, this,
            [this, type](const QModelIndex& index) { OpenDetail(type, index); });
    count->setText(tr(kCountTexts[t]).arg(0));
  }
  layout->addWidget(pData, 1);

  btnRefresh = new QPushButton(tr("&Refresh"), this);
  btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
  btnSelAll = new QPushButton(tr("Select &All"), this);
  btnSelAll->setObjectName(QStringLiteral("btnSelAll"));
  btnClear = new QPushButton(tr("Clear &Selection"), this);
  btnClear->setObjectName(QStringLiteral("btnClear"));
  btnSelDiff = new QPushButton(tr("Select &Diff"), this);
  btnSelDiff->setObjectName(QStringLiteral("btnSelDiff"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnRefresh);
  buttons->addStretch(1);
  buttons->addWidget(btnSelAll);
  buttons->addWidget(btnClear);
  buttons->addWidget(btnSelDiff);
  layout->addLayout(buttons);

  connect(btnRefresh, &QPushButton::clicked, this, &TfmData::Refresh);
  connect(btnSelAll, &QPushButton::clicked, this, &TfmData::SelectAll);
  connect(btnClear, &QPushButton::clicked, this, &TfmData::ClearSelection);
  connect(btnSelDiff, &QPushButton::clicked, this, &TfmData::SelectDiff);
}

std::array<bool, 4> TfmData::TypesOn() const {
  const AppSettings& s = ctx_.settings;
  return {s.SyncAddr, s.SyncDate, s.SyncTask, s.SyncNote};
}

bool TfmData::TabShown(int type) const {
  return pData->isTabVisible(type);
}

void TfmData::FillList(int type) {
  if (!ReadsConnectors()) return;
  AppEngine& e = ctx_.engine;
  auto t = static_cast<std::size_t>(type);
  ReviewModel& m = *models_[t];
  // A missing connector leaves the list as it was.
  std::uint32_t count = 0;
  switch (type) {
    case kTypeContacts:
      if (CommAddrMgr* mgr = e.Contacts(app_))
        m.Fill(*mgr), count = mgr->Count();
      else
        return;
      break;
    case kTypeCalendar:
      if (CommDateMgr* mgr = e.Calendar(app_))
        m.Fill(*mgr), count = mgr->Count();
      else
        return;
      break;
    case kTypeTasks:
      if (CommTaskMgr* mgr = e.Tasks(app_))
        m.Fill(*mgr), count = mgr->Count();
      else
        return;
      break;
    default:
      if (CommNoteMgr* mgr = e.Notes(app_))
        m.Fill(*mgr), count = mgr->Count();
      else
        return;
      break;
  }
  lists_[t]->header()->setSortIndicator(-1, Qt::AscendingOrder);
  counts_[t]->setText(tr(kCountTexts[t]).arg(count));
  MeasureColumns(type);
  FitColumns(type);
}

void TfmData::MeasureColumns(int type) {
  const auto t = static_cast<std::size_t>(type);
  QTreeView* list = lists_[t];
  const ReviewModel& m = *models_[t];
  // The first rows stand for the rest: 20,000 rows are measured as fast as 300.
  constexpr int kSampleRows = 300;
  const int rows = std::min(m.rowCount(), kSampleRows);
  // The view's own item options, so that tick box, marker and margins are counted as drawn.
  QStyleOptionViewItem option;
  option.initFrom(list);
  option.widget = list;
  const int icon = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
  option.decorationSize = list->iconSize().isValid() ? list->iconSize() : QSize(icon, icon);
  QAbstractItemDelegate* delegate = list->itemDelegate();
  // A little air, so that a full cell does not run into the next one.
  const int gap = option.fontMetrics.averageCharWidth();
  for (int c = 0; c < m.columnCount(); ++c) {
    int widest = 0;
    for (int r = 0; r < rows; ++r)
      widest = std::max(widest, delegate->sizeHint(option, m.index(r, c)).width());
    contentWidths_[t][static_cast<std::size_t>(c)] = widest > 0 ? widest + gap : 0;
  }
}

void TfmData::FitColumns(int type) {
  const auto t = static_cast<std::size_t>(type);
  QTreeView* list = lists_[t];
  const auto& columns = models_[t]->kind().columns;
  const int count = static_cast<int>(columns.size());
  if (count < 2 || !list->isVisible()) return;
  QHeaderView* header = list->header();
  auto at = [](const auto& v, int i) { return v[static_cast<std::size_t>(i)]; };
  // Never narrower than the caption or the usual width; as wide as the sampled contents.
  std::vector<int> least(columns.size()), wanted(columns.size());
  for (int c = 0; c < count; ++c) {
    least[static_cast<std::size_t>(c)] = std::max(at(columns, c).width, header->sectionSizeHint(c));
    wanted[static_cast<std::size_t>(c)] = std::max(at(least, c), at(contentWidths_[t], c));
  }
  // The room the columns before the last share: the stretched last column does not shrink below
  // its usual width (the list scrolls sideways instead), and the person's own widths stay.
  const int last = count - 1;
  int room = list->viewport()->width() - at(least, last);
  for (int c = 0; c < last; ++c)
    if (at(sizedByPerson_[t], c)) room -= header->sectionSize(c);
  // One ceiling for the widest columns, as high as the room allows, so that the later columns
  // stay in the window.
  auto widthAt = [&](int c, int ceiling) {
    return std::max(at(least, c), std::min(at(wanted, c), ceiling));
  };
  auto total = [&](int ceiling) {
    int sum = 0;
    for (int c = 0; c < last; ++c)
      if (!at(sizedByPerson_[t], c)) sum += widthAt(c, ceiling);
    return sum;
  };
  int ceiling = *std::max_element(wanted.begin(), wanted.end());
  if (total(ceiling) > room) {
    int low = 0;
    while (low < ceiling) {
      const int mid = low + (ceiling - low + 1) / 2;
      if (total(mid) <= room)
        low = mid;
      else
        ceiling = mid - 1;
    }
  }
  fitting_ = true;
  for (int c = 0; c < last; ++c)
    if (!at(sizedByPerson_[t], c)) header->resizeSection(c, widthAt(c, ceiling));
  fitting_ = false;
}

bool TfmData::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
    for (int t = 0; t < 4; ++t)
      if (watched == lists_[static_cast<std::size_t>(t)]->viewport()) FitColumns(t);
  return TfmPage::eventFilter(watched, event);
}

void TfmData::FillVisibleLists() {
  for (int t = 0; t < 4; ++t)
    if (TabShown(t)) FillList(t);
}

bool TfmData::UpdatePage(bool save) {
  if (!save) {
    const AppSettings& s = ctx_.settings;
    const auto on = TypesOn();
    for (std::size_t t = 0; t < 4; ++t) {
      models_[t]->SetColors(s.NewColor, s.DiffColor, s.SameColor);
      pData->setTabVisible(static_cast<int>(t), on[t]);
    }
    FillVisibleLists();
    for (int t = 0; t < 4; ++t)
      if (TabShown(t)) {
        pData->setCurrentIndex(t);
        break;
      }
    return true;
  }
  Collect();
  return RunEngine([](AppEngine& e) { return e.SubmitChanges(kAppGoogle); });
}

void TfmData::Collect() {
  AppEngine& e = ctx_.engine;
  e.SelectedContacts().RemoveAll(false);
  e.SelectedEvents().RemoveAll(false);
  e.SelectedTasks().RemoveAll(false);
  e.SelectedNotes().RemoveAll(false);
  if (TabShown(kTypeContacts)) models_[0]->Collect(e.SelectedContacts());
  if (TabShown(kTypeCalendar)) models_[1]->Collect(e.SelectedEvents());
  if (TabShown(kTypeTasks)) models_[2]->Collect(e.SelectedTasks());
  if (TabShown(kTypeNotes)) models_[3]->Collect(e.SelectedNotes());
}

void TfmData::SelectDiff() {
  const auto on = TypesOn();
  for (std::size_t t = 0; t < 4; ++t)
    if (on[t]) models_[t]->SelectDiff();
}

void TfmData::SelectAll() {
  const auto on = TypesOn();
  for (std::size_t t = 0; t < 4; ++t)
    if (on[t]) models_[t]->SelectAll();
}

void TfmData::ClearSelection() {
  const auto on = TypesOn();
  for (std::size_t t = 0; t < 4; ++t)
    if (on[t]) models_[t]->ClearSelection();
}

void TfmData::Refresh() {
  // The rows point into the connectors that the reload resets: drop them first.
  for (int t = 0; t < 4; ++t)
    if (TabShown(t)) models_[static_cast<std::size_t>(t)]->Clear();
  const int app = app_;
  if (RunEngine([app](AppEngine& e) { return e.ReloadSource(app, kAppGoogle); })) {
    FillVisibleLists();
    return;
  }
  // A failed reload leaves connectors without a whole load behind: no rows, and counts that say
  // so (the person has seen why).
  for (std::size_t t = 0; t < 4; ++t) counts_[t]->setText(tr(kCountTexts[t]).arg(0));
}

void TfmData::OpenDetail(int type, const QModelIndex& index) {
  if (!index.isValid()) return;
  void* record = models_[static_cast<std::size_t>(type)]->RecordAt(index.row());
  if (!record) return;
  DetailRequest request;
  request.app = app_;
  request.dataType = type;
  request.record = record;
  AppEngine& e = ctx_.engine;
  switch (type) {
    case kTypeContacts:
      request.manager = e.Contacts(app_);
      break;
    case kTypeCalendar:
      request.manager = e.Calendar(app_);
      break;
    case kTypeTasks:
      request.manager = e.Tasks(app_);
      break;
    default:
      request.manager = e.Notes(app_);
      break;
  }
  OpenDetailForm(this, request);
}

void TfmData::hideEvent(QHideEvent* event) {
  for (ReviewModel* m : models_) m->Clear();
  TfmPage::hideEvent(event);
}
