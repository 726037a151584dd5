#include "UUsersBatch.h"

#include "IBSQL.h"
#include "UDMSecurity.h"

#include <algorithm>
#include <memory>

namespace {

const QString kNameType = QStringLiteral("type of column USERS.USER_NAME");

// What a block does for each of its names: the sub-procedure STEP, called with the name and then
// the values that the whole block shares.
struct TStep {
  QString Declaration;
  // Name and type of each shared value, as block parameters before the names.
  QList<std::pair<QString, QString>> Shared;
};

// "execute block (shared..., N0, N1, ... = ?) as <STEP> begin execute procedure STEP(:N0, shared...); ...
// end"
QString BlockText(const TStep &step, int count) {
  QStringList parameters, sharedArguments;
  for (const auto &[name, type] : step.Shared) {
    parameters.append(name + u' ' + type + QStringLiteral(" = ?"));
    sharedArguments.append(u':' + name);
  }
  const QString tail =
      sharedArguments.isEmpty() ? QString() : QStringLiteral(", ") + sharedArguments.join(u", ");
  QString calls;
  for (int i = 0; i < count; ++i) {
    parameters.append(QStringLiteral("N%1 %2 = ?").arg(i).arg(kNameType));
    calls += QStringLiteral("  execute procedure STEP(:N%1%2);\n").arg(i).arg(tail);
  }
  return QStringLiteral("execute block (") + parameters.join(QStringLiteral(", ")) +
         QStringLiteral(")\nas\n") + step.Declaration + QStringLiteral("\nbegin\n") + calls +
         QStringLiteral("end");
}

// Runs the step for every name, kNamesPerBlock names to a block. A block of one size is prepared
// once: all blocks but the last are full.
void Run(TIBDatabase *DB, TIBTransaction *Transaction, const TStep &step, const QStringList &names,
         const QVariantList &shared) {
  std::unique_ptr<TIBSQL> full, last;
  for (qsizetype start = 0; start < names.size(); start += UsersBatch::kNamesPerBlock) {
    const int count = int(std::min<qsizetype>(UsersBatch::kNamesPerBlock, names.size() - start));
    std::unique_ptr<TIBSQL> &statement = count == UsersBatch::kNamesPerBlock ? full : last;
    if (!statement) {
      statement = std::make_unique<TIBSQL>();
      statement->SetDatabase(DB);
      statement->SetTransaction(Transaction);
      // The block's own ":name" references are the server's, not parameters of ours.
      statement->SetParamCheck(false);
      statement->SQL().SetText(BlockText(step, count));
    }
    TIBXSQLDA &parameters = statement->Params();
    int p = 0;
    for (const QVariant &value : shared)
      parameters.Vars(p++).SetValue(value);
    for (int i = 0; i < count; ++i)
      parameters.Vars(p++).SetAsString(names[start + i]);
    statement->ExecQuery();
  }
}

// The row the users list inserts for a server user it takes over: every column named, the ones
// it does not set null.
QString TakeOverDeclaration() {
  QStringList values;
  for (const QString &column : TDMSecurity::UsersColumns()) {
    if (column == QLatin1String("USER_NAME"))
      values.append(QStringLiteral(":NAME"));
    else if (column == QLatin1String("PSWD_VALID"))
      values.append(QStringLiteral("1"));
    else if (column == QLatin1String("GRUPA"))
      values.append(QStringLiteral(":GRUPA"));
    else
      values.append(QStringLiteral("null"));
  }
  return QStringLiteral("declare procedure STEP (NAME %1, GRUPA type of column USERS.GRUPA)\nas\nbegin\n"
                        "  insert into USERS (%2)\n  values (%3);\n"
                        "  execute procedure MODIFY_PASS_TIME(:NAME);\nend")
      .arg(kNameType, TDMSecurity::UsersColumns().join(QStringLiteral(", ")),
           values.join(QStringLiteral(", ")));
}

} // namespace

void UsersBatch::InsertTakenOver(TIBDatabase *DB, TIBTransaction *Transaction, const QStringList &Names,
                                 const QVariant &Group) {
  static const TStep step{TakeOverDeclaration(),
                          {{QStringLiteral("G"), QStringLiteral("type of column USERS.GRUPA")}}};
  Run(DB, Transaction, step, Names, {Group});
}

void UsersBatch::Delete(TIBDatabase *DB, TIBTransaction *Transaction, const QStringList &Names) {
  static const TStep step{QStringLiteral("declare procedure STEP (NAME %1)\nas\nbegin\n"
                                         "  delete from USERS where USER_NAME = :NAME;\nend")
                              .arg(kNameType),
                          {}};
  Run(DB, Transaction, step, Names, {});
}

void UsersBatch::RevokeLeftoverAdminGrants(TIBDatabase *DB, TIBTransaction *Transaction,
                                           const QStringList &Names) {
  // Done on the server, in UTF-8: a grantee's name need not fit Windows-1250. A transaction reads
  // the server's users once and keeps them, so whether a grantee is a server user is asked in a
  // transaction of its own: a user another connection made since is not a dropped one.
  static const TStep step{
      QStringLiteral(
          "declare procedure STEP (NAME %1)\nas\n"
          "declare HOLDER varchar(63) character set UTF8;\n"
          "declare GRANTOR varchar(63) character set UTF8;\n"
          "declare USERS_NAMED integer;\n"
          "begin\n"
          "  for select distinct trim(trailing from p.RDB$USER), trim(trailing from p.RDB$GRANTOR)\n"
          "      from RDB$USER_PRIVILEGES p\n"
          "      where p.RDB$RELATION_NAME = _UTF8'RDB$ADMIN'\n"
          "        and p.RDB$USER_TYPE = 8 and p.RDB$OBJECT_TYPE = 13\n"
          "        and upper(p.RDB$USER) = upper(cast(:NAME as varchar(50) character set UTF8))\n"
          "        and coalesce(trim(trailing from p.RDB$GRANTOR), _UTF8'') <> _UTF8''\n"
          "      into :HOLDER, :GRANTOR\n"
          "  do begin\n"
          "    in autonomous transaction do\n"
          "      select count(*) from SEC$USERS s where s.SEC$USER_NAME = :HOLDER into :USERS_NAMED;\n"
          "    if (USERS_NAMED = 0) then\n"
          "      execute statement _UTF8'revoke \"RDB$ADMIN\" from \"'\n"
          "        || replace(HOLDER, _UTF8'\"', _UTF8'\"\"')\n"
          "        || _UTF8'\" granted by \"' || replace(GRANTOR, _UTF8'\"', _UTF8'\"\"') || _UTF8'\"';\n"
          "  end\n"
          "end")
          .arg(kNameType),
      {}};
  Run(DB, Transaction, step, Names, {});
}
