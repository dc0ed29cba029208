#include "app/TfmFinish.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "BackendSettings.h"
#include "app/AppPrompt.h"
#include "app/ReviewModel.h"

namespace {
constexpr const char* kWebMail = "https://mail.google.com/";
}

TfmFinish::TfmFinish(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmFinish"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Information Migration Completed:"));
  auto* form = new QFormLayout;
  lblAddrCount = new QLabel(QStringLiteral("0"), this);
  lblAddrCount->setObjectName(QStringLiteral("lblAddrCount"));
  lblDateCount = new QLabel(QStringLiteral("0"), this);
  lblDateCount->setObjectName(QStringLiteral("lblDateCount"));
  for (QLabel* l : {lblAddrCount, lblDateCount}) {
    const QColor blue = ReadableOn(QColor(0, 0, 255), l->palette().color(QPalette::Window));
    l->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(blue.name()));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  form->addRow(tr("Number of Contact Records Migrated:"), lblAddrCount);
  form->addRow(tr("Number of Calendar Records Migrated:"), lblDateCount);
  layout->addLayout(form);
  layout->addSpacing(24);
  btnLog = new QPushButton(tr("View Migration &Log"), this);
  btnLog->setObjectName(QStringLiteral("btnLog"));
  btnGoogle = new QPushButton(tr("Go to &Google Account"), this);
  btnGoogle->setObjectName(QStringLiteral("btnGoogle"));
  btnNew = new QPushButton(tr("Perform New &Migration"), this);
  btnNew->setObjectName(QStringLiteral("btnNew"));
  for (QPushButton* b : {btnLog, btnGoogle, btnNew}) {
    b->setMinimumWidth(220);
    auto* row = new QHBoxLayout;
    row->addWidget(b);
    row->addStretch(1);
    layout->addLayout(row);
  }
  layout->addStretch(1);

  connect(btnLog, &QPushButton::clicked, this, [this] {
    QString log = QString::fromStdString(ctx_.engine.MigrationLogPath());
    if (!QFileInfo::exists(log)) {
      ShowError(this, tr("The migration log \"%1\" does not exist.").arg(log),
                EngineHost::Icon::kInformation);
      return;
    }
    AppPrompt::Current().OpenUrl(QUrl::fromLocalFile(log));
  });
  connect(btnGoogle, &QPushButton::clicked, this, &TfmFinish::OpenAccount);
  connect(btnNew, &QPushButton::clicked, this, [this] {
    if (ctx_.restart) ctx_.restart();
  });
}

bool TfmFinish::UpdatePage(bool save) {
  if (save) return true;
  lblAddrCount->setText(QString::number(ctx_.engine.SelectedContacts().Count()));
  lblDateCount->setText(QString::number(ctx_.engine.SelectedEvents().Count()));
  return true;
}

std::string TfmFinish::LocalAccountFolder(const std::string& dataFolder, const std::string& email) {
  std::string folder = HelperSettings::LocalAccountFolder(dataFolder, email);
  if (!folder.empty()) folder.pop_back();  // the trailing '/'
  return folder;
}

void TfmFinish::OpenAccount() {
  // Where the helpers put the records: the local account's folder, the DAV server, or Google.
  const std::string email = ctx_.settings.GGEmail.str();
  AccountSettings account = HelperSettings::ForAccount(email);
  std::string local = account.backend == HelperSettings::kLocal
                          ? LocalAccountFolder(ctx_.dataFolder, email)
                          : std::string();
  if (!local.empty())
    AppPrompt::Current().OpenUrl(QUrl::fromLocalFile(QString::fromStdString(local)));
  else if (account.backend == HelperSettings::kDav && !account.Value("Url").empty())
    AppPrompt::Current().OpenUrl(QUrl(QString::fromStdString(account.Value("Url"))));
  else
    AppPrompt::Current().OpenUrl(QUrl(QString::fromLatin1(kWebMail)));
}
