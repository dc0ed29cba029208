#include "app/TfmPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/QtEngineHost.h"
#include "app/ReviewModel.h"

TfmPage::TfmPage(WizardContext& ctx, const QString& name, QWidget* parent)
    : QWidget(parent), ctx_(ctx) {
  setObjectName(name);
}

QLabel* TfmPage::AddHeading(QVBoxLayout* layout, const QString& text) {
  auto* heading = new QLabel(text, this);
  heading->setObjectName(QStringLiteral("lblHeading"));
  QFont f = heading->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.15);
  heading->setFont(f);
  layout->addWidget(heading);
  layout->addSpacing(8);
  return heading;
}

QHBoxLayout* TfmPage::EditRow(QLineEdit* edit, QPushButton* browse) {
  auto* row = new QHBoxLayout;
  row->addWidget(edit, 1);
  if (browse) {
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    row->addWidget(browse);
  }
  return row;
}

void TfmPage::AddEditRow(QFormLayout* form, const QString& label, QLineEdit* edit,
                         QPushButton* browse) {
  auto* text = new QLabel(label, this);
  text->setBuddy(edit);
  form->addRow(text, EditRow(edit, browse));
}

bool TfmPage::RunEngine(const std::function<bool(AppEngine&)>& driver) {
  AppEngine& engine = ctx_.engine;
  return ctx_.host.Run([&engine, &driver] { return driver(engine); });
}

void SetVersionLabel(QLabel* label, const QString& text, bool found) {
  label->setText(text);
  // 0xFF0000 and 0x0000FF of the settings' colour order: blue and red, kept readable on a dark
  // theme.
  const QColor colour = ReadableOn(found ? QColor(0, 0, 255) : QColor(255, 0, 0),
                                   label->palette().color(QPalette::Window));
  label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}
