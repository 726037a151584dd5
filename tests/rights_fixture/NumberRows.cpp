#include "NumberRows.h"

#include <QStringList>

QString NumberRows(int digits) {
  QStringList ones;
  for (int d = 0; d < 10; ++d)
    ones << QStringLiteral("select %1 d from RDB$DATABASE").arg(d);
  const QString digit = u'(' + ones.join(QStringLiteral(" union all ")) + u')';
  QStringList sum, tables;
  for (int place = 0, weight = 1; place < digits; ++place, weight *= 10) {
    sum << QStringLiteral("%1 * t%2.d").arg(weight).arg(place);
    tables << QStringLiteral("%1 t%2").arg(digit).arg(place);
  }
  return QStringLiteral("(select %1 as n from %2)").arg(sum.join(QStringLiteral(" + ")), tables.join(u','));
}
