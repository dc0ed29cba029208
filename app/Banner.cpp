#include "app/Banner.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

Banner::Banner(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pTop"));
  setMinimumHeight(72);
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
  setToolTip(tr("Open the Quillmove home page"));
  setAccessibleName(tr("Quillmove for Google home page"));
}

QSize Banner::sizeHint() const {
  return {794, 72};
}

QRect Banner::TextRect() const {
  return {72, 8, 320, height() - 16};
}

void Banner::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QColor accent = palette().color(QPalette::Highlight);
  QLinearGradient g(0, 0, width(), 0);
  g.setColorAt(0, accent.darker(130));
  g.setColorAt(1, accent.lighter(115));
  p.fillRect(rect(), g);

  // imgApp: an address card.
  QRectF card(20, 16, 34, 40);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 235));
  p.drawRoundedRect(card, 5, 5);
  p.setBrush(accent.darker(130));
  for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(26, 25 + 9 * i, 22 - 5 * (i % 2), 4), 2, 2);

  // imgText: the product name.
  QFont title(font());
  title.setPixelSize(24);
  title.setWeight(QFont::DemiBold);
  p.setPen(Qt::white);
  p.setFont(title);
  QRect text = TextRect();
  p.drawText(text.adjusted(0, 0, 0, -text.height() / 3), Qt::AlignLeft | Qt::AlignBottom,
             QStringLiteral("Quillmove"));
  QFont sub(font());
  sub.setPixelSize(13);
  p.setFont(sub);
  p.drawText(text.adjusted(2, text.height() * 2 / 3 - 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
             tr("for Google — contacts and calendar"));

  // imgArrow: from the old organiser towards the account.
  QPainterPath arrow;
  const qreal x = width() - 260, y = height() / 2.0;
  arrow.moveTo(x, y - 6);
  arrow.lineTo(x + 40, y - 6);
  arrow.lineTo(x + 40, y - 16);
  arrow.lineTo(x + 62, y);
  arrow.lineTo(x + 40, y + 16);
  arrow.lineTo(x + 40, y + 6);
  arrow.lineTo(x, y + 6);
  arrow.closeSubpath();
  p.setBrush(QColor(255, 210, 74));
  p.drawPath(arrow);

  if (hasFocus()) {
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(text.adjusted(-4, 0, 0, 0));
  }
}

void Banner::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && TextRect().contains(event->position().toPoint()))
    Q_EMIT TextClicked();
}

void Banner::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Space)
    Q_EMIT TextClicked();
  else
    QWidget::keyPressEvent(event);
}
