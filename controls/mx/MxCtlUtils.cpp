#include "MxCtlUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

void CopyParentImage(QWidget *control, QPainter &painter) {
  QWidget *parent = control ? control->parentWidget() : nullptr;
  if (!parent)
    return;
  const QRect area = control->geometry() & parent->rect();
  if (area.isEmpty())
    return;
  painter.save();
  painter.setClipRect(QRect(QPoint(0, 0), control->size()));
  parent->render(&painter, area.topLeft() - control->pos(), QRegion(area), QWidget::DrawWindowBackground);
  for (QObject *child : parent->children()) {
    if (child == control)
      break;
    auto *sibling = qobject_cast<QWidget *>(child);
    if (!sibling || !sibling->isVisible() || sibling->isWindow() ||
        !sibling->geometry().intersects(control->geometry()))
      continue;
    sibling->render(&painter, sibling->pos() - control->pos(), QRegion(), QWidget::DrawChildren);
  }
  painter.restore();
}

QImage MaskedImage(const QImage &image, TColor transparentColor) {
  QImage result = image.convertToFormat(QImage::Format_ARGB32);
  if (transparentColor == clNone)
    return result;
  const QRgb key = ColorToQColor(transparentColor).rgb() & 0xFFFFFF;
  for (int y = 0; y < result.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
    for (int x = 0; x < result.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key)
        line[x] = 0;
  }
  return result;
}

void DrawBitmapRectTransparent(TCanvas &canvas, const QRect &dest, const QImage &bitmap, const QRect &src,
                               TColor transparentColor) {
  if (bitmap.isNull())
    return;
  TColor key = transparentColor;
  if (bitmap.depth() == 1 && transparentColor != clNone)
    key = clWhite;
  else if (transparentColor == clDefault)
    key = QColorToColor(bitmap.pixelColor(0, bitmap.height() - 1));
  canvas.Painter().drawImage(dest, key == clNone ? bitmap : MaskedImage(bitmap, key), src);
}

void DrawBitmapTransparent(TCanvas &canvas, int x, int y, const QImage &bitmap, TColor transparentColor) {
  DrawBitmapRectTransparent(canvas, QRect(QPoint(x, y), bitmap.size()), bitmap, bitmap.rect(),
                            transparentColor);
}

QImage CreateDisabledBitmapEx(const QImage &bitmap, TColor outlineColor, TColor backColor,
                              TColor highlightColor, TColor shadowColor, bool drawHighlight) {
  QImage result(bitmap.size(), QImage::Format_RGB32);
  result.fill(ColorToQColor(backColor));
  const QRgb outline = ColorToQColor(outlineColor).rgb() & 0xFFFFFF;
  const QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
  const QRgb highlight = ColorToQColor(highlightColor).rgb();
  const QRgb shadow = ColorToQColor(shadowColor).rgb();
  const auto pass = [&](int shift, QRgb color) {
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x)
        if ((source.pixel(x, y) & 0xFFFFFF) == outline && result.valid(x + shift, y + shift))
          result.setPixel(x + shift, y + shift, color);
  };
  if (drawHighlight)
    pass(1, highlight);
  pass(0, shadow);
  return result;
}

QImage CreateDisabledBitmap(const QImage &bitmap, TColor outlineColor) {
  return CreateDisabledBitmapEx(bitmap, outlineColor, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void Beep() { QApplication::beep(); }

QString ShortenString(const QString &text, const QFontMetrics &metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width)
    return text;
  const QString ellipsis = QStringLiteral("...");
  for (qsizetype keep = text.size() - 2; keep > 0; --keep) {
    const QString candidate = text.left(keep) + ellipsis;
    if (metrics.horizontalAdvance(candidate) <= width)
      return candidate;
  }
  return ellipsis;
}

QString ShortenString(const QString &text, const TCanvas &canvas, int width) {
  return ShortenString(text, QFontMetrics(canvas.Font.ToQFont()), width);
}

QStringList ParseCommandLine(const QString &commandLine) {
  QStringList tokens;
  const auto blank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; };
  const auto end = [&](qsizetype i) { return i >= commandLine.size() || commandLine[i].unicode() == 0; };
  qsizetype i = 0;
  for (;;) {
    for (;;) {
      while (!end(i) && blank(commandLine[i]))
        ++i;
      if (!end(i + 1) && commandLine[i] == u'"' && commandLine[i + 1] == u'"')
        i += 2;
      else
        break;
    }
    if (end(i))
      return tokens;
    QString token;
    while (!end(i) && !blank(commandLine[i])) {
      if (commandLine[i] == u'"') {
        ++i;
        while (!end(i) && commandLine[i] != u'"')
          token += commandLine[i++];
        if (!end(i))
          ++i;
      } else {
        token += commandLine[i++];
      }
    }
    tokens << token;
  }
}

int ParamCountFromCommandLine(const QString &commandLine) {
  return static_cast<int>(ParseCommandLine(commandLine).size()) - 1;
}

QString ParamStrFromCommandLine(const QString &commandLine, int index) {
  const QStringList tokens = ParseCommandLine(commandLine);
  return index >= 0 && index < tokens.size() ? tokens[index] : QString();
}

void SplitCommandLine(const QString &commandLine, QString &programName, QString &params) {
  const QStringList tokens = ParseCommandLine(commandLine);
  programName = tokens.value(0);
  QStringList rest;
  for (qsizetype i = 1; i < tokens.size(); ++i)
    rest << (tokens[i].contains(u' ') ? u'"' + tokens[i] + u'"' : tokens[i]);
  params = rest.join(u' ');
}

void DrawCellText(TCanvas &canvas, const QRect &rect, int dx, int dy, TAlignment alignment,
                  const QString &text, bool wordWrap, bool rightToLeft) {
  if (!wordWrap && !text.contains(u'\r')) {
    int left = rect.left() + dx;
    if (alignment == taRightJustify)
      left = rect.left() + rect.width() - canvas.TextWidth(text) - 3;
    else if (alignment == taCenter)
      left = rect.left() + rect.width() / 2 - canvas.TextWidth(text) / 2;
    canvas.TextRect(rect, left, rect.top() + dy, text);
    return;
  }
  if (rightToLeft && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  canvas.FillRect(rect);
  TTextFormat format = alignment == taRightJustify ? tfRight : alignment == taCenter ? tfCenter : tfLeft;
  if (wordWrap)
    format |= tfWordBreak;
  const QRect textArea = rect.adjusted(dx, dy, -dx, 0);
  canvas.Painter().save();
  if (rightToLeft)
    canvas.Painter().setLayoutDirection(Qt::RightToLeft);
  QString shown = text;
  shown.remove(u'\r');
  canvas.TextRect(textArea, shown, format);
  canvas.Painter().restore();
}

void DrawCellTextEx(TCanvas &canvas, const QRect &rect, int dx, TAlignment alignment,
                    TVertAlignment vertAlignment, const QString &text, bool wordWrap, bool rightToLeft) {
  const int free = rect.height() - canvas.TextHeight(QStringLiteral("W"));
  const int dy = vertAlignment == vaCenter          ? std::max(1, free / 2)
                 : vertAlignment == vaBottomJustify ? std::max(2, free)
                                                    : 2;
  DrawCellText(canvas, rect, dx, dy, alignment, text, wordWrap, rightToLeft);
}

bool IsForegroundTask() { return QApplication::activeWindow() != nullptr; }
