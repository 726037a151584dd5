#include "PageControl.h"

#include "Application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QVBoxLayout>
#include <algorithm>

// The tabs of the shown pages, laid out row by row over the pages.
class TPageControlTabs : public QWidget {
public:
  explicit TPageControlTabs(TPageControl *owner) : QWidget(owner), FOwner(owner) {
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }

  // The rectangles of the shown tabs at this width, in tab order.
  std::vector<QRect> Layout(int width) const {
    std::vector<QRect> rects;
    int x = 0, row = 0;
    for (const TTabSheet *page : FOwner->ShownPages()) {
      const int w = TabWidth(page);
      if (FOwner->MultiLine() && x > 0 && x + w > width) {
        ++row;
        x = 0;
      }
      rects.emplace_back(x, row * TabHeight(), w, TabHeight());
      x += w;
    }
    return rects;
  }
  int Rows(int width) const {
    const std::vector<QRect> rects = Layout(width);
    return rects.empty() ? 0 : rects.back().bottom() / TabHeight() + 1;
  }
  int TabHeight() const {
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    const QSize contents(0, fontMetrics().height() +
                                style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this));
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this).height();
  }

  QSize sizeHint() const override {
    int width = 0;
    for (const TTabSheet *page : FOwner->ShownPages())
      width += TabWidth(page);
    return {width, height()};
  }
  QSize minimumSizeHint() const override { return {0, height()}; }
  // As tall as the rows at the present width; one row at least, so that the pages do not jump
  // while no tab is shown.
  void FitRows() { setFixedHeight(std::max(1, Rows(width())) * TabHeight()); }

protected:
  void paintEvent(QPaintEvent *) override {
    QStylePainter painter(this);
    const std::vector<TTabSheet *> pages = FOwner->ShownPages();
    const std::vector<QRect> rects = Layout(width());
    for (size_t i = 0; i < pages.size(); ++i) {
      QStyleOptionTab option;
      option.initFrom(this);
      option.shape = QTabBar::RoundedNorth;
      option.rect = rects[i];
      option.text = pages[i]->Caption();
      option.position = pages.size() == 1       ? QStyleOptionTab::OnlyOneTab
                        : i == 0                ? QStyleOptionTab::Beginning
                        : i + 1 == pages.size() ? QStyleOptionTab::End
                                                : QStyleOptionTab::Middle;
      option.state &= ~QStyle::State_HasFocus;
      if (pages[i] == FOwner->ActivePage()) {
        option.state |= QStyle::State_Selected;
        if (hasFocus())
          option.state |= QStyle::State_HasFocus;
      }
      painter.drawControl(QStyle::CE_TabBarTab, option);
    }
  }
  void mousePressEvent(QMouseEvent *event) override {
    if (event->button() != Qt::LeftButton)
      return;
    const int index = FOwner->IndexOfTabAt(mapToParent(event->position().toPoint()));
    if (index >= 0)
      FOwner->TabPicked(FOwner->TabPage(index));
  }
  void keyPressEvent(QKeyEvent *event) override {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const TTabSheet *active = FOwner->ActivePage();
    if (step == 0 || !active) {
      QWidget::keyPressEvent(event);
      return;
    }
    const int index = active->TabIndex() + step;
    if (index >= 0 && index < FOwner->TabCount())
      FOwner->TabPicked(FOwner->TabPage(index));
  }
  void resizeEvent(QResizeEvent *event) override {
    QWidget::resizeEvent(event);
    FitRows();
  }

private:
  // The size the style gives a tab of this caption, as a tab bar of its own would.
  QSize TabSize(const TTabSheet *page) const {
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.text = page->Caption();
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, page->Caption());
    const QSize contents(text.width() + style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this),
                         text.height() + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this));
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
  }
  int TabWidth(const TTabSheet *page) const { return TabSize(page).width(); }

  TPageControl *FOwner;
};

TTabSheet::TTabSheet(TPageControl *pageControl, const QString &caption)
    : QWidget(nullptr), FPageControl(pageControl), FCaption(caption) {
  pageControl->AddPage(this);
}

TTabSheet::~TTabSheet() {
  if (FPageControl)
    FPageControl->RemovePage(this);
}

void TTabSheet::SetCaption(const QString &value) {
  if (value == FCaption)
    return;
  FCaption = value;
  FPageControl->TabsChanged();
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == FTabVisible)
    return;
  FTabVisible = value;
  FPageControl->TabsChanged();
}

