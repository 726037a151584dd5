#include "InplaceEdit.h"

#include "Application.h"
#include "GridGlyphs.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

// The button at the right end of an ellipsis or pick-list editor. (Named apart from the edit
// controls' TEditButton: two classes of one name in one program share one destructor.)
class TInplaceEditButton : public QWidget {
public:
  explicit TInplaceEditButton(TInplaceEdit *editor) : QWidget(editor), FEditor(editor) {
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    TCanvas canvas(painter, &palette());
    QRect face = rect();
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(face);
    Draw3DRect(canvas, face, FPressed);
    const QPixmap &glyph =
        GridGlyph(FEditor->EditStyle() == esPickList ? TGridGlyph::DropDown : TGridGlyph::Ellipsis);
    const int shift = FPressed ? 1 : 0;
    const QRect source = glyph.rect();
    painter.drawPixmap(face.left() + (face.width() - source.width()) / 2 + shift,
                       face.top() + (face.height() - source.height()) / 2 + shift, glyph);
  }
  void mousePressEvent(QMouseEvent *) override {
    FPressed = true;
    update();
    if (FEditor->EditStyle() == esPickList)
      Guarded(FEditor->Grid(),
              [&] { FEditor->ListVisible() ? FEditor->CloseUp(false) : FEditor->DropDown(); });
  }
  void mouseReleaseEvent(QMouseEvent *event) override {
    const bool wasPressed = FPressed;
    FPressed = false;
    update();
    if (wasPressed && rect().contains(event->position().toPoint()) && FEditor->EditStyle() == esEllipsis)
      Guarded(FEditor->Grid(), [&] { FEditor->ButtonClick(); });
  }

private:
  TInplaceEdit *FEditor;
  bool FPressed = false;
};

TInplaceEdit::TInplaceEdit(TCustomGrid *grid) : QLineEdit(grid->viewport()), FGrid(grid) {
  setFrame(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  setDragEnabled(false);
  setAcceptDrops(false);
  hide();
  FButton = new TInplaceEditButton(this);
  FButton->hide();
  connect(this, &QLineEdit::textEdited, this, [this] { Changed(); });
}

TInplaceEdit::~TInplaceEdit() = default;

void TInplaceEdit::UpdateContents() {
  CloseUp(false);
  FLoading = true;
  const int col = FGrid->Col();
  const int row = FGrid->Row();
  FEditStyle = FGrid->GetEditStyle(col, row);
  FPickItems = FEditStyle == esPickList ? FGrid->GetPickList(col, row) : QStringList();
  FDropDownRows = FGrid->GetDropDownRows(col, row);
  const int limit = FGrid->GetEditLimit();
  setMaxLength(limit > 0 ? limit : 32767);
  setText(FGrid->GetEditText(col, row));
  selectAll();
  FLoading = false;
  FButton->setVisible(FEditStyle != esSimple);
  PlaceButton();
}

void TInplaceEdit::PlaceButton() {
  const int width =
      FEditStyle == esSimple ? 0 : std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 17);
  FButton->setGeometry(QRect(this->width() - width, 0, width, height()));
  setTextMargins(2, 0, width, 0);
}

void TInplaceEdit::Move(const QRect &rect) {
  setGeometry(rect);
  PlaceButton();
  show();
  raise();
}

void TInplaceEdit::Hide() {
  CloseUp(false);
  hide();
}

void TInplaceEdit::resizeEvent(QResizeEvent *event) {
  QLineEdit::resizeEvent(event);
  PlaceButton();
}

void TInplaceEdit::Changed() {
  if (!FLoading)
    FGrid->UpdateText();
}

void TInplaceEdit::TypeChar(QChar ch) {
  if (!FGrid->CanEditAcceptKey(ch) || !FGrid->CanEditModify())
    return;
  insert(QString(ch));
  Changed();
}

bool TInplaceEdit::OwnsWidget(const QWidget *widget) const {
  return widget == this || isAncestorOf(widget) ||
         (FList && (widget == FList || FList->isAncestorOf(widget)));
}

// --- keys ---

bool TInplaceEdit::HandToGrid(int key, TShiftState shift) const {
  switch (key) {
  case Qt::Key_Up:
  case Qt::Key_Down:
  case Qt::Key_PageUp:
  case Qt::Key_PageDown:
  case Qt::Key_Escape: return !((shift & ssAlt) && FEditStyle == esPickList);
  case Qt::Key_Insert: return !(shift & (ssShift | ssCtrl));
  case Qt::Key_Left:
  case Qt::Key_Home: return (shift & ssCtrl) || (cursorPosition() == 0 && !hasSelectedText());
  case Qt::Key_Right:
  case Qt::Key_End: return (shift & ssCtrl) || (cursorPosition() == text().size() && !hasSelectedText());
  case Qt::Key_Tab:
  case Qt::Key_Backtab: return !(shift & ssAlt);
  case Qt::Key_Delete: return bool(shift & ssCtrl);
  default: return false;
  }
}

