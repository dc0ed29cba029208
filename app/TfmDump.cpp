#include "app/TfmDump.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "app/Banner.h"

QUrl TfmDump::SupportMail() {
  QUrl url(QStringLiteral("mailto:") + QString::fromLatin1(kSupportAddress));
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"),
                     QStringLiteral("Quillmove for Google Error Report"));
  url.setQuery(query);
  return url;
}

TfmDump::TfmDump(AppSettings& settings, const QString& what, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("fmDump"));
  setWindowTitle(tr("Handle Quillmove Exception"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  AddDialogBanner(this, outer);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(12, 8, 12, 12);
  auto* sorry =
      new QLabel(tr("We're sorry that an unhandled exception occurred in Quillmove. "), this);
  sorry->setWordWrap(true);
  body->addWidget(sorry);
  if (!what.isEmpty()) {
    auto* detail = new QLabel(what, this);
    detail->setObjectName(QStringLiteral("lblWhat"));
    detail->setWordWrap(true);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->addWidget(detail);
  }
  auto* contact = new QHBoxLayout;
  contact->addWidget(new QLabel(tr("Please contact us at:"), this));
  lblSupport = new QLabel(this);
  lblSupport->setObjectName(QStringLiteral("lblSupport"));
  lblSupport->setText(
      QStringLiteral("<a href=\"%1\">%2</a>")
          .arg(SupportMail().toString(QUrl::FullyEncoded), QString::fromLatin1(kSupportAddress)));
  lblSupport->setTextInteractionFlags(Qt::TextBrowserInteraction);
  lblSupport->setOpenExternalLinks(false);
  connect(lblSupport, &QLabel::linkActivated, this,
          [] { AppPrompt::Current().OpenUrl(SupportMail()); });
  contact->addWidget(lblSupport);
  contact->addStretch(1);
  body->addLayout(contact);
  info = std::make_unique<DebugInfoBox>(
      this, tr("It is very appreciated if you can include the debug information in your error "
               "report."));
  body->addWidget(info->group);

  btnOK = new QPushButton(tr("&OK"), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  btnExit = new QPushButton(tr("&Quit Quillmove"), this);
  btnExit->setObjectName(QStringLiteral("btnExit"));
  btnDebug = new QPushButton(tr("&Debug Options"), this);
  btnDebug->setObjectName(QStringLiteral("btnDebug"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnDebug);
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnExit);
  body->addLayout(buttons);
  outer->addLayout(body);
  setMinimumWidth(520);

  connect(btnOK, &QPushButton::clicked, this, &TfmDump::accept);
  connect(btnExit, &QPushButton::clicked, this, [this] {
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    reject();
    // The normal way out, so that the settings are saved.
    if (main)
      QMetaObject::invokeMethod(main, &QWidget::close, Qt::QueuedConnection);
    else
      QMetaObject::invokeMethod(qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);
  });
  connect(btnDebug, &QPushButton::clicked, this, [this] {
    TfmDebug debug(settings_, parentWidget() ? parentWidget()->window() : this);
    debug.exec();
  });
}
