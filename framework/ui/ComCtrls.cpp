#include "ComCtrls.h"

#include "Application.h"
#include "ImgList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>

namespace {

constexpr int DefaultRowHeight = 16;
constexpr int DefaultIndent = 19;
constexpr int StateImageExtent = 16;
constexpr int LabelPadding = 2;
const QColor DefaultLinesColor(0x80, 0x80, 0x80);

// Lines of alternate pixels, as the control draws them; points on even sums keep joints aligned.
void DottedLine(QPainter &painter, QPoint from, QPoint to) {
  const bool vertical = from.x() == to.x();
  int a = vertical ? from.y() : from.x();
  const int b = vertical ? to.y() : to.x();
  if ((a + (vertical ? from.x() : from.y())) % 2 != 0)
    ++a;
  for (; a <= b; a += 2)
    painter.drawPoint(vertical ? QPoint(from.x(), a) : QPoint(a, from.y()));
}

void DrawExpandButton(QPainter &painter, QPoint centre, bool expanded, const QPalette &palette) {
  const QRect box(centre.x() - 4, centre.y() - 4, 9, 9);
  painter.fillRect(box, palette.color(QPalette::Base));
  painter.setPen(DefaultLinesColor);
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  painter.setPen(palette.color(QPalette::Text));
  painter.drawLine(centre.x() - 2, centre.y(), centre.x() + 2, centre.y());
  if (!expanded)
    painter.drawLine(centre.x(), centre.y() - 2, centre.x(), centre.y() + 2);
}

// Draws a check box or radio button of the widget's style centred in rect.
void DrawStateGlyph(QPainter &painter, const QRect &rect, TStateGlyph glyph, const QWidget *widget) {
  if (glyph == TStateGlyph::None)
    return;
  const bool radio = glyph == TStateGlyph::Radio || glyph == TStateGlyph::RadioChecked;
  QStyle *style = widget->style();
  const int width = style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth,
                                       nullptr, widget);
  const int height = style->pixelMetric(
      radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight, nullptr, widget);
  QStyleOptionButton option;
  option.initFrom(widget);
  option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
  const bool on = glyph == TStateGlyph::CheckBoxChecked || glyph == TStateGlyph::RadioChecked;
  option.state |= on ? QStyle::State_On : QStyle::State_Off;
  option.rect = QRect(rect.left() + (rect.width() - width) / 2, rect.top() + (rect.height() - height) / 2,
                      width, height);
  painter.save();
  style->drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &option,
                       &painter, widget);
  painter.restore();
}

} // namespace

// Draws every node through the tree, so that drawing and hit test share one layout.
class TTreeNodeDelegate : public QStyledItemDelegate {
public:
  explicit TTreeNodeDelegate(TTreeView *tree) : QStyledItemDelegate(tree), FTree(tree) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    if (TTreeNode *node = FTree->NodeOf(index))
      FTree->PaintNode(painter, option, node);
  }

  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    TTreeNode *node = FTree->NodeOf(index);
    if (!node)
      return QStyledItemDelegate::sizeHint(option, index);
    const TTreeNodeLayout layout = FTree->LayoutInCell(node, QRect(0, 0, 0, FTree->RowHeight()));
    return QSize(layout.Label.right() + 1, FTree->RowHeight());
  }

  void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const override {
    TTreeNode *node = FTree->NodeOf(index);
    if (!node)
      return QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    const QRect label = FTree->LayoutInCell(node, option.rect).Label;
    editor->setGeometry(
        QRect(label.left(), option.rect.top(), option.rect.right() - label.left() + 1, option.rect.height()));
  }

private:
  TTreeView *FTree;
};

TTreeView::TTreeView(QWidget *parent) : QTreeWidget(parent), FItems(std::make_unique<TTreeNodes>(this)) {
  // The control's sunken two-pixel edge.
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setColumnCount(1);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setItemDelegate(new TTreeNodeDelegate(this));
  setIndentation(DefaultIndent);
  setSelectionMode(SingleSelection);
  setAnimated(false);
  setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_Hover);
  UpdateEditTriggers();
  auto invalidate = [this] { FItems->Invalidate(); };
  connect(model(), &QAbstractItemModel::rowsInserted, this, invalidate);
  connect(model(), &QAbstractItemModel::rowsRemoved, this, invalidate);
  connect(model(), &QAbstractItemModel::rowsMoved, this, invalidate);
  connect(model(), &QAbstractItemModel::layoutChanged, this, invalidate);
  connect(model(), &QAbstractItemModel::modelReset, this, invalidate);
}

