#include "FilterExpr.h"

#include "DB.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"

#include <QLocale>
#include <algorithm>
#include <limits>

namespace {

enum TTokenKind { tkEnd, tkName, tkBracketName, tkNumber, tkString, tkSymbol };

struct TToken {
  TTokenKind Kind = tkEnd;
  QString Text;
  int Pos = 0;
  QString Describe() const { return Kind == tkEnd ? QStringLiteral("nothing") : Text; }
};

[[noreturn]] void ExprError(const QString &message) { throw EDatabaseError(message); }

class TLexer {
public:
  explicit TLexer(const QString &text) : FText(text) {}

  TToken Next() {
    while (FPos < FText.size() && FText[FPos].isSpace())
      ++FPos;
    TToken token;
    token.Pos = FPos;
    if (FPos >= FText.size())
      return token;
    const QChar c = FText[FPos];
    if (c.isLetter() || c == u'_') {
      const int start = FPos;
      while (FPos < FText.size() &&
             (FText[FPos].isLetterOrNumber() || FText[FPos] == u'_' || FText[FPos] == u'$'))
        ++FPos;
      token.Kind = tkName;
      token.Text = FText.mid(start, FPos - start);
    } else if (c.isDigit() || (c == u'.' && FPos + 1 < FText.size() && FText[FPos + 1].isDigit())) {
      const int start = FPos;
      while (FPos < FText.size() && (FText[FPos].isDigit() || FText[FPos] == u'.'))
        ++FPos;
      if (FPos < FText.size() && (FText[FPos] == u'e' || FText[FPos] == u'E')) {
        ++FPos;
        if (FPos < FText.size() && (FText[FPos] == u'+' || FText[FPos] == u'-'))
          ++FPos;
        while (FPos < FText.size() && FText[FPos].isDigit())
          ++FPos;
      }
      token.Kind = tkNumber;
      token.Text = FText.mid(start, FPos - start);
    } else if (c == u'\'' || c == u'"') {
      token.Kind = tkString;
      ++FPos;
      for (;;) {
        if (FPos >= FText.size())
          ExprError(QStringLiteral("Unterminated string constant"));
        if (FText[FPos] == c) {
          if (FPos + 1 < FText.size() && FText[FPos + 1] == c) {
            token.Text += c;
            FPos += 2;
            continue;
          }
          ++FPos;
          break;
        }
        token.Text += FText[FPos++];
      }
    } else if (c == u'[') {
      const int end = int(FText.indexOf(u']', FPos));
      if (end < 0)
        ExprError(QStringLiteral("Unterminated field name"));
      token.Kind = tkBracketName;
      token.Text = FText.mid(FPos + 1, end - FPos - 1);
      FPos = end + 1;
    } else {
      static const QStringList symbols = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                          QStringLiteral("="),  QStringLiteral("<"),  QStringLiteral(">"),
                                          QStringLiteral("+"),  QStringLiteral("-"),  QStringLiteral("*"),
                                          QStringLiteral("/"),  QStringLiteral("("),  QStringLiteral(")"),
                                          QStringLiteral(",")};
      for (const QString &symbol : symbols) {
        if (FText.mid(FPos, symbol.size()) == symbol) {
          token.Kind = tkSymbol;
          token.Text = symbol;
          FPos += int(symbol.size());
          return token;
        }
      }
      ExprError(QStringLiteral("Invalid filter expression character: '%1'").arg(c));
    }
    return token;
  }

private:
  QString FText;
  int FPos = 0;
};

using PNode = std::unique_ptr<TFilterNode>;

PNode MakeNode(TNodeClass nodeClass, TCANOperator op) {
  auto node = std::make_unique<TFilterNode>();
  node->NodeClass = nodeClass;
  node->Operator = op;
  return node;
}

// Trees are walked recursively (evaluation, printing, freeing): their depth is bounded, and so is
// the parser's own recursion through parentheses, NOT and unary minus.
constexpr int MaxTreeDepth = 1000;
constexpr int MaxNesting = 200;

[[noreturn]] void TooDeep() { ExprError(QStringLiteral("Filter expression is nested too deeply")); }

void TakeDepthOf(TFilterNode &node, const TFilterNode &child) {
  node.Depth = std::max(node.Depth, child.Depth + 1);
  if (node.Depth > MaxTreeDepth)
    TooDeep();
}

