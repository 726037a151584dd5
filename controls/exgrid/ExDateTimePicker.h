#pragma once

#include "Controls.h"
#include "DateTimeUtils.h"
#include "Graphics.h"

#include <QDateTimeEdit>
#include <functional>

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };

// The date-time picker with a flat two-pixel frame in BorderColor; the grid gives it its edit
// colour as both colour and border so the in-place editor shows no 3D edge.
class TExDateTimePicker : public QDateTimeEdit {
public:
  explicit TExDateTimePicker(QWidget *parent = nullptr);

  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind value);
  TDTDateMode DateMode() const { return FDateMode; }
  void SetDateMode(TDTDateMode value);
  TDateTime DateTime() const { return QDateTimeToDateTime(dateTime()); }
  void SetDateTime(TDateTime value) { setDateTime(DateTimeToQDateTime(value)); }
  // No date: the picker shows nothing until a date is picked.
  void SetNull();
  bool IsNull() const { return dateTime() == minimumDateTime(); }

  // The width at which the widest text of the display format shows whole beside the drop-down button.
  int WholeTextWidth() const;

  // The Qt display format of a format of the program's settings (d, dd, m, mm, yy, yyyy, h, hh, n, nn,
  // s, ss; "/" and ":" the settings' separators).
  static QString DisplayFormat(const QString &format, QChar dateSeparator, QChar timeSeparator);

  std::function<void(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseDown;
  std::function<void(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;
  std::function<void(QObject *Sender, TShiftState Shift, int X, int Y)> OnMouseMove;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;

private:
  TColor FBorderColor = clWhite;
  TColor FColor = clWindow;
  TDateTimeKind FKind = dtkDate;
  TDTDateMode FDateMode = dmComboBox;
};
