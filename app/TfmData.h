#pragma once

#include <array>
#include <vector>

#include "app/ReviewModel.h"
#include "app/TfmPage.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;

// A review page: one tab per data type listing the source's records, coloured by status and
// ticked; leaving it collects the ticks into the selection lists and submits them.
class TfmData : public TfmPage {
  Q_OBJECT
 public:
  TfmData(WizardContext& ctx, const QString& name, int app, QWidget* parent);
  bool UpdatePage(bool save) override;

  int App() const { return app_; }
  ReviewModel* Model(int type) const { return models_[static_cast<std::size_t>(type)]; }
  QTreeView* List(int type) const { return lists_[static_cast<std::size_t>(type)]; }
  QLabel* CountLabel(int type) const { return counts_[static_cast<std::size_t>(type)]; }
  bool TabShown(int type) const;

  void SelectDiff();
  void SelectAll();
  void ClearSelection();
  void Refresh();

  QTabWidget* pData;
  QPushButton* btnRefresh;
  QPushButton* btnSelAll;
  QPushButton* btnClear;
  QPushButton* btnSelDiff;

 protected:
  // Whether the page reads this type's connector at all (Outlook's second mode reads slots that
  // nothing fills).
  virtual bool ReadsConnectors() const { return true; }
  // The rows point into connectors that the next load resets: a page out of sight keeps none.
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillList(int type);
  void FillVisibleLists();
  void Collect();
  void OpenDetail(int type, const QModelIndex& index);
  std::array<bool, 4> TypesOn() const;
  // Column widths follow the contents of a bounded sample of rows; a column the person has sized
  // keeps the person's width.
  void MeasureColumns(int type);
  void FitColumns(int type);

  int app_;
  std::array<ReviewModel*, 4> models_{};
  std::array<QTreeView*, 4> lists_{};
  std::array<QLabel*, 4> counts_{};
  std::array<QWidget*, 4> tabs_{};
  std::array<std::vector<int>, 4> contentWidths_;
  std::array<std::vector<bool>, 4> sizedByPerson_;
  bool fitting_ = false;  // the widths being set are ours, not the person's
};

class TfmOLData : public TfmData {
  Q_OBJECT
 public:
  TfmOLData(WizardContext& ctx, QWidget* parent)
      : TfmData(ctx, QStringLiteral("fmOLData"), kAppOutlook, parent) {}

 protected:
  bool ReadsConnectors() const override { return ctx_.settings.OLMode != 2; }
};

class TfmACTData : public TfmData {
  Q_OBJECT
 public:
  TfmACTData(WizardContext& ctx, QWidget* parent)
      : TfmData(ctx, QStringLiteral("fmACTData"), kAppACT, parent) {}
};

class TfmLNData : public TfmData {
  Q_OBJECT
 public:
  TfmLNData(WizardContext& ctx, QWidget* parent)
      : TfmData(ctx, QStringLiteral("fmLNData"), kAppLotusNotes, parent) {}
};

class TfmPDData : public TfmData {
  Q_OBJECT
 public:
  TfmPDData(WizardContext& ctx, QWidget* parent)
      : TfmData(ctx, QStringLiteral("fmPDData"), kAppPalmDesktop, parent) {}
};

// The Google records; made like the others but never shown.
class TfmGGData : public TfmData {
  Q_OBJECT
 public:
  TfmGGData(WizardContext& ctx, QWidget* parent)
      : TfmData(ctx, QStringLiteral("fmGGData"), kAppGoogle, parent) {}
};
