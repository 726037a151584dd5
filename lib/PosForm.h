#pragma once

#include <QObject>
#include <QString>

class TForm;

// Dropped on a form: remembers the form's window state, position and size when it closes and puts
// them back when a form of that key is next shown for the first time, for the life of the process.
class TZUVPosForm : public QObject {
  Q_OBJECT
public:
  explicit TZUVPosForm(TForm *owner);

  bool SaveEnabled() const { return FSaveEnabled; }
  void SetSaveEnabled(bool value) { FSaveEnabled = value; }
  // The key of the entry; empty: the form's class name (of its Q_OBJECT class).
  const QString &ExtraName() const { return FExtraName; }
  void SetExtraName(const QString &value) { FExtraName = value; }
  bool ChangeSize() const { return FChangeSize; }
  void SetChangeSize(bool value) { FChangeSize = value; }

  void SavePositionSafe();
  void SavePosition();
  void RestorePosition();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QString Key() const;

  TForm *FForm;
  bool FLoaded = false;
  bool FSaveEnabled = true;
  QString FExtraName;
  bool FChangeSize = true;
};
