#include "app/TfmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "app/Banner.h"
#include "app/QtEngineHost.h"
#include "app/TfmACTOption.h"
#include "app/TfmData.h"
#include "app/TfmDebug.h"
#include "app/TfmFinish.h"
#include "app/TfmGGOption.h"
#include "app/TfmLNOption1.h"
#include "app/TfmLNOption2.h"
#include "app/TfmOLOption.h"
#include "app/TfmPDOption.h"
#include "app/TfmProc.h"
#include "app/TfmSource.h"
#include "misc/CxDebugUtil.h"

TfmMain::TfmMain(AppSettings& settings, AppEngine& engine, QtEngineHost& host,
                 std::string dataFolder)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      ctx_{settings, engine, host, std::move(dataFolder), {}, {}} {
  ctx_.setPageCount = [this](int count) { pageCount_ = count; };
  ctx_.restart = [this] { RestartWizard(); };
  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(tr("Quillmove for Google"));
  setWindowIcon(QIcon(QStringLiteral(":/quillmove/quillmove.svg")));
  setFixedSize(kClientWidth, kClientHeight);
  host.SetOwner(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  pTop = new Banner(this);
  pTop->setObjectName(QStringLiteral("pTop"));
  btnHelp = new QPushButton(tr("&Help"), pTop);
  btnHelp->setObjectName(QStringLiteral("btnHelp"));
  auto* topLayout = new QHBoxLayout(pTop);
  topLayout->addStretch(1);
  topLayout->addWidget(btnHelp, 0, Qt::AlignVCenter);
  topLayout->setContentsMargins(12, 0, 16, 0);
  layout->addWidget(pTop);

  pClient = new QWidget(this);
  pClient->setObjectName(QStringLiteral("pClient"));
  auto* clientLayout = new QVBoxLayout(pClient);
  clientLayout->setContentsMargins(24, 16, 24, 8);
  layout->addWidget(pClient, 1);

  auto* bottom = new QWidget(this);
  bottom->setObjectName(QStringLiteral("pBottom"));
  auto* bottomLayout = new QHBoxLayout(bottom);
  bottomLayout->setContentsMargins(16, 8, 16, 12);
  btnOption = new QPushButton(tr("&Options"), bottom);
  btnOption->setObjectName(QStringLiteral("btnOption"));
  btnPrev = new QPushButton(bottom);
  btnPrev->setObjectName(QStringLiteral("btnPrev"));
  btnNext = new QPushButton(bottom);
  btnNext->setObjectName(QStringLiteral("btnNext"));
  btnClose = new QPushButton(bottom);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  bottomLayout->addWidget(btnOption);
  bottomLayout->addStretch(1);
  bottomLayout->addWidget(btnPrev);
  bottomLayout->addWidget(btnNext);
  bottomLayout->addSpacing(12);
  bottomLayout->addWidget(btnClose);
  for (QPushButton* b : {btnPrev, btnNext, btnClose}) b->setMinimumWidth(96);
  btnNext->setDefault(true);
  layout->addWidget(bottom);

  connect(btnNext, &QPushButton::clicked, this, &TfmMain::GoNext);
  connect(btnPrev, &QPushButton::clicked, this, &TfmMain::GoPrev);
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  connect(btnOption, &QPushButton::clicked, this, [this] {
    TfmDebug debug(ctx_.settings, this);
    debug.exec();
  });
  connect(btnHelp, &QPushButton::clicked, this,
          [] { AppPrompt::Current().OpenUrl(QUrl(QString::fromLatin1(kHelpPage))); });
  connect(pTop, &Banner::TextClicked, this,
          [] { AppPrompt::Current().OpenUrl(QUrl(QString::fromLatin1(kHomePage))); });
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, btnHelp, &QPushButton::click);
  connect(&host, &QtEngineHost::BusyChanged, this, &TfmMain::Busy);

  // The pages, in the order they are made at start-up; the source page shows the stored choice
  // at once.
  auto add = [&](auto* page) {
    clientLayout->addWidget(page);
    page->hide();
    pages_.push_back(page);
    return page;
  };
  fmSource = add(new TfmSource(ctx_, pClient));
  fmSource->UpdatePage(false);
  fmACTOption = add(new TfmACTOption(ctx_, pClient));
  fmGGOption = add(new TfmGGOption(ctx_, pClient));
  fmLNOption1 = add(new TfmLNOption1(ctx_, pClient));
  fmLNOption2 = add(new TfmLNOption2(ctx_, pClient));
  fmLNOption2->showNotebookRow = false;
  fmOLOption = add(new TfmOLOption(ctx_, pClient));
  fmPDOption = add(new TfmPDOption(ctx_, pClient));
  fmGGData = add(new TfmGGData(ctx_, pClient));
  fmACTData = add(new TfmACTData(ctx_, pClient));
  fmLNData = add(new TfmLNData(ctx_, pClient));
  fmOLData = add(new TfmOLData(ctx_, pClient));
  fmPDData = add(new TfmPDData(ctx_, pClient));
  fmProc = add(new TfmProc(ctx_, pClient));
  fmFinish = add(new TfmFinish(ctx_, pClient));

  ShowCurrentPage();
}

