#pragma once

#include <QWidget>

// The product band across the top of the wizard and its dialogs, drawn in code so that it is
// sharp at every scale and follows the palette's highlight colour.
class Banner : public QWidget {
  Q_OBJECT
 public:
  explicit Banner(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 Q_SIGNALS:
  // The product name was clicked (or activated from the keyboard).
  void TextClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QRect TextRect() const;
};

// The product's web pages.
inline constexpr const char* kHomePage = "https://quillmove.example.org/";
inline constexpr const char* kHelpPage = "https://quillmove.example.org/help/";
inline constexpr const char* kSupportAddress = "support@quillmove.example.org";