TTreeView::~TTreeView() {
  // Nodes go while the tree is whole, since they refer to its node collection.
  disconnect(model(), nullptr, this, nullptr);
  clear();
}

TTreeNode *TTreeView::CreateNode() { return new TTreeNode(FItems.get()); }

TTreeNode *TTreeView::NodeOf(const QModelIndex &index) const {
  return dynamic_cast<TTreeNode *>(itemFromIndex(index));
}

TTreeNode *TTreeView::Selected() const { return dynamic_cast<TTreeNode *>(currentItem()); }

void TTreeView::SetSelected(TTreeNode *node) {
  if (node) {
    setCurrentItem(node);
  } else {
    setCurrentItem(nullptr);
    clearSelection();
  }
}

void TTreeView::SetCheckboxes(bool value) {
  if (value == FCheckboxes)
    return;
  FCheckboxes = value;
  doItemsLayout();
}

void TTreeView::SetImages(TImageList *images) {
  FImages = images;
  doItemsLayout();
}

void TTreeView::SetStateImages(TImageList *images) {
  FStateImages = images;
  doItemsLayout();
}

void TTreeView::SetShowLines(bool value) {
  FShowLines = value;
  viewport()->update();
}

void TTreeView::SetShowButtons(bool value) {
  FShowButtons = value;
  viewport()->update();
}

void TTreeView::SetReadOnly(bool value) {
  FReadOnly = value;
  UpdateEditTriggers();
}

void TTreeView::SetHideSelection(bool value) {
  FHideSelection = value;
  viewport()->update();
}

void TTreeView::UpdateEditTriggers() {
  setEditTriggers(FReadOnly ? NoEditTriggers : EditTriggers(SelectedClicked | EditKeyPressed));
}

int TTreeView::RowHeight() const {
  return FRowHeight > 0 ? FRowHeight : std::max(DefaultRowHeight, fontMetrics().height() + 2);
}

void TTreeView::SetRowHeight(int height) {
  if (height == FRowHeight)
    return;
  FRowHeight = height;
  doItemsLayout();
}

void TTreeView::SetLinesColor(const QColor &color) {
  FLinesColor = color;
  viewport()->update();
}

QSize TTreeView::StateImageSize() const {
  return FStateImages ? QSize(FStateImages->Width(), FStateImages->Height())
                      : QSize(StateImageExtent, StateImageExtent);
}

bool TTreeView::HasStateImages() const { return FStateImages || FCheckboxes; }

TStateGlyph TTreeView::StateGlyph(int stateIndex) const {
  if (!FCheckboxes)
    return TStateGlyph::None;
  return stateIndex == 1   ? TStateGlyph::CheckBox
         : stateIndex == 2 ? TStateGlyph::CheckBoxChecked
                           : TStateGlyph::None;
}

void TTreeView::ToggleStateImage(TTreeNode *node) {
  if (node && (node->StateIndex() == 1 || node->StateIndex() == 2))
    node->SetStateIndex(3 - node->StateIndex());
}

TTreeNodeLayout TTreeView::LayoutInCell(const TTreeNode *node, const QRect &cell) const {
  TTreeNodeLayout layout;
  layout.Row = QRect(0, cell.top(), std::max(viewport()->width(), cell.right() + 1), cell.height());
  int x = cell.left();
  if (HasStateImages()) {
    const QSize size = StateImageSize();
    layout.State = QRect(x, cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height());
    x += size.width();
  }
  if (FImages) {
    layout.Image =
        QRect(x, cell.top() + (cell.height() - FImages->Height()) / 2, FImages->Width(), FImages->Height());
    x += FImages->Width() + 1;
  }
  QFont labelFont = font();
  labelFont.setBold(node->BoldState());
  const int textWidth = QFontMetrics(labelFont).horizontalAdvance(node->Text());
  layout.Label = QRect(x, cell.top(), textWidth + 2 * LabelPadding, cell.height());
  return layout;
}

TTreeNodeLayout TTreeView::NodeLayout(const TTreeNode *node) const {
  const QRect cell = visualItemRect(node);
  return cell.isValid() ? LayoutInCell(node, cell) : TTreeNodeLayout();
}

