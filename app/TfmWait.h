#pragma once

#include <QWidget>
#include <atomic>
#include <memory>

#include "app/WaitModel.h"

// The wait window: a frameless 480 x 150 box drawing the frames the wait thread hands over.
class TfmWait : public QWidget {
  Q_OBJECT
 public:
  explicit TfmWait(QWidget* owner);

  void ShowFrame(const WaitFrame& frame);
  // Centres on the owner's screen and shows; Close() hides and gives the owner the focus back.
  void Open();
  void Close();

  const WaitFrame& Frame() const { return frame_; }
  int PaintCount() const { return paints_; }

  // The painter the model's thread calls; it only posts to this widget, never waits.
  std::shared_ptr<CxWaitPainter> MakePainter();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget* owner_;
  WaitFrame frame_;
  int paints_ = 0;
};
