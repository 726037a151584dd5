#include "CancelWindow.h"

#include "Application.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

// Dialog units of the window's font: 4 per average character width, 8 per line height. The
// average is taken over the 52 letters, as the platform measures its dialog base units.
struct TDialogUnits {
  explicit TDialogUnits(const QFontMetrics &metrics)
      : bx((metrics.horizontalAdvance(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                26 +
            1) /
           2),
        by(metrics.height()) {}
  int bx, by;
  int X(int units) const { return units * bx / 4; }
  int Y(int units) const { return units * by / 8; }
};

} // namespace

TCancelWindow::TCancelWindow(const QString &caption, const QString &text, bool progress)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  // The working code pumps this window's events only; input elsewhere waits until it is done.
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(caption);

  const TDialogUnits du(fontMetrics());
  const int W = progress ? du.X(140) : du.X(100);
  const int H = progress ? du.Y(70) : du.Y(50);
  const int CY = style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int FX = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const int FY = FX;
  const int SB = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int bw = du.X(28), bh = du.Y(10);
  const int E = progress ? SB + 2 * FY : 0;

  Anuluj = new QPushButton(QStringLiteral("Anuluj"), this);
  Anuluj->setObjectName(QStringLiteral("Anuluj"));
  Anuluj->setGeometry((W - bw) / 2, H - CY - 3 * FY - bh, bw, bh);
  connect(Anuluj, &QPushButton::clicked, this, &QWidget::close);

  StatusLine = new QLabel(text, this);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  StatusLine->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  StatusLine->setWordWrap(true);
  StatusLine->setGeometry(FX, FY, W - 4 * FX, H - CY - 5 * FY - bh - E);

  if (progress) {
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    Progress->setGeometry(FX, H - CY - 5 * FY - bh - SB, W - 4 * FX, SB);
  }

  // The outer size holds the caption and the frame; the client is what is left.
  setFixedSize(W - 2 * FX, H - CY - 2 * FY);
  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    const QSize area = screen->size();
    move((area.width() - W) / 2, (area.height() - H) / 2);
  }
}

void TCancelWindow::SetStatus(const QString &text) { StatusLine->setText(text); }

QString TCancelWindow::Status() const { return StatusLine->text(); }

void TCancelWindow::closeEvent(QCloseEvent *event) {
  QWidget::closeEvent(event);
  if (OnClosed)
    Guarded(this, OnClosed);
}
