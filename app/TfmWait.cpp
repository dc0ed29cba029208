#include "app/TfmWait.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

class QtWaitPainter : public CxWaitPainter {
 public:
  explicit QtWaitPainter(TfmWait* window) : window_(window) {}
  bool Open() override {
    QMetaObject::invokeMethod(
        window_, [w = window_] { w->Open(); }, Qt::QueuedConnection);
    return true;
  }
  int ClientWidth() const override { return CxCommWaitWindow::kWindowWidth; }
  void Paint(const WaitFrame& frame) override {
    QMetaObject::invokeMethod(
        window_, [w = window_, frame] { w->ShowFrame(frame); }, Qt::QueuedConnection);
  }
  void Close() override {
    QMetaObject::invokeMethod(
        window_, [w = window_] { w->Close(); }, Qt::QueuedConnection);
  }

 private:
  TfmWait* window_;
};

QRect ToRect(const WaitRect& r) {
  return {r.x, r.y, r.width, r.height};
}

QColor FromRgb(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

TfmWait::TfmWait(QWidget* owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {
  setObjectName(QStringLiteral("CommWaitWindow"));
  setFixedSize(CxCommWaitWindow::kWindowWidth, CxCommWaitWindow::kWindowHeight);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  repaint_.setInterval(kRepaintMs);
  repaint_.setTimerType(Qt::PreciseTimer);
  connect(&repaint_, &QTimer::timeout, this, &TfmWait::Refresh);
}

void TfmWait::Refresh() {
  if (auto model = CurrentWaitWindow()) frame_ = model->Frame(width());
  update();
}

void TfmWait::showEvent(QShowEvent* event) {
  repaint_.start();
  QWidget::showEvent(event);
}

void TfmWait::hideEvent(QHideEvent* event) {
  repaint_.stop();
  QWidget::hideEvent(event);
}

void TfmWait::ShowFrame(const WaitFrame& frame) {
  frame_ = frame;
  update();
}

void TfmWait::Open() {
  QScreen* screen =
      owner_ && owner_->screen() ? owner_->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  show();
  raise();
}

void TfmWait::Close() {
  hide();
  if (owner_) {
    owner_->raise();
    owner_->activateWindow();
  }
}

std::shared_ptr<CxWaitPainter> TfmWait::MakePainter() {
  return std::make_shared<QtWaitPainter>(this);
}

void TfmWait::paintEvent(QPaintEvent*) {
  ++paints_;
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setPen(QColor(0xB0, 0xB8, 0xC0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));

  QFont bold(font());
  bold.setFamilies({QString::fromLatin1(CxCommWaitWindow::kFontFamily), font().family()});
  bold.setPixelSize(CxCommWaitWindow::kFontPixelHeight + 1);
  bold.setWeight(QFont::Bold);
  QFont normal(bold);
  normal.setWeight(QFont::Normal);

  p.setPen(Qt::black);
  p.setFont(bold);
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
  QRect status = ToRect(frame_.statusRect);
  p.drawText(status, flags,
             p.fontMetrics().elidedText(QString::fromStdString(frame_.statusText), Qt::ElideRight,
                                        status.width()));
  p.drawText(ToRect(frame_.elapsedLabelRect), flags, QString::fromStdString(frame_.elapsedLabel));
  p.setFont(normal);
  p.drawText(ToRect(frame_.elapsedTextRect), flags, QString::fromStdString(frame_.elapsedText));

  QColor block = FromRgb(CxCommWaitWindow::kBlockColor);
  for (const WaitRect& b : frame_.blocks) p.fillRect(ToRect(b), block);
}
