// What the tests that walk the wizard over the real engine share: a prompt that records its boxes,
// and the review list's rows counted by status.
#pragma once

#include <QColor>
#include <QDir>
#include <QStringList>

#include "app/AppPrompt.h"
#include "app/ReviewModel.h"
#include "src/AppSettings.h"

// Records the boxes instead of showing them.
class QuietPrompt : public AppPrompt {
 public:
  QStringList messages;
  void ShowMessage(QWidget*, const QString& caption, const QString& text,
                   EngineHost::Icon) override {
    messages << caption + QStringLiteral(": ") + text;
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QStringList&) override {
    return {};
  }
  bool OpenUrl(const QUrl&) override { return true; }
  void ShowErrorReport(QWidget*, AppSettings&, const QString& what) override {
    messages << QStringLiteral("Report: ") + what;
  }
};

inline int Files(const QString& folder, const QString& pattern) {
  return static_cast<int>(QDir(folder).entryList({pattern}, QDir::Files).size());
}

// "new/different/same" of a list's rows, or the first row whose colour is no status colour or
// whose tick does not follow its status (only what is not the same is ticked).
inline QString Statuses(const AppSettings& s, ReviewModel* model) {
  const QColor colours[] = {FromColorRef(s.SameColor), FromColorRef(s.NewColor),
                            FromColorRef(s.DiffColor)};
  int counts[3] = {0, 0, 0};
  for (int row = 0; row < model->rowCount(); ++row) {
    QModelIndex i = model->index(row, 0);
    const QColor c = model->data(i, ReviewModel::kStatusColorRole).value<QColor>();
    const bool ticked = model->data(i, Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    int status = -1;
    for (int k = 0; k < 3; ++k)
      if (c == colours[k]) status = k;
    if (status < 0 || ticked != (status != 0)) return QStringLiteral("row %1 wrong").arg(row);
    ++counts[status];
  }
  return QStringLiteral("%1/%2/%3").arg(counts[1]).arg(counts[2]).arg(counts[0]);
}
