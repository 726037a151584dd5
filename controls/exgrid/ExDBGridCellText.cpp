#include "ExDBGridCellText.h"

#include "ExDBGridFieldKinds.h"
#include "RtfFormat.h"

#include <algorithm>

QString CellText(const TField *field, bool memoText, qsizetype limit) {
  if (!memoText || !IsMemoKind(field))
    return field->DisplayText();
  if (field->DataType() == ftFmtMemo)
    return TRtfFormat::PlainText(field->AsBytes(), limit);
  const QString text = field->AsString();
  return limit < 0 ? text : text.left(limit);
}

qsizetype ShownTextLimit(QSize area, int lineHeight) {
  const qsizetype lines = std::max(0, area.height()) / std::max(1, lineHeight) + 1;
  return lines * (qsizetype(std::max(0, area.width())) + 2);
}