TfmMain::~TfmMain() = default;

TfmPage* TfmMain::PageAt(int index) const {
  if (index <= 0) return fmSource;
  if (index >= pageCount_ - 1) return fmFinish;
  if (index == 1) return fmGGOption;
  switch (ctx_.settings.SourceApp) {
    case kAppACT:
      return index == 2 ? static_cast<TfmPage*>(fmACTOption) : fmACTData;
    case kAppPalmDesktop:
      return index == 2 ? static_cast<TfmPage*>(fmPDOption) : fmPDData;
    case kAppLotusNotes:
      return index == 2   ? static_cast<TfmPage*>(fmLNOption1)
             : index == 3 ? static_cast<TfmPage*>(fmLNOption2)
                          : fmLNData;
    default:
      return index == 2 ? static_cast<TfmPage*>(fmOLOption) : fmOLData;
  }
}

void TfmMain::ShowCurrentPage() {
  TfmPage* shown = CurrentPage();
  for (TfmPage* p : pages_)
    if (p != shown) p->hide();
  const bool last = pageIndex_ == pageCount_ - 1;
  if (pageIndex_ == 0) {
    btnPrev->setEnabled(false);
    btnPrev->setText(tr("< &Prev"));
    btnNext->setEnabled(true);
    btnNext->setText(tr("&Next >"));
  } else if (last) {
    btnPrev->setEnabled(true);
    btnPrev->setText(tr("&Restart"));
    btnNext->setEnabled(false);
  } else {
    btnPrev->setEnabled(true);
    btnPrev->setText(tr("< &Prev"));
    btnNext->setEnabled(true);
    btnNext->setText(tr("&Next >"));
  }
  btnClose->setText(last ? tr("&Finish") : tr("&Close"));
  shown->show();
  // The first field of the new page takes the keyboard, unless the page set it already.
  if (!shown->isAncestorOf(QApplication::focusWidget()) && !btnNext->hasFocus()) {
    shown->setFocus();
    if (QWidget* first = shown->nextInFocusChain(); first && shown->isAncestorOf(first))
      first->setFocus(Qt::TabFocusReason);
  }
}

void TfmMain::GoNext() {
  if (ctx_.host.Busy()) return;
  if (pageIndex_ == 0) {
    if (!fmSource->UpdatePage(true)) return;
    ++pageIndex_;
    ShowCurrentPage();
    fmGGOption->UpdatePage(false);
    return;
  }
  if (pageIndex_ >= pageCount_ - 1) return;
  if (!CurrentPage()->UpdatePage(true)) return;
  PageAt(pageIndex_ + 1)->UpdatePage(false);
  ++pageIndex_;
  ShowCurrentPage();
}

void TfmMain::GoPrev() {
  if (ctx_.host.Busy()) return;
  if (pageCount_ == pageIndex_ + 1) {
    RestartWizard();
  } else if (pageIndex_ > 0) {
    --pageIndex_;
    ShowCurrentPage();
  }
}

void TfmMain::RestartWizard() {
  pageIndex_ = 0;
  ShowCurrentPage();
}

void TfmMain::Busy(bool busy) {
  // While a driver runs the window keeps painting and answering, but starts nothing new.
  pClient->setEnabled(!busy);
  for (QPushButton* b : {btnPrev, btnNext, btnClose, btnOption}) b->setEnabled(!busy);
  if (!busy) ShowCurrentPage();
}

void TfmMain::closeEvent(QCloseEvent* event) {
  if (ctx_.host.Busy()) {
    QM_LOG_INFO("Close requested while the engine is working; ignored.");
    event->ignore();
    return;
  }
  event->accept();
}