// Keys that change the text: typing, deleting, pasting, cutting, undoing.
bool TInplaceEdit::EditKey(QKeyEvent *event) const {
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
    return true;
  switch (event->key()) {
  case Qt::Key_Backspace:
  case Qt::Key_Delete: return true;
  default: break;
  }
  const QString text = event->text();
  return !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier);
}

void TInplaceEdit::keyPressEvent(QKeyEvent *event) {
  event->accept();
  Guarded(FGrid, [&] {
    int key = event->key();
    const TShiftState shift = ShiftStateOf(event->modifiers());
    if (FEditStyle == esPickList && (shift & ssAlt) && (key == Qt::Key_Down || key == Qt::Key_Up)) {
      ListVisible() ? CloseUp(true) : DropDown();
      return;
    }
    if (FEditStyle == esEllipsis && (shift & ssCtrl) && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      ButtonClick();
      return;
    }
    if (HandToGrid(key, shift)) {
      FGrid->KeyDown(key, shift);
      if (key == 0)
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && (text.at(0).isPrint() || text.at(0) == QChar('\r'))) {
      QChar ch = text.at(0);
      FGrid->KeyPress(ch);
      if (ch.isNull() || ch == QChar('\r'))
        return;
      if (!FGrid->CanEditAcceptKey(ch))
        return;
    }
    if (EditKey(event) && !FGrid->CanEditModify())
      return;
    QLineEdit::keyPressEvent(event);
  });
}

bool TInplaceEdit::focusNextPrevChild(bool next) {
  if (FGrid->Options() & goTabs)
    return false;
  return QLineEdit::focusNextPrevChild(next);
}

void TInplaceEdit::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  FGrid->FocusWithinChanged();
}

void TInplaceEdit::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  FGrid->FocusWithinChanged();
}

// --- button and pick list ---

void TInplaceEdit::ButtonClick() { FGrid->EditButtonClick(); }

bool TInplaceEdit::ListVisible() const { return FList && FList->isVisible(); }

void TInplaceEdit::DropDown() {
  if (FEditStyle != esPickList || ListVisible())
    return;
  if (!FList) {
    FList = new QListWidget(this);
    FList->setWindowFlags(Qt::Popup);
    FList->setFocusPolicy(Qt::NoFocus);
    FList->installEventFilter(this);
    FList->viewport()->installEventFilter(this);
    connect(FList, &QListWidget::itemClicked, this, [this] { Guarded(FGrid, [&] { CloseUp(true); }); });
  }
  FList->clear();
  FList->addItems(FPickItems);
  FList->setFont(font());
  const QList<QListWidgetItem *> current = FList->findItems(text(), Qt::MatchFixedString);
  FList->setCurrentRow(current.isEmpty() ? -1 : FList->row(current.first()));
  const int rows = std::max(1, std::min<int>(FDropDownRows, int(FPickItems.size())));
  const int rowHeight = FList->sizeHintForRow(0) > 0 ? FList->sizeHintForRow(0) : fontMetrics().height();
  FList->resize(width(), rows * rowHeight + 2 * FList->frameWidth());
  FList->move(mapToGlobal(QPoint(0, height())));
  FList->show();
}

void TInplaceEdit::CloseUp(bool accept) {
  if (!ListVisible())
    return;
  QListWidgetItem *item = FList->currentItem();
  FList->hide();
  if (!accept || !item || item->text() == text())
    return;
  if (!FGrid->CanEditModify())
    return;
  setText(item->text());
  selectAll();
  Changed();
}

bool TInplaceEdit::eventFilter(QObject *watched, QEvent *event) {
  if (FList && (watched == FList || watched == FList->viewport()) && event->type() == QEvent::KeyPress) {
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    switch (keyEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: Guarded(FGrid, [&] { CloseUp(true); }); return true;
    case Qt::Key_Escape: CloseUp(false); return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (keyEvent->modifiers() & Qt::AltModifier) {
        Guarded(FGrid, [&] { CloseUp(true); });
        return true;
      }
      return false;
    default: return false;
    }
  }
  return QLineEdit::eventFilter(watched, event);
}
