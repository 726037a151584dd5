#include "RightsMatrixPage.h"

#include "Exceptions.h"
#include "HtmlTemplate.h"
#include "ProgramGroups.h"
#include "Win1250.h"

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
// The page has always written the entity without its semicolon; browsers read it so.
const QString kEmptyCell = QStringLiteral("&nbsp");

TMatrixCell CellOfRole(const QString &role) {
  if (role == AdministratorRole())
    return TMatrixCell::Administrator;
  for (const TProgramGroup &group : ProgramGroups()) {
    if (role == group.WriteRole)
      return TMatrixCell::Write;
    if (role == group.ReadRole)
      return TMatrixCell::Read;
  }
  return TMatrixCell::None;
}

QString CellText(TMatrixCell cell) {
  switch (cell) {
  case TMatrixCell::Read: return QStringLiteral("O");
  case TMatrixCell::Write: return QStringLiteral("Z");
  case TMatrixCell::Administrator: return QStringLiteral("A");
  case TMatrixCell::None: break;
  }
  return kEmptyCell;
}

} // namespace

TMatrixCell MatrixCellOf(const QStringList &roles) {
  TMatrixCell strongest = TMatrixCell::None;
  for (const QString &role : roles)
    strongest = std::max(strongest, CellOfRole(role));
  return strongest;
}

TRightsMatrixPage::TRightsMatrixPage(const QString &generated, const QStringList &users)
    : FUserCount(static_cast<size_t>(users.size())) {
  FText = QStringLiteral("<HTML>") + kCrLf + QStringLiteral("<HEAD>") + kCrLf +
          QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1250\">") +
          kCrLf + QStringLiteral("</HEAD>") + kCrLf + QStringLiteral("<BODY>") + kCrLf;
  FText += QStringLiteral("<table border=\"0\">") + kCrLf +
           QString::fromUtf8("<tr><td>Matryca uprawnień</td></tr>") + kCrLf +
           QStringLiteral("<tr><td>Wygenerowano dnia: ") + HtmlEscape(generated) +
           QStringLiteral("</td></tr>") + kCrLf + QStringLiteral("</table>");
  FText += QStringLiteral("<table border=\"1\">") + kCrLf;
  FText +=
      QStringLiteral("<tr>") + kCrLf + QStringLiteral("<td>") + kEmptyCell + QStringLiteral("</td>") + kCrLf;
  for (const QString &user : users)
    FText +=
        QStringLiteral("<td width=\"50\" align=center>") + HtmlEscape(user) + QStringLiteral("</td>") + kCrLf;
  FText += QStringLiteral("</tr>") + kCrLf;
}

void TRightsMatrixPage::AddDatabase(const QString &name, const std::vector<TMatrixCell> &cells) {
  if (cells.size() != FUserCount)
    throw EInvalidOperation(QStringLiteral("A row of the rights matrix needs one cell per user"));
  FText += QStringLiteral("<tr>") + kCrLf + QStringLiteral("<td>") + HtmlEscape(name) +
           QStringLiteral("</td>") + kCrLf;
  for (const TMatrixCell cell : cells)
    FText += QStringLiteral("<td align=center>") + CellText(cell) + QStringLiteral("</td>") + kCrLf;
  FText += QStringLiteral("</tr>") + kCrLf;
}

QString TRightsMatrixPage::Text() const {
  return FText + QStringLiteral("</table>") + kCrLf + QStringLiteral("</BODY>") + kCrLf +
         QStringLiteral("</HTML>") + kCrLf;
}

QByteArray TRightsMatrixPage::Bytes() const { return Win1250::Encode(Text()); }
