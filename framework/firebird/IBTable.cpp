#include "IBTable.h"

#include "Exceptions.h"

TIBTable::TIBTable(QObject *owner) : TIBCustomDataSet(owner) {}

TIBTable::~TIBTable() { CloseOnDestroy(); }

QString TIBTable::Quoted(const QString &name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

void TIBTable::SetTableName(const QString &value) {
  if (value == FTableName)
    return;
  CheckInactive();
  Unprepare();
  FTableName = value;
  IndexDefs().Clear();
  IndexDefs().SetUpdated(false);
}

void TIBTable::SetIndexFieldNames(const QString &value) {
  if (value == FIndexFieldNames)
    return;
  const bool reopen = Active();
  if (reopen)
    Close();
  FIndexFieldNames = value;
  if (reopen)
    Open();
}

QString TIBTable::SelectText() const {
  if (FTableName.trimmed().isEmpty())
    DatabaseError(QStringLiteral("Table name not set"), this);
  QString text = QStringLiteral("select * from ") + Quoted(FTableName);
  QStringList order;
  for (const QString &name : FIndexFieldNames.split(u';', Qt::SkipEmptyParts))
    order.append(Quoted(name.trimmed()));
  if (!order.isEmpty())
    text += QStringLiteral(" order by ") + order.join(QStringLiteral(", "));
  return text;
}

void TIBTable::UpdateIndexDefs() {
  TIBSQL query;
  query.SetDatabase(Database());
  query.SetTransaction(Transaction());
  query.SQL().SetText(
      QStringLiteral("select trim(i.RDB$INDEX_NAME), trim(s.RDB$FIELD_NAME), coalesce(i.RDB$UNIQUE_FLAG, 0), "
                     "coalesce(i.RDB$INDEX_TYPE, 0), trim(c.RDB$CONSTRAINT_TYPE) "
                     "from RDB$INDICES i join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                     "left join RDB$RELATION_CONSTRAINTS c on c.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                     "where i.RDB$RELATION_NAME = ? order by i.RDB$INDEX_NAME, s.RDB$FIELD_POSITION"));
  query.Params().Vars(0).SetAsString(FTableName);
  IndexDefs().Clear();
  TIndexDef *current = nullptr;
  for (query.ExecQuery(); !query.Eof(); query.Next()) {
    const QString name = query.Fields(0).AsString();
    const QString field = query.Fields(1).AsString();
    if (current && current->Name() == name) {
      current->SetFields(current->Fields() + u';' + field);
      continue;
    }
    TIndexOptions options;
    if (query.Fields(2).AsInteger() != 0)
      options |= ixUnique;
    if (query.Fields(3).AsInteger() != 0)
      options |= ixDescending;
    if (query.Fields(4).AsString() == QLatin1String("PRIMARY KEY"))
      options |= ixPrimary | ixUnique;
    current = IndexDefs().Add(name, field, options);
  }
  query.Close();
  IndexDefs().SetUpdated(true);
}

void TIBTable::InternalOpen() {
  if (!IndexDefs().Updated()) {
    Prepare();
    UpdateIndexDefs();
  }
  TIBCustomDataSet::InternalOpen();
  FColumns.clear();
  for (int i = 0; i < FieldDefs().Count(); ++i)
    FColumns.append(FieldDefs().Items(i)->Name());
}

QStringList TIBTable::PrimaryKey() const {
  for (int i = 0; i < IndexDefs().Count(); ++i)
    if (IndexDefs().Items(i)->Options().testFlag(ixPrimary))
      return IndexDefs().Items(i)->Fields().split(u';');
  return {};
}

QString TIBTable::UpdateText(TUpdateKind kind) const {
  const QStringList key = PrimaryKey();
  if (key.isEmpty() || FColumns.isEmpty())
    return QString();
  QStringList where, assignments, markers;
  for (const QString &name : key)
    where.append(Quoted(name) + QStringLiteral(" = :") + Quoted(QStringLiteral("OLD_") + name));
  for (const QString &name : FColumns) {
    assignments.append(Quoted(name) + QStringLiteral(" = :") + Quoted(name));
    markers.append(u':' + Quoted(name));
  }
  const QString table = Quoted(FTableName);
  switch (kind) {
  case ukModify:
    return QStringLiteral("update %1 set %2 where %3")
        .arg(table, assignments.join(QStringLiteral(", ")), where.join(QStringLiteral(" and ")));
  case ukInsert: {
    QStringList columns;
    for (const QString &name : FColumns)
      columns.append(Quoted(name));
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
  }
  case ukDelete:
    return QStringLiteral("delete from %1 where %2").arg(table, where.join(QStringLiteral(" and ")));
  }
  return QString();
}