PNode MakeOperator(TNodeClass nodeClass, TCANOperator op, PNode left, PNode right = nullptr) {
  PNode node = MakeNode(nodeClass, op);
  TakeDepthOf(*node, *left);
  node->Args.push_back(std::move(left));
  if (right) {
    TakeDepthOf(*node, *right);
    node->Args.push_back(std::move(right));
  }
  return node;
}

// Counts one level of the parser's recursion for as long as it lives.
class TNestingGuard {
public:
  explicit TNestingGuard(int &level) : FLevel(level) {
    if (++FLevel > MaxNesting) {
      --FLevel;
      TooDeep();
    }
  }
  ~TNestingGuard() { --FLevel; }
  TNestingGuard(const TNestingGuard &) = delete;
  TNestingGuard &operator=(const TNestingGuard &) = delete;

private:
  int &FLevel;
};

bool IsTextType(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo;
}

// Turns a text constant compared with a field into a constant of the field's type.
void TypeConstant(TFilterNode &constant, const TFilterNode &field) {
  if (constant.NodeClass != nodeCONST || constant.DataType != ftString || !constant.Value.isValid() ||
      !field.Field)
    return;
  const TFieldType type = field.Field->DataType();
  const QString text = constant.Value.toString();
  switch (type) {
  case ftDate:
  case ftTime:
  case ftDateTime: {
    double value;
    const bool ok = type == ftDate   ? TryStrToDate(text, value)
                    : type == ftTime ? TryStrToTime(text, value)
                                     : TryStrToDateTime(text, value);
    if (!ok)
      ExprError(QStringLiteral("'%1' is not a valid value for field '%2'").arg(text, field.FieldName));
    constant.DataType = type;
    constant.Value = value;
    break;
  }
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
  case ftLargeint: {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
      ExprError(QStringLiteral("'%1' is not a valid value for field '%2'").arg(text, field.FieldName));
    constant.DataType = type == ftLargeint ? ftLargeint : ftInteger;
    constant.Value = value;
    break;
  }
  case ftFloat:
  case ftCurrency:
  case ftBCD: {
    double value;
    if (!TryStrToFloat(text, value))
      ExprError(QStringLiteral("'%1' is not a valid value for field '%2'").arg(text, field.FieldName));
    constant.DataType = type;
    constant.Value = value;
    break;
  }
  case ftBoolean: {
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
      constant.Value = true;
    else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
      constant.Value = false;
    else
      ExprError(QStringLiteral("'%1' is not a valid value for field '%2'").arg(text, field.FieldName));
    constant.DataType = ftBoolean;
    break;
  }
  default: break;
  }
}

class TParser {
public:
  TParser(TDataSet *dataSet, const QString &text, TFilterOptions options)
      : FDataSet(dataSet), FLexer(text), FOptions(options) {
    Advance();
  }

  PNode Parse() {
    if (FToken.Kind == tkEnd)
      ExprError(QStringLiteral("Expression expected but nothing found"));
    PNode root = ParseOr();
    if (FToken.Kind != tkEnd)
      ExprError(QStringLiteral("Filter expression incorrectly terminated at '%1'").arg(FToken.Text));
    return root;
  }

private:
  void Advance() { FToken = FLexer.Next(); }
  bool IsKeyword(const char *word) const {
    return FToken.Kind == tkName && FToken.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
  }
  bool IsSymbol(const char *symbol) const {
    return FToken.Kind == tkSymbol && FToken.Text == QLatin1String(symbol);
  }
  void Expect(const char *symbol) {
    if (!IsSymbol(symbol))
      ExprError(QStringLiteral("'%1' expected but %2 found").arg(QLatin1String(symbol), FToken.Describe()));
    Advance();
  }

  PNode ParseOr() {
    const TNestingGuard nesting(FNesting);
    PNode left = ParseAnd();
    while (IsKeyword("OR")) {
      Advance();
      left = MakeOperator(nodeBINARY, coOR, std::move(left), ParseAnd());
    }
    return left;
  }

  PNode ParseAnd() {
    PNode left = ParseNot();
    while (IsKeyword("AND")) {
      Advance();
      left = MakeOperator(nodeBINARY, coAND, std::move(left), ParseNot());
    }
    return left;
  }

