#include "SelectRoutines.h"

#include "IBSQL.h"
#include "IBTransaction.h"
#include "SelectReferences.h"

#include <QSet>

namespace {

// What a dependency row depends on, by the server's object types.
constexpr int ObjRelation = 0;
bool IsRoutine(int type) {
  return type == 5                    // procedure
         || type == 14                // sequence
         || type == 15                // function or UDF
         || type == 18 || type == 19; // package
}

QString Literal(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString LiteralList(const QSet<QString> &names) {
  QStringList literals;
  for (const QString &name : names)
    literals.append(Literal(name));
  return literals.join(u',');
}

// The rows of objects of the given kind ("PROCEDURE", "FUNCTION") among names, plain or packaged.
QString RoutineRows(int type, const char *kind, const QList<TObjectName> &names) {
  QSet<QString> plain;
  QStringList conditions;
  const QString column = QStringLiteral("RDB$%1_NAME").arg(QLatin1String(kind));
  for (const TObjectName &name : names) {
    if (name.Package.isEmpty())
      plain.insert(name.Name);
    else
      conditions.append(QStringLiteral("(RDB$PACKAGE_NAME = %1 and %2 = %3)")
                            .arg(Literal(name.Package), column, Literal(name.Name)));
  }
  if (!plain.isEmpty())
    conditions.append(
        QStringLiteral("(RDB$PACKAGE_NAME is null and %1 in (%2))").arg(column, LiteralList(plain)));
  if (conditions.isEmpty())
    return QString();
  return QStringLiteral("select %1, %2 from RDB$%3S where %4")
      .arg(QString::number(type), column, QLatin1String(kind), conditions.join(QStringLiteral(" or ")));
}

// What the views and the computed columns among relations depend on.
QString DependencyRows(const QSet<QString> &relations) {
  if (relations.isEmpty())
    return QString();
  const QString names = LiteralList(relations);
  return QStringLiteral("select RDB$DEPENDED_ON_TYPE, RDB$DEPENDED_ON_NAME from RDB$DEPENDENCIES "
                        "where RDB$DEPENDENT_TYPE = 1 and RDB$DEPENDENT_NAME in (%1) "
                        "union all "
                        "select d.RDB$DEPENDED_ON_TYPE, d.RDB$DEPENDED_ON_NAME from RDB$RELATION_FIELDS f "
                        "join RDB$DEPENDENCIES d on d.RDB$DEPENDENT_NAME = f.RDB$FIELD_SOURCE "
                        "and d.RDB$DEPENDENT_TYPE = 3 where f.RDB$RELATION_NAME in (%1)")
      .arg(names);
}

} // namespace

bool TSelectRoutines::MayChangeData(const QString &sql) {
  const TSelectReferences references = ScanSelect(sql);
  if (references.StepsSequence)
    return true;
  QSet<QString> relations, seen;
  for (const TObjectName &source : references.Sources)
    if (source.Package.isEmpty())
      relations.insert(source.Name);
  QStringList parts{RoutineRows(5, "PROCEDURE", references.Sources),
                    RoutineRows(15, "FUNCTION", references.Calls)};
  // Views over views and computed columns over other tables: one query a level, each relation once.
  while (true) {
    parts.append(DependencyRows(relations));
    parts.removeAll(QString());
    if (parts.isEmpty())
      return false;
    seen.unite(relations);
    relations.clear();
    TIBSQL query;
    query.SetDatabase(FTransaction->DefaultDatabase());
    query.SetTransaction(FTransaction);
    query.SetParamCheck(false);
    query.SQL().SetText(parts.join(QStringLiteral(" union all ")));
    FTransaction->EnsureActive();
    for (query.ExecQuery(); !query.Eof(); query.Next()) {
      const int type = query.Fields(0).AsInteger();
      if (IsRoutine(type))
        return true;
      QString name = query.Fields(1).AsString();
      while (name.endsWith(u' '))
        name.chop(1);
      if (type == ObjRelation && !seen.contains(name))
        relations.insert(name);
    }
    parts.clear();
  }
}