TTreeNode *TTreeView::GetNodeAt(int x, int y) const {
  if (!viewport()->rect().contains(x, y))
    return nullptr;
  // Any point of a row names its node, the indentation and the space right of the label included.
  const int left = columnViewportPosition(0);
  const int column = std::clamp(x, left, left + std::max(columnWidth(0), 1) - 1);
  return dynamic_cast<TTreeNode *>(itemAt(column, y));
}

THitTests TTreeView::GetHitTestInfoAt(int x, int y) const {
  THitTests result;
  const QRect client = viewport()->rect();
  if (y < client.top())
    result |= htAbove;
  else if (y > client.bottom())
    result |= htBelow;
  if (x < client.left())
    result |= htToLeft;
  else if (x > client.right())
    result |= htToRight;
  if (result)
    return result;
  TTreeNode *node = GetNodeAt(x, y);
  if (!node)
    return htNowhere;
  const TTreeNodeLayout layout = NodeLayout(node);
  const QRect cell = visualItemRect(node);
  if (x < cell.left()) {
    const bool hasButton = FShowButtons && node->HasChildren() && (rootIsDecorated() || node->Level() > 0);
    return hasButton && x >= cell.left() - indentation() ? THitTests(htOnButton) : THitTests(htOnIndent);
  }
  if (layout.State.isValid() && x <= layout.State.right())
    return htOnItem | htOnStateIcon;
  if (layout.Image.isValid() && x <= layout.Image.right())
    return htOnItem | htOnIcon;
  if (x <= layout.Label.right())
    return htOnItem | htOnLabel;
  return htOnRight;
}

void TTreeView::PaintNode(QPainter *painter, const QStyleOptionViewItem &option, TTreeNode *node) {
  const TTreeNodeLayout layout = LayoutInCell(node, option.rect);
  const bool selected = option.state & QStyle::State_Selected;
  const bool focused = hasFocus();
  TCustomDrawState state;
  if (selected)
    state |= cdsSelected;
  if (option.state & QStyle::State_HasFocus)
    state |= cdsFocused;
  if (option.state & QStyle::State_MouseOver)
    state |= cdsHot;
  if (!isEnabled())
    state |= cdsDisabled;

  painter->save();
  TCanvas canvas(*painter, &palette());
  canvas.Font.Assign(font());
  canvas.Font.SetColor(clWindowText);
  if (node->BoldState())
    canvas.Font.SetStyle(canvas.Font.Style() | fsBold);
  canvas.Brush.Color = clWindow;
  if (selected && (focused || !FHideSelection)) {
    canvas.Brush.Color = focused ? clHighlight : clBtnFace;
    canvas.Font.SetColor(focused ? clHighlightText : clWindowText);
  }
  bool defaultDraw = true;
  FCanvas = &canvas;
  Guarded(this, [&] { defaultDraw = CustomDrawItem(node, state); });
  FCanvas = nullptr;
  if (defaultDraw)
    DrawNodeParts(canvas, node, layout, selected);
  if (defaultDraw && (state & cdsFocused) && focused)
    canvas.DrawFocusRect(layout.Label);
  painter->restore();
}

void TTreeView::DrawNodeParts(TCanvas &canvas, TTreeNode *node, const TTreeNodeLayout &layout,
                              bool selected) {
  QPainter &painter = canvas.Painter();
  if (layout.State.isValid()) {
    if (FStateImages) {
      if (node->StateIndex() > 0)
        FStateImages->Draw(painter, layout.State.left(), layout.State.top(), node->StateIndex());
    } else {
      DrawStateGlyph(painter, layout.State, StateGlyph(node->StateIndex()), this);
    }
  }
  if (FImages)
    FImages->Draw(painter, layout.Image.left(), layout.Image.top(),
                  selected ? node->SelectedIndex() : node->ImageIndex());
  if (canvas.Brush.Style != bsClear)
    canvas.FillRect(layout.Label);
  canvas.TextRect(layout.Label.adjusted(LabelPadding, 0, 0, 0), node->Text(),
                  tfLeft | tfVerticalCenter | tfSingleLine | tfNoClip);
}