  PNode ParseNot() {
    if (IsKeyword("NOT")) {
      const TNestingGuard nesting(FNesting);
      Advance();
      return MakeOperator(nodeUNARY, coNOT, ParseNot());
    }
    return ParseComparison();
  }

  PNode ParseComparison() {
    PNode left = ParseAdditive();
    if (IsKeyword("IS")) {
      Advance();
      bool negated = false;
      if (IsKeyword("NOT")) {
        negated = true;
        Advance();
      }
      if (!IsKeyword("NULL"))
        ExprError(QStringLiteral("NULL expected but %1 found").arg(FToken.Describe()));
      Advance();
      return MakeOperator(nodeUNARY, negated ? coNOTBLANK : coISBLANK, std::move(left));
    }
    bool negated = false;
    if (IsKeyword("NOT")) {
      negated = true;
      Advance();
      if (!IsKeyword("LIKE") && !IsKeyword("IN"))
        ExprError(QStringLiteral("LIKE or IN expected but %1 found").arg(FToken.Describe()));
    }
    if (IsKeyword("LIKE")) {
      Advance();
      PNode node = MakeOperator(nodeBINARY, coLIKE, std::move(left), ParseAdditive());
      node->CaseInsensitive = FOptions.testFlag(foCaseInsensitive);
      return negated ? MakeOperator(nodeUNARY, coNOT, std::move(node)) : std::move(node);
    }
    if (IsKeyword("IN")) {
      Advance();
      PNode node = MakeOperator(nodeBINARY, coIN, std::move(left), ParseList());
      return negated ? MakeOperator(nodeUNARY, coNOT, std::move(node)) : std::move(node);
    }
    static const std::pair<const char *, TCANOperator> comparisons[] = {
        {"=", coEQ}, {"<>", coNE}, {"<", coLT}, {">", coGT}, {"<=", coLE}, {">=", coGE}};
    for (const auto &[symbol, op] : comparisons) {
      if (IsSymbol(symbol)) {
        Advance();
        return MakeComparison(op, std::move(left), ParseAdditive());
      }
    }
    return left;
  }

  PNode MakeComparison(TCANOperator op, PNode left, PNode right) {
    const bool nullTest = [&] { return right->NodeClass == nodeCONST && !right->Value.isValid(); }();
    if (nullTest) {
      if (op != coEQ && op != coNE)
        ExprError(QStringLiteral("NULL only allowed with '=' and '<>'"));
      return MakeOperator(nodeUNARY, op == coEQ ? coISBLANK : coNOTBLANK, std::move(left));
    }
    if (left->NodeClass == nodeFIELD)
      TypeConstant(*right, *left);
    if (right->NodeClass == nodeFIELD)
      TypeConstant(*left, *right);
    PNode node = MakeOperator(nodeCOMPARE, op, std::move(left), std::move(right));
    node->CaseInsensitive = FOptions.testFlag(foCaseInsensitive);
    TFilterNode &constant = *node->Args[1];
    if ((op == coEQ || op == coNE) && !FOptions.testFlag(foNoPartialCompare) &&
        node->Args[0]->NodeClass == nodeFIELD && constant.NodeClass == nodeCONST &&
        constant.DataType == ftString) {
      const QString text = constant.Value.toString();
      if (text.endsWith(u'*')) {
        constant.Value = text.left(text.size() - 1);
        node->PartialLength = int(text.size()) - 1;
      }
    }
    return node;
  }

  PNode ParseList() {
    Expect("(");
    PNode list = MakeNode(nodeLIST, coLIST);
    for (;;) {
      PNode element = ParseAdditive();
      TakeDepthOf(*list, *element);
      list->Args.push_back(std::move(element));
      if (IsSymbol(",")) {
        Advance();
        continue;
      }
      break;
    }
    Expect(")");
    return list;
  }

  PNode ParseAdditive() {
    PNode left = ParseTerm();
    while (IsSymbol("+") || IsSymbol("-")) {
      const TCANOperator op = IsSymbol("+") ? coADD : coSUB;
      Advance();
      left = MakeOperator(nodeBINARY, op, std::move(left), ParseTerm());
    }
    return left;
  }

