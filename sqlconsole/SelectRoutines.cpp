#include "SelectRoutines.h"

#include "IBSQL.h"
#include "IBTransaction.h"
#include "SelectReferences.h"

#include <QSet>

namespace {

// What a dependency row depends on, by the server's object types: a table read by a view, a computed
// column or a check is recorded as a relation (0), a view read by one of them as a view (1).
constexpr int ObjRelation = 0, ObjView = 1, ObjDomain = 9;
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

// What the views and the computed columns among relations, and the checks of the domains, depend on.
QString DependencyRows(const QSet<QString> &relations, const QSet<QString> &domains) {
  QStringList parts;
  if (!relations.isEmpty())
    parts.append(
        QStringLiteral("select RDB$DEPENDED_ON_TYPE, RDB$DEPENDED_ON_NAME from RDB$DEPENDENCIES "
                       "where RDB$DEPENDENT_TYPE = 1 and RDB$DEPENDENT_NAME in (%1) "
                       "union all "
                       "select d.RDB$DEPENDED_ON_TYPE, d.RDB$DEPENDED_ON_NAME from RDB$RELATION_FIELDS f "
                       "join RDB$DEPENDENCIES d on d.RDB$DEPENDENT_NAME = f.RDB$FIELD_SOURCE "
                       "and d.RDB$DEPENDENT_TYPE = 3 where f.RDB$RELATION_NAME in (%1)")
            .arg(LiteralList(relations)));
  if (!domains.isEmpty())
    parts.append(QStringLiteral("select RDB$DEPENDED_ON_TYPE, RDB$DEPENDED_ON_NAME from RDB$DEPENDENCIES "
                                "where RDB$DEPENDENT_TYPE = 4 and RDB$DEPENDENT_NAME in (%1)")
                     .arg(LiteralList(domains)));
  return parts.join(QStringLiteral(" union all "));
}

} // namespace

bool TSelectRoutines::MayChangeData(const QString &sql) {
  const TSelectReferences references = ScanSelect(sql);
  if (references.StepsSequence || references.LocksRows || references.SourceMissing)
    return true;
  // What the server runs is the last committed metadata: not the console's snapshot, which misses what
  // another connection changed since, and not the console's own uncommitted DDL, which the server
  // does not run before it commits.
  TIBTransaction committed;
  committed.SetDefaultDatabase(FTransaction->DefaultDatabase());
  committed.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait\nread"));
  committed.StartTransaction();
  const bool reaches = ReachesRoutine(references, committed);
  committed.Commit();
  return reaches;
}

bool TSelectRoutines::ReachesRoutine(const TSelectReferences &references, TIBTransaction &transaction) {
  QSet<QString> relations, domains, seenRelations, seenDomains;
  for (const TObjectName &source : references.Sources)
    if (source.Package.isEmpty())
      relations.insert(source.Name);
  for (const TObjectName &cast : references.Casts)
    domains.insert(cast.Name);
  QStringList parts{RoutineRows(5, "PROCEDURE", references.Sources),
                    RoutineRows(15, "FUNCTION", references.Calls)};
  // Views over views, computed columns and domain checks over other relations: one query a level,
  // each relation and each domain once.
  while (true) {
    parts.append(DependencyRows(relations, domains));
    parts.removeAll(QString());
    if (parts.isEmpty())
      return false;
    seenRelations.unite(relations);
    seenDomains.unite(domains);
    relations.clear();
    domains.clear();
    TIBSQL query;
    query.SetDatabase(transaction.DefaultDatabase());
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SQL().SetText(parts.join(QStringLiteral(" union all ")));
    for (query.ExecQuery(); !query.Eof(); query.Next()) {
      const int type = query.Fields(0).AsInteger();
      if (IsRoutine(type))
        return true;
      QString name = query.Fields(1).AsString();
      while (name.endsWith(u' '))
        name.chop(1);
      if ((type == ObjRelation || type == ObjView) && !seenRelations.contains(name))
        relations.insert(name);
      else if (type == ObjDomain && !seenDomains.contains(name))
        domains.insert(name);
    }
    parts.clear();
  }
}
