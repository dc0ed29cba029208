#pragma once

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

#include "app/WaitModel.h"

// The wait window: a frameless 480 x 150 box drawing the frames the wait thread hands over. While
// shown it also repaints from its own UI-thread timer with the model's latest frame, so that a
// late frame from the wait thread never leaves it unpainted for a whole tick.
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

  static constexpr int kRepaintMs = 50;

  // The painter the model's thread calls; it only posts to this widget, never waits.
  std::shared_ptr<CxWaitPainter> MakePainter();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Refresh();

  QTimer repaint_;
  QWidget* owner_;
  WaitFrame frame_;
  int paints_ = 0;
};
