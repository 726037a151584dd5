#pragma once

#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <vector>

class QGridLayout;
class QRadioButton;

// A group box of radio buttons made from a list of captions. ItemIndex -1 means no item is set;
// the items fill Columns columns top to bottom; OnClick fires whenever ItemIndex changes, whether
// the person picks an item or the code sets it.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
public:
  explicit TRadioGroup(QWidget *parent = nullptr, const QString &caption = QString());

  QStringList Items() const { return FItems; }
  // Rebuilds the buttons; ItemIndex stays when it still names an item, else it becomes -1.
  void SetItems(const QStringList &items);
  int ItemIndex() const { return FItemIndex; }
  // Below -1 gives -1, past the last item the last item; no change, no OnClick.
  void SetItemIndex(int value);
  int Columns() const { return FColumns; }
  // 1 to 16 columns.
  void SetColumns(int value);
  // The button of one item, for the keyboard and the mouse.
  QRadioButton *Buttons(int index) const { return FButtons.at(static_cast<size_t>(index)); }
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }

  std::function<void(QObject *Sender)> OnClick;

private:
  void ArrangeButtons();
  void ShowItemIndex();
  void ButtonClicked(int index);

  QStringList FItems;
  std::vector<QRadioButton *> FButtons;
  QGridLayout *FLayout;
  int FItemIndex = -1;
  int FColumns = 1;
};
