#pragma once

#include "DBTypes.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class TDataSet;
class TField;

// Node classes and operator codes of a parsed filter expression.
enum TNodeClass {
  nodeNULL,
  nodeUNARY,
  nodeBINARY,
  nodeCOMPARE,
  nodeFIELD,
  nodeCONST,
  nodeTUPLE,
  nodeCONTINUE,
  nodeUDF,
  nodeLIST,
  nodeFUNC,
  nodeLISTELEM
};

enum TCANOperator {
  coNOTDEFINED,
  coISBLANK,
  coNOTBLANK,
  coEQ,
  coNE,
  coGT,
  coLT,
  coGE,
  coLE,
  coNOT,
  coAND,
  coOR,
  coTUPLE2,
  coFIELD2,
  coCONST2,
  coMINUS,
  coADD,
  coSUB,
  coMUL,
  coDIV,
  coMOD,
  coREM,
  coSUM,
  coCOUNT,
  coMIN,
  coMAX,
  coAVG,
  coCONT,
  coUDF2,
  coCONTINUE2,
  coLIKE,
  coIN,
  coLIST,
  coUPPER,
  coLOWER,
  coFUNC2,
  coLISTELEM2,
  coASSIGN
};

// One node of the tree. Operands (unary: 1, binary and comparison: 2), function arguments and
// list elements are the Args, in order.
struct TFilterNode {
  TNodeClass NodeClass = nodeNULL;
  TCANOperator Operator = coNOTDEFINED;
  // nodeFIELD
  TField *Field = nullptr;
  QString FieldName;
  // nodeCONST: the value converted to DataType (text, integers, Boolean, float, date-time types as
  // TDateTime doubles); a null constant has an invalid Value.
  TFieldType DataType = ftUnknown;
  QVariant Value;
  // nodeCOMPARE: text compared case-insensitively (foCaseInsensitive) and, for a partial
  // comparison ('abc*' with partial compares allowed), only its first PartialLength characters.
  bool CaseInsensitive = false;
  int PartialLength = 0;
  // nodeFUNC: the upper-cased function name.
  QString FunctionName;
  std::vector<std::unique_ptr<TFilterNode>> Args;
  // Levels of the subtree (1 for a leaf); the parser refuses trees deeper than it can walk safely.
  int Depth = 1;

  // A canonical text of the subtree, e.g. "(NAME = 'A')", "(AGE > 3)", "UPPER(NAME)"; for tests and
  // error messages.
  QString ToString() const;
};

// Parses Filter text into a tree over the dataset's fields. Syntax: comparisons (=, <>, <, >, <=,
// >=), AND, OR, NOT, + - * /, IS [NOT] NULL, [NOT] LIKE with * and ? wildcards, [NOT] IN (list),
// functions (UPPER, LOWER, SUBSTRING, TRIM, TRIMLEFT, TRIMRIGHT, GETDATE, YEAR, MONTH, DAY, HOUR,
// MINUTE, SECOND, DATE, TIME), constants in single or double quotes, numbers, TRUE, FALSE, NULL,
// field names plain or in brackets. Errors are EDatabaseError naming the position. Expressions
// nested deeper than the evaluation can follow are refused the same way.
class TFilterExpr {
public:
  TFilterExpr(TDataSet *dataSet, const QString &text, TFilterOptions options);
  ~TFilterExpr();

  const TFilterNode &Root() const { return *FRoot; }
  const QString &Text() const { return FText; }
  TFilterOptions Options() const { return FOptions; }

private:
  QString FText;
  TFilterOptions FOptions;
  std::unique_ptr<TFilterNode> FRoot;
};

// The LIKE match: '*' stands for any run of characters, '?' for one.
bool MatchesMask(const QString &text, const QString &mask, bool caseInsensitive);