void TTreeView::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const {
  // The indentation never shows the selection, which belongs to the label alone.
  painter->fillRect(rect, palette().color(QPalette::Base));
  TTreeNode *node = NodeOf(index);
  if (!node)
    return;
  const int indent = indentation();
  const int columns = node->Level() + (rootIsDecorated() ? 1 : 0);
  if (columns == 0)
    return;
  const int left = rect.right() + 1 - columns * indent;
  const int middle = rect.top() + rect.height() / 2;
  const int own = columns - 1;
  painter->save();
  if (FShowLines) {
    painter->setPen(FLinesColor.isValid() ? FLinesColor : DefaultLinesColor);
    const TTreeNode *column = node;
    for (int c = own; c >= 0 && column; --c, column = column->Parent()) {
      const int x = left + c * indent + indent / 2;
      const bool below = column->getNextSibling() != nullptr;
      if (c == own) {
        const bool above = column->Parent() || column->getPrevSibling();
        DottedLine(*painter, QPoint(x, above ? rect.top() : middle),
                   QPoint(x, below ? rect.bottom() : middle));
        DottedLine(*painter, QPoint(x, middle), QPoint(left + columns * indent - 1, middle));
      } else if (below) {
        DottedLine(*painter, QPoint(x, rect.top()), QPoint(x, rect.bottom()));
      }
    }
  }
  if (FShowButtons && node->HasChildren())
    DrawExpandButton(*painter, QPoint(left + own * indent + indent / 2, middle), node->isExpanded(),
                     palette());
  painter->restore();
}

bool TTreeView::NotePress(QMouseEvent *event) {
  FPressedButton = event->button();
  FMousePos = event->position().toPoint();
  FPressedOnStateIcon = GetHitTestInfoAt(FMousePos.x(), FMousePos.y()).testFlag(htOnStateIcon);
  if (FPressedOnStateIcon)
    event->accept();
  return FPressedOnStateIcon;
}

void TTreeView::mousePressEvent(QMouseEvent *event) {
  // As in the control, pressing a state icon neither selects nor starts anything else.
  if (!NotePress(event))
    QTreeWidget::mousePressEvent(event);
}

void TTreeView::mouseReleaseEvent(QMouseEvent *event) {
  if (FPressedOnStateIcon)
    event->accept();
  else
    QTreeWidget::mouseReleaseEvent(event);
  FPressedOnStateIcon = false;
  FMousePos = event->position().toPoint();
  const Qt::MouseButton button = event->button();
  if (button == FPressedButton)
    Guarded(this, [&] { MouseClick(button); });
  FPressedButton = Qt::NoButton;
}

void TTreeView::mouseDoubleClickEvent(QMouseEvent *event) {
  // A second click on a check box is one more click, not a request to expand.
  if (!NotePress(event))
    QTreeWidget::mouseDoubleClickEvent(event);
}

void TTreeView::MouseClick(Qt::MouseButton button) {
  if (button != Qt::LeftButton)
    return;
  if (FCheckboxes && GetHitTestInfoAt(FMousePos.x(), FMousePos.y()).testFlag(htOnStateIcon))
    ToggleStateImage(GetNodeAt(FMousePos.x(), FMousePos.y()));
  Click();
}

void TTreeView::Click() {
  if (OnClick)
    OnClick(this);
}

void TTreeView::KeyDown(int &key, Qt::KeyboardModifiers shift) {
  if (OnKeyDown)
    OnKeyDown(this, key, shift);
}

Qt::KeyboardModifiers TTreeView::ShiftState(const QKeyEvent *event) {
  return event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

void TTreeView::keyPressEvent(QKeyEvent *event) {
  int key = event->key();
  const Qt::KeyboardModifiers shift = ShiftState(event);
  Guarded(this, [&] { KeyDown(key, shift); });
  if (key == 0) {
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
  if (key == Qt::Key_Space && !shift && FCheckboxes && state() != EditingState)
    Guarded(this, [&] { ToggleStateImage(Selected()); });
}

bool TTreeView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) {
  // Only a click on the label of the selected node starts editing, as in the control.
  if (trigger == SelectedClicked && event &&
      (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress)) {
    const QPoint point = static_cast<QMouseEvent *>(event)->position().toPoint();
    if (!GetHitTestInfoAt(point.x(), point.y()).testFlag(htOnLabel))
      return false;
  }
  return QTreeWidget::edit(index, trigger, event);
}

void TTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
  QTreeWidget::currentChanged(current, previous);
  Guarded(this, [&] { Change(NodeOf(current)); });
}

void TTreeView::Change(TTreeNode *node) {
  if (OnChange)
    OnChange(this, node);
}

bool TTreeView::CustomDrawItem(TTreeNode *node, TCustomDrawState state) {
  bool defaultDraw = true;
  if (OnCustomDrawItem)
    OnCustomDrawItem(this, node, state, defaultDraw);
  return defaultDraw;
}
