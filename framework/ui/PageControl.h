#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

class QStackedWidget;
class TPageControl;
class TPageControlTabs;

// One page of a page control: shown when its tab is chosen. A page whose TabVisible is off has no
// tab and is never shown.
class TTabSheet : public QWidget {
  Q_OBJECT
public:
  // The page joins the page control as its last page.
  explicit TTabSheet(TPageControl *pageControl, const QString &caption = QString());
  ~TTabSheet() override;

  TPageControl *PageControl() const { return FPageControl; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &value);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  // The position among all pages, and among the shown tabs (-1 when the tab is hidden).
  int PageIndex() const;
  int TabIndex() const;

private:
  friend class TPageControl;
  TPageControl *FPageControl;
  QString FCaption;
  bool FTabVisible = true;
};

// Pages with a tab each above them. With MultiLine the tabs wrap onto as many rows as the width
// needs; without it they stay on one row.
class TPageControl : public QWidget {
  Q_OBJECT
public:
  explicit TPageControl(QWidget *parent = nullptr);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet *Pages(int index) const { return FPages.at(static_cast<size_t>(index)); }
  TTabSheet *ActivePage() const { return FActivePage; }
  // A page with a hidden tab, or of another control, is not taken.
  void SetActivePage(TTabSheet *page);
  int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  void SetActivePageIndex(int index);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value);

  // The shown tabs as laid out at the present width: how many, on how many rows, where.
  int TabCount() const;
  int RowCount() const;
  TTabSheet *TabPage(int tabIndex) const;
  // In the page control's own coordinates; empty for an index outside the shown tabs.
  QRect TabRect(int tabIndex) const;
  int IndexOfTabAt(const QPoint &point) const;

  std::function<void(QObject *Sender)> OnChange;

private:
  friend class TTabSheet;
  friend class TPageControlTabs;
  void AddPage(TTabSheet *page);
  void RemovePage(TTabSheet *page);
  void TabsChanged();
  // The page whose tab is shown next after page (wrapping round), nullptr when no tab is shown.
  TTabSheet *NextShownPage(const TTabSheet *page) const;
  std::vector<TTabSheet *> ShownPages() const;
  void ShowActivePage();
  // A tab picked by the person: the page changes and OnChange fires.
  void TabPicked(TTabSheet *page);

  std::vector<TTabSheet *> FPages;
  TTabSheet *FActivePage = nullptr;
  bool FMultiLine = false;
  TPageControlTabs *FTabs;
  QStackedWidget *FStack;
};