int TTabSheet::PageIndex() const {
  const auto &pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

int TTabSheet::TabIndex() const {
  const std::vector<TTabSheet *> shown = FPageControl->ShownPages();
  const auto found = std::find(shown.begin(), shown.end(), this);
  return found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
}

TPageControl::TPageControl(QWidget *parent)
    : QWidget(parent), FTabs(new TPageControlTabs(this)), FStack(new QStackedWidget(this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(FTabs);
  layout->addWidget(FStack, 1);
  FStack->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  // Shown while no page is.
  FStack->addWidget(new QWidget(FStack));
}

TPageControl::~TPageControl() {
  // The pages go with the stack; they must not call back into a control being destroyed.
  for (TTabSheet *page : FPages)
    page->FPageControl = nullptr;
}

void TPageControl::SetActivePage(TTabSheet *page) {
  if (page && (page->PageControl() != this || !page->TabVisible()))
    return;
  if (page == FActivePage)
    return;
  FActivePage = page;
  ShowActivePage();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? Pages(index) : nullptr);
}

void TPageControl::SetMultiLine(bool value) {
  if (value == FMultiLine)
    return;
  FMultiLine = value;
  TabsChanged();
}

int TPageControl::TabCount() const { return static_cast<int>(ShownPages().size()); }

int TPageControl::RowCount() const { return FTabs->Rows(FTabs->width()); }

TTabSheet *TPageControl::TabPage(int tabIndex) const {
  const std::vector<TTabSheet *> shown = ShownPages();
  return tabIndex >= 0 && tabIndex < static_cast<int>(shown.size()) ? shown[static_cast<size_t>(tabIndex)]
                                                                    : nullptr;
}

QRect TPageControl::TabRect(int tabIndex) const {
  const std::vector<QRect> rects = FTabs->Layout(FTabs->width());
  if (tabIndex < 0 || tabIndex >= static_cast<int>(rects.size()))
    return {};
  return rects[static_cast<size_t>(tabIndex)].translated(FTabs->pos());
}

int TPageControl::IndexOfTabAt(const QPoint &point) const {
  const std::vector<QRect> rects = FTabs->Layout(FTabs->width());
  const QPoint local = point - FTabs->pos();
  for (size_t i = 0; i < rects.size(); ++i)
    if (rects[i].contains(local))
      return static_cast<int>(i);
  return -1;
}

void TPageControl::AddPage(TTabSheet *page) {
  FPages.push_back(page);
  FStack->addWidget(page);
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet *page) {
  if (page == FActivePage)
    FActivePage = NextShownPage(page);
  std::erase(FPages, page);
  FStack->removeWidget(page);
  TabsChanged();
}

std::vector<TTabSheet *> TPageControl::ShownPages() const {
  std::vector<TTabSheet *> shown;
  std::copy_if(FPages.begin(), FPages.end(), std::back_inserter(shown),
               [](const TTabSheet *page) { return page->TabVisible(); });
  return shown;
}

TTabSheet *TPageControl::NextShownPage(const TTabSheet *page) const {
  const auto at = std::find(FPages.begin(), FPages.end(), page);
  const size_t start = at == FPages.end() ? 0 : static_cast<size_t>(at - FPages.begin()) + 1;
  for (size_t i = 0; i < FPages.size(); ++i) {
    TTabSheet *candidate = FPages[(start + i) % FPages.size()];
    if (candidate->TabVisible() && candidate != page)
      return candidate;
  }
  return nullptr;
}

void TPageControl::TabsChanged() {
  // A hidden active page gives way to the next shown one; a tab that appears while no page is
  // shown brings its page.
  if (FActivePage && !FActivePage->TabVisible())
    FActivePage = NextShownPage(FActivePage);
  else if (!FActivePage)
    FActivePage = NextShownPage(nullptr);
  ShowActivePage();
  FTabs->FitRows();
  FTabs->update();
}

void TPageControl::ShowActivePage() {
  FStack->setCurrentIndex(FActivePage ? FStack->indexOf(FActivePage) : 0);
  FTabs->update();
}

void TPageControl::TabPicked(TTabSheet *page) {
  if (!page || page == FActivePage)
    return;
  SetActivePage(page);
  Guarded(this, [this] {
    if (OnChange)
      OnChange(this);
  });
}
