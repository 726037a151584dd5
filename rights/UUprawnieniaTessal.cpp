// The TESSAL tab: a box per row and right, the legend of the right letters, all rights at once.
#include "UUprawnienia.h"

#include "Application.h"
#include "PageControl.h"
#include "StdCtrls.h"
#include "TessalRights.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <string_view>

namespace {

// The right letters in the legend's order, which is also the order of the columns.
const char kRightLetters[] = "peurwnkcdla";
const char *const kLegend[] = {"p - przeglądanie (dostęp)",
                               "e - edycja (wstawianie, modyfikacja)",
                               "u - usuwanie",
                               "r - raporty",
                               "w - wypożyczanie",
                               "n - prawo do anulowania fakturowania",
                               "k - prawo do przyjmowania wpłat",
                               "c - edycja cennika",
                               "d - powtórny wydruk faktury",
                               "l - logowanie",
                               "a - administracja"};

int ColumnOf(char right) { return static_cast<int>(std::string_view(kRightLetters).find(right)) + 1; }

} // namespace

void TUprawnieniaForm::CreateTessalTab() {
  TGroupTab &tab = NewGroupTab(pgTessal, "TESSALRadioBox");
  TTabSheet *sheet = tab.Sheet;
  auto *grid = new QGridLayout;
  for (const char *right = kRightLetters; *right; ++right)
    grid->addWidget(new QLabel(QString(QChar::fromLatin1(*right)), sheet), 0, ColumnOf(*right),
                    Qt::AlignHCenter);
  int row = 1;
  for (const TTessalRow &line : TessalRows()) {
    grid->addWidget(new QLabel(QString::fromUtf8(line.Label), sheet), row, 0);
    for (const char *right = line.Rights; *right; ++right) {
      // Straight on the sheet: "Przydziel", "Odbierz" and the writer take the sheet's boxes.
      auto *box = new QCheckBox(sheet);
      box->setObjectName(QString(QChar::fromLatin1(line.Letter)) + QChar::fromLatin1(*right));
      TessalBoxes.push_back(box);
      grid->addWidget(box, row, ColumnOf(*right), Qt::AlignHCenter);
    }
    ++row;
  }
  // The rows keep together at the top however tall the legend beside them is.
  grid->setRowStretch(row, 1);
  tab.Boxes = TessalBoxes;

  auto *legend = new QVBoxLayout;
  QStringList lines{QStringLiteral("Prawa:")};
  for (const char *text : kLegend)
    lines.append(QString::fromUtf8(text));
  legend->addWidget(new QLabel(lines.join(u'\n'), sheet));
  auto *all = new QGroupBox(QStringLiteral("wszystkie prawa"), sheet);
  auto *allButtons = new QHBoxLayout(all);
  Button1 = new TButton(all, QStringLiteral("Przydziel"));
  Button1->setObjectName(QStringLiteral("Button1"));
  Button2 = new TButton(all, QStringLiteral("Odbierz"));
  Button2->setObjectName(QStringLiteral("Button2"));
  allButtons->addWidget(Button1);
  allButtons->addWidget(Button2);
  connect(Button1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button1Click(Button1); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button2Click(Button2); }); });
  legend->addWidget(all);
  legend->addStretch(1);

  auto *body = new QHBoxLayout;
  body->addLayout(grid);
  body->addSpacing(24);
  body->addLayout(legend);
  body->addStretch(1);
  static_cast<QVBoxLayout *>(sheet->layout())->addLayout(body);
}

void TUprawnieniaForm::SetTessalBoxes(bool checked) {
  for (QCheckBox *box : TESSAL->findChildren<QCheckBox *>(Qt::FindDirectChildrenOnly))
    box->setChecked(checked);
}

void TUprawnieniaForm::Button1Click(QObject *) { SetTessalBoxes(true); }

void TUprawnieniaForm::Button2Click(QObject *) { SetTessalBoxes(false); }