  PNode ParseTerm() {
    PNode left = ParseUnary();
    while (IsSymbol("*") || IsSymbol("/")) {
      const TCANOperator op = IsSymbol("*") ? coMUL : coDIV;
      Advance();
      left = MakeOperator(nodeBINARY, op, std::move(left), ParseUnary());
    }
    return left;
  }

  PNode ParseUnary() {
    if (IsSymbol("-")) {
      const TNestingGuard nesting(FNesting);
      Advance();
      PNode operand = ParseUnary();
      if (operand->NodeClass == nodeCONST && operand->Value.isValid() && operand->DataType != ftString) {
        operand->Value = operand->DataType == ftFloat ? QVariant(-operand->Value.toDouble())
                                                      : QVariant(-operand->Value.toLongLong());
        return operand;
      }
      return MakeOperator(nodeUNARY, coMINUS, std::move(operand));
    }
    return ParsePrimary();
  }

  PNode Constant(TFieldType type, const QVariant &value) {
    PNode node = MakeNode(nodeCONST, coCONST2);
    node->DataType = type;
    node->Value = value;
    return node;
  }

  PNode ParsePrimary() {
    const TToken token = FToken;
    switch (token.Kind) {
    case tkNumber: {
      Advance();
      bool ok = false;
      const qint64 integer = token.Text.toLongLong(&ok);
      if (ok)
        return integer >= std::numeric_limits<qint32>::min() && integer <= std::numeric_limits<qint32>::max()
                   ? Constant(ftInteger, integer)
                   : Constant(ftLargeint, integer);
      const double real = QLocale::c().toDouble(token.Text, &ok);
      if (!ok)
        ExprError(QStringLiteral("'%1' is not a valid number").arg(token.Text));
      return Constant(ftFloat, real);
    }
    case tkString: Advance(); return Constant(ftString, token.Text);
    case tkBracketName: Advance(); return FieldNode(token.Text);
    case tkName: {
      Advance();
      const QString upper = token.Text.toUpper();
      if (upper == QLatin1String("NULL"))
        return Constant(ftUnknown, QVariant());
      if (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE"))
        return Constant(ftBoolean, upper == QLatin1String("TRUE"));
      if (IsSymbol("("))
        return FunctionNode(upper);
      return FieldNode(token.Text);
    }
    case tkSymbol:
      if (token.Text == QLatin1String("(")) {
        Advance();
        PNode inner = ParseOr();
        Expect(")");
        return inner;
      }
      [[fallthrough]];
    default: ExprError(QStringLiteral("Expression expected but %1 found").arg(token.Describe()));
    }
  }

  PNode FieldNode(const QString &name) {
    TField *field = FDataSet ? FDataSet->FindField(name) : nullptr;
    if (!field)
      ExprError(QStringLiteral("Field '%1' not found").arg(name));
    if (field->IsBlob() && !IsTextType(field->DataType()))
      ExprError(QStringLiteral("Field '%1' cannot be used in a filter expression").arg(name));
    PNode node = MakeNode(nodeFIELD, coFIELD2);
    node->Field = field;
    node->FieldName = field->FieldName();
    node->DataType = field->DataType();
    return node;
  }

  PNode FunctionNode(const QString &name) {
    Expect("(");
    std::vector<PNode> args;
    if (!IsSymbol(")")) {
      for (;;) {
        args.push_back(ParseOr());
        if (!IsSymbol(","))
          break;
        Advance();
      }
    }
    Expect(")");
    if ((name == QLatin1String("UPPER") || name == QLatin1String("LOWER")) && args.size() == 1)
      return MakeOperator(nodeUNARY, name == QLatin1String("UPPER") ? coUPPER : coLOWER, std::move(args[0]));
    PNode node = MakeNode(nodeFUNC, coFUNC2);
    node->FunctionName = name;
    for (const PNode &arg : args)
      TakeDepthOf(*node, *arg);
    node->Args = std::move(args);
    return node;
  }

  TDataSet *FDataSet;
  TLexer FLexer;
  TFilterOptions FOptions;
  TToken FToken;
  int FNesting = 0;
};

QString OperatorText(TCANOperator op) {
  switch (op) {
  case coEQ: return QStringLiteral("=");
  case coNE: return QStringLiteral("<>");
  case coGT: return QStringLiteral(">");
  case coLT: return QStringLiteral("<");
  case coGE: return QStringLiteral(">=");
  case coLE: return QStringLiteral("<=");
  case coAND: return QStringLiteral("AND");
  case coOR: return QStringLiteral("OR");
  case coADD: return QStringLiteral("+");
  case coSUB: return QStringLiteral("-");
  case coMUL: return QStringLiteral("*");
  case coDIV: return QStringLiteral("/");
  case coLIKE: return QStringLiteral("LIKE");
  case coIN: return QStringLiteral("IN");
  default: return QStringLiteral("?%1").arg(int(op));
  }
}

QString ConstantText(const TFilterNode &node) {
  if (!node.Value.isValid())
    return QStringLiteral("NULL");
  switch (node.DataType) {
  case ftString: return u'\'' + node.Value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
  case ftBoolean: return node.Value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
  case ftDate:
    return QStringLiteral("DATE'%1'").arg(DateTimeToQDate(node.Value.toDouble()).toString(Qt::ISODate));
  case ftTime:
    return QStringLiteral("TIME'%1'").arg(DateTimeToQTime(node.Value.toDouble()).toString(Qt::ISODateWithMs));
  case ftDateTime:
    return QStringLiteral("TIMESTAMP'%1'")
        .arg(DateTimeToQDateTime(node.Value.toDouble()).toString(Qt::ISODateWithMs));
  case ftFloat:
  case ftCurrency:
  case ftBCD: return QLocale::c().toString(node.Value.toDouble(), 'g', 15);
  default: return node.Value.toString();
  }
}

} // namespace

