#include "ExCellHint.h"

#include "Graphics.h"

#include <QFontMetrics>
#include <QLabel>

namespace {

constexpr int Margin = 2;

} // namespace

TExCellHint::TExCellHint(QWidget *owner) : FWindow(new QLabel(owner, Qt::ToolTip)) {
  QPalette palette = FWindow->palette();
  palette.setColor(QPalette::Window, ColorToQColor(clInfoBk));
  palette.setColor(QPalette::WindowText, ColorToQColor(clInfoText));
  FWindow->setPalette(palette);
  FWindow->setAutoFillBackground(true);
  FWindow->setMargin(Margin);
  FWindow->hide();
}

TExCellHint::~TExCellHint() = default;

QRect TExCellHint::Placement(QSize hint, QPoint cellTopLeft, const QRect &screen) {
  QPoint pos = cellTopLeft - QPoint(1, 1);
  pos.rx() -= std::max(0, pos.x() + hint.width() - screen.right() - 1);
  pos.ry() -= std::max(0, pos.y() + hint.height() - screen.bottom() - 1);
  return QRect(pos, hint);
}

void TExCellHint::Show(const QString &text, const QFont &font, QPoint cellTopLeft, const QRect &screen) {
  // At most half the screen wide; a longer text wraps onto more lines.
  const int maxWidth = std::max(1, screen.width() / 2 - 2 * Margin - 2);
  const QRect bound = QFontMetrics(font).boundingRect(QRect(0, 0, maxWidth, 100000),
                                                      Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
  const QSize size(bound.width() + 2 * Margin + 2, bound.height() + 2 * Margin);
  const QRect place = Placement(size, cellTopLeft, screen);
  if (FWindow->isVisible() && FWindow->text() == text && FWindow->geometry() == place)
    return;
  FWindow->setFont(font);
  FWindow->setWordWrap(bound.width() >= maxWidth);
  FWindow->setText(text);
  FWindow->setGeometry(place);
  FWindow->show();
}

void TExCellHint::Hide() { FWindow->hide(); }

bool TExCellHint::Visible() const { return FWindow->isVisible(); }
