#include "app/TfmDebug.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <tuple>

#include "app/AppPrompt.h"
#include "app/Banner.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

DebugInfoBox::DebugInfoBox(QDialog* dialog, const QString& note) : dialog_(dialog) {
  group = new QGroupBox(QObject::tr(" Debug Information "), dialog);
  auto* groupLayout = new QVBoxLayout(group);
  if (!note.isEmpty()) {
    auto* text = new QLabel(note, group);
    text->setWordWrap(true);
    groupLayout->addWidget(text);
  }
  auto* form = new QFormLayout;
  edtFolder = new QLineEdit(group);
  edtFolder->setObjectName(QStringLiteral("edtFolder"));
  edtFolder->setReadOnly(true);
  btnFolder = new QPushButton(QStringLiteral("..."), group);
  btnFolder->setObjectName(QStringLiteral("btnFolder"));
  btnFolder->setAccessibleName(QObject::tr("Open the log folder"));
  edtFile = new QLineEdit(group);
  edtFile->setObjectName(QStringLiteral("edtFile"));
  edtFile->setReadOnly(true);
  btnFile = new QPushButton(QStringLiteral("..."), group);
  btnFile->setObjectName(QStringLiteral("btnFile"));
  btnFile->setAccessibleName(QObject::tr("Open the log file"));
  for (auto [edit, button, label] : {std::tuple{edtFolder, btnFolder, QObject::tr("Log F&older:")},
                                     std::tuple{edtFile, btnFile, QObject::tr("Log F&ile:")}}) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    row->addWidget(button);
    form->addRow(label, row);
    auto* buddy = qobject_cast<QLabel*>(form->labelForField(row));
    if (buddy) buddy->setBuddy(edit);
  }
  groupLayout->addLayout(form);

  std::string folder;
  if (GetAppDataFolder(folder)) {
    edtFolder->setText(QString::fromStdString(folder));
    edtFile->setText(QString::fromStdString(folder) + QStringLiteral("appdebug.log"));
  } else {
    btnFolder->setEnabled(false);
    btnFile->setEnabled(false);
  }
  QObject::connect(btnFolder, &QPushButton::clicked, dialog, [this] { OpenFolder(); });
  QObject::connect(btnFile, &QPushButton::clicked, dialog, [this] { OpenFile(); });
}

void DebugInfoBox::OpenFolder() {
  AppPrompt::Current().OpenUrl(QUrl::fromLocalFile(edtFolder->text()));
}

void DebugInfoBox::OpenFile() {
  if (!QFileInfo::exists(edtFile->text())) {
    ShowError(dialog_, QObject::tr("Debug log file doesn't exist"), EngineHost::Icon::kInformation);
    return;
  }
  AppPrompt::Current().OpenUrl(QUrl::fromLocalFile(edtFile->text()));
}

void AddDialogBanner(QDialog* dialog, QVBoxLayout* layout) {
  auto* banner = new Banner(dialog);
  banner->setObjectName(QStringLiteral("imgText"));
  QObject::connect(banner, &Banner::TextClicked, dialog,
                   [] { AppPrompt::Current().OpenUrl(QUrl(QString::fromLatin1(kHomePage))); });
  layout->addWidget(banner);
}

TfmDebug::TfmDebug(AppSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("fmDebug"));
  setWindowTitle(tr("Quillmove Debug Log Options"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  AddDialogBanner(this, outer);
  info = std::make_unique<DebugInfoBox>(this);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(12, 8, 12, 12);
  cbEnable = new QCheckBox(tr("&Enable Debug Log"), this);
  cbEnable->setObjectName(QStringLiteral("cbEnable"));
  cbxLevel = new QComboBox(this);
  cbxLevel->setObjectName(QStringLiteral("cbxLevel"));
  cbxLevel->addItem(tr("Critical - Only log critical error information."), 0);
  cbxLevel->addItem(tr("High - Log high level debug information."), 1);
  cbxLevel->addItem(tr("Low - Log very detail debug information."), 3);
  auto* form = new QFormLayout;
  form->addRow(cbEnable);
  form->addRow(tr("Set Debug &Level:"), cbxLevel);
  body->addLayout(form);
  body->addWidget(info->group);
  btnOK = new QPushButton(tr("&OK"), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  btnCancel = new QPushButton(tr("&Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  body->addLayout(buttons);
  outer->addLayout(body);
  connect(btnOK, &QPushButton::clicked, this, &TfmDebug::accept);
  connect(btnCancel, &QPushButton::clicked, this, &TfmDebug::reject);

  cbEnable->setChecked(settings.EnableDebug);
  cbxLevel->setCurrentIndex(settings.LogLevel == 0 ? 0 : settings.LogLevel == 1 ? 1 : 2);
  setMinimumWidth(520);
}

void TfmDebug::accept() {
  settings_.EnableDebug = cbEnable->isChecked();
  int item = cbxLevel->currentIndex();
  settings_.LogLevel = item == 0 ? 0 : item == 1 ? 1 : 3;
  CxDebugUtil::Instance().SetEnabled(settings_.EnableDebug);
  CxDebugUtil::Instance().SetLevel(settings_.LogLevel);
  QDialog::accept();
}