QString TFilterNode::ToString() const {
  auto arg = [this](std::size_t i) { return i < Args.size() ? Args[i]->ToString() : QStringLiteral("?"); };
  switch (NodeClass) {
  case nodeFIELD: return FieldName;
  case nodeCONST: return ConstantText(*this);
  case nodeUNARY:
    switch (Operator) {
    case coNOT: return QStringLiteral("(NOT %1)").arg(arg(0));
    case coMINUS: return QStringLiteral("(-%1)").arg(arg(0));
    case coISBLANK: return QStringLiteral("(%1 IS NULL)").arg(arg(0));
    case coNOTBLANK: return QStringLiteral("(%1 IS NOT NULL)").arg(arg(0));
    case coUPPER: return QStringLiteral("UPPER(%1)").arg(arg(0));
    case coLOWER: return QStringLiteral("LOWER(%1)").arg(arg(0));
    default: return QStringLiteral("?%1(%2)").arg(int(Operator)).arg(arg(0));
    }
  case nodeBINARY:
  case nodeCOMPARE: {
    QString op = OperatorText(Operator);
    if (CaseInsensitive)
      op += u'~';
    if (PartialLength > 0)
      op += QStringLiteral("[%1]").arg(PartialLength);
    return QStringLiteral("(%1 %2 %3)").arg(arg(0), op, arg(1));
  }
  case nodeLIST:
  case nodeFUNC: {
    QStringList parts;
    for (const auto &a : Args)
      parts << a->ToString();
    return (NodeClass == nodeFUNC ? FunctionName : QString()) + u'(' + parts.join(QStringLiteral(", ")) +
           u')';
  }
  default: return QStringLiteral("?");
  }
}

TFilterExpr::TFilterExpr(TDataSet *dataSet, const QString &text, TFilterOptions options)
    : FText(text), FOptions(options), FRoot(TParser(dataSet, text, options).Parse()) {}

TFilterExpr::~TFilterExpr() = default;

bool MatchesMask(const QString &text, const QString &mask, bool caseInsensitive) {
  // Classic wildcard matching with backtracking to the last '*'.
  const auto same = [caseInsensitive](QChar a, QChar b) {
    return caseInsensitive ? a.toCaseFolded() == b.toCaseFolded() : a == b;
  };
  qsizetype t = 0, m = 0, star = -1, resume = 0;
  while (t < text.size()) {
    if (m < mask.size() && (mask[m] == u'?' || (mask[m] != u'*' && same(mask[m], text[t])))) {
      ++t;
      ++m;
    } else if (m < mask.size() && mask[m] == u'*') {
      star = m++;
      resume = t;
    } else if (star >= 0) {
      m = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*')
    ++m;
  return m == mask.size();
}
