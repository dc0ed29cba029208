#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/TfmPage.h"

class Banner;
class QPushButton;
class QStackedWidget;
class QtEngineHost;
class TfmSource;
class TfmGGOption;
class TfmOLOption;
class TfmACTOption;
class TfmLNOption1;
class TfmLNOption2;
class TfmPDOption;
class TfmOLData;
class TfmACTData;
class TfmLNData;
class TfmPDData;
class TfmGGData;
class TfmProc;
class TfmFinish;

// The wizard window: the banner, the page frame and the button row, walking the page sequence
// of the chosen source.
class TfmMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 794;
  static constexpr int kClientHeight = 594;

  TfmMain(AppSettings& settings, AppEngine& engine, QtEngineHost& host, std::string dataFolder);
  ~TfmMain() override;

  void ShowCurrentPage();
  void GoNext();
  void GoPrev();
  void RestartWizard();

  int PageIndex() const { return pageIndex_; }
  int PageCount() const { return pageCount_; }
  // The page the sequence shows at an index for the current source.
  TfmPage* PageAt(int index) const;
  TfmPage* CurrentPage() const { return PageAt(pageIndex_); }

  Banner* pTop;
  QWidget* pClient;
  QPushButton* btnHelp;
  QPushButton* btnPrev;
  QPushButton* btnNext;
  QPushButton* btnClose;
  QPushButton* btnOption;

  TfmSource* fmSource;
  TfmGGOption* fmGGOption;
  TfmOLOption* fmOLOption;
  TfmACTOption* fmACTOption;
  TfmLNOption1* fmLNOption1;
  TfmLNOption2* fmLNOption2;
  TfmPDOption* fmPDOption;
  TfmOLData* fmOLData;
  TfmACTData* fmACTData;
  TfmLNData* fmLNData;
  TfmPDData* fmPDData;
  TfmGGData* fmGGData;
  TfmProc* fmProc;
  TfmFinish* fmFinish;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Busy(bool busy);

  WizardContext ctx_;
  int pageIndex_ = 0;
  int pageCount_ = 5;
  std::vector<TfmPage*> pages_;
};
