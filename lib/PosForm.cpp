#include "PosForm.h"

#include "Forms.h"
#include "StringList.h"

#include <QEvent>
#include <memory>

namespace {

// Key "=" state "," left "," top "," width "," height ","; kept only in memory.
std::unique_ptr<TStringList> gPositions;

int EntryOf(const QString &key) {
  // Names match exactly: a key must not take the entry of a longer one ("TForm" and "TForm1").
  return gPositions ? gPositions->IndexOfName(key) : -1;
}

// Reads the next number ended by ","; nothing left yields 0.
int NextNumber(QString &rest) {
  const qsizetype comma = rest.indexOf(u',');
  if (comma < 0) {
    rest.clear();
    return 0;
  }
  const int value = rest.left(comma).toInt();
  rest.remove(0, comma + 1);
  return value;
}

int StateNumber(Qt::WindowStates state) {
  if (state & Qt::WindowMaximized)
    return 2;
  if (state & Qt::WindowMinimized)
    return 1;
  return 0;
}

} // namespace

TZUVPosForm::TZUVPosForm(TForm *owner) : QObject(owner), FForm(owner) {
  // The form's own show and close handling runs after ours.
  FForm->installEventFilter(this);
}

QString TZUVPosForm::Key() const {
  return FExtraName.isEmpty() ? QString::fromLatin1(FForm->metaObject()->className()) : FExtraName;
}

bool TZUVPosForm::eventFilter(QObject *watched, QEvent *event) {
  // A form being destroyed is no longer a TForm; it hides without closing.
  if (watched != FForm || event->spontaneous() || !qobject_cast<TForm *>(watched))
    return QObject::eventFilter(watched, event);
  // The first show comes after the whole form is built, so the key is its final class and the
  // properties are set. A form closes by hiding, also when a modal result ends it.
  if (event->type() == QEvent::Show && !FLoaded) {
    FLoaded = true;
    RestorePosition();
  } else if (event->type() == QEvent::Hide) {
    SavePositionSafe();
  }
  return QObject::eventFilter(watched, event);
}

void TZUVPosForm::SavePositionSafe() {
  if (!FSaveEnabled || !FForm->testAttribute(Qt::WA_WState_Created))
    return;
  try {
    SavePosition();
  } catch (...) {
    // A position that cannot be kept must not stop the form from closing.
  }
}

void TZUVPosForm::SavePosition() {
  if (!gPositions) {
    gPositions = std::make_unique<TStringList>();
    gPositions->SetCaseSensitive(true);
    gPositions->SetSorted(true);
  }
  const QString key = Key();
  const QString line = QStringLiteral("%1=%2,%3,%4,%5,%6,")
                           .arg(key)
                           .arg(StateNumber(FForm->windowState()))
                           .arg(FForm->x())
                           .arg(FForm->y())
                           .arg(FForm->width())
                           .arg(FForm->height());
  const int index = EntryOf(key);
  if (index >= 0)
    gPositions->Delete(index);
  gPositions->Add(line);
}

void TZUVPosForm::RestorePosition() {
  if (!FSaveEnabled)
    return;
  const int index = EntryOf(Key());
  if (index < 0)
    return;
  QString rest = gPositions->ValueFromIndex(index);
  const int state = NextNumber(rest);
  if (state == 2) {
    FForm->setWindowState(Qt::WindowMaximized);
    return;
  }
  const int left = NextNumber(rest);
  const int top = NextNumber(rest);
  const int width = NextNumber(rest);
  const int height = NextNumber(rest);
  FForm->move(left, top);
  if (FChangeSize && FForm->BorderStyle() != bsDialog)
    FForm->resize(width, height);
}
