#include "woxMemFilterProgram.h"

#include "DB.h"
#include "Fields.h"
#include "FilterExpr.h"
#include "Win1250.h"
#include "woxMemCommon.h"
#include "woxMemCompare.h"

#include <array>
#include <cstring>

namespace {

using MemCompare::Sign;

// The UTF-16 unit of every Windows-1250 byte, and its case folding: a stored text compares with a
// QString unit by unit, as QString::compare does, without being decoded.
struct TUnitTables {
  std::array<char16_t, 256> Unit{}, Folded{};
  TUnitTables() {
    for (int b = 0; b < 256; ++b) {
      const char byte = char(b);
      Unit[std::size_t(b)] = b == 0 ? u'\0' : Win1250::Decode(&byte, 1).at(0).unicode();
      Folded[std::size_t(b)] = QChar::toCaseFolded(Unit[std::size_t(b)]);
    }
  }
};

const TUnitTables &UnitTables() {
  static const TUnitTables tables;
  return tables;
}

bool IsText(TFieldType type) { return type == ftString || type == ftFixedChar; }

bool IsTextConstant(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo;
}

bool IsWholeNumber(TFieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc || type == ftLargeint;
}

bool IsComparison(TCANOperator op) { return op >= coEQ && op <= coLE; }

// The operator that holds for (b, a) when op holds for (a, b).
TCANOperator Mirrored(TCANOperator op) {
  switch (op) {
  case coGT: return coLT;
  case coLT: return coGT;
  case coGE: return coLE;
  case coLE: return coGE;
  default: return op;
  }
}

bool Holds(TCANOperator op, int c) {
  switch (op) {
  case coEQ: return c == 0;
  case coNE: return c != 0;
  case coGT: return c > 0;
  case coLT: return c < 0;
  case coGE: return c >= 0;
  default: return c <= 0;
  }
}

} // namespace

struct TwoxFilterProgram::TStep {
  enum TKind { skAnd, skOr, skNot, skIsNull, skNotNull, skText, skWholeNumber };
  TKind Kind = skAnd;
  std::unique_ptr<TStep> Left, Right;
  // The field read; comparisons are stated as field Operator constant.
  const TField *Field = nullptr;
  TwoxFieldInfo Info;
  TCANOperator Operator = coEQ;
  // Text: the constant's units (cut to PartialLength when it is set, folded when the comparison
  // ignores case) and, when the code page holds it, its bytes.
  QString Units;
  QByteArray Bytes;
  bool Encodable = false, CaseInsensitive = false;
  int PartialLength = 0;
  // Text: what the field makes of the stored bytes. It gives at most FieldSize of them, up to a
  // NUL, and a fixed-length (CHAR) field drops the blanks that pad it. A NUL can only be in a value
  // kept outside the record (OnDecompressField may hand back any bytes); one in the record was cut
  // when it was written.
  int FieldSize = 0;
  bool FixedChar = false, MayHoldNul = false;
  qint64 Integer = 0;
  TFieldType Type = ftUnknown;

  // The length of the text the field gives for a stored value.
  int TextSize(const TwoxValueView &value) const {
    int size = std::min(value.Size, FieldSize);
    if (MayHoldNul)
      size = int(::strnlen(value.Bytes, std::size_t(size)));
    if (FixedChar)
      while (size > 0 && value.Bytes[size - 1] == ' ')
        --size;
    return size;
  }

  int CompareText(const char *bytes, int size) const {
    if (PartialLength > 0)
      size = std::min(size, PartialLength);
    const auto &tables = UnitTables();
    const std::array<char16_t, 256> &units = CaseInsensitive ? tables.Folded : tables.Unit;
    const char16_t *constant = reinterpret_cast<const char16_t *>(Units.utf16());
    const int n = std::min(size, int(Units.size()));
    for (int i = 0; i < n; ++i) {
      const char16_t unit = units[static_cast<unsigned char>(bytes[i])];
      if (unit != constant[i])
        return unit < constant[i] ? -1 : 1;
    }
    return Sign(size, int(Units.size()));
  }

  bool TextHolds(const TwoxValueView &value) const {
    const int size = TextSize(value);
    if ((Operator == coEQ || Operator == coNE) && !CaseInsensitive && PartialLength == 0) {
      // Equality of texts is equality of their bytes: the code page maps bytes to units one to one.
      const bool equal = Encodable && size == Bytes.size() &&
                         std::memcmp(value.Bytes, Bytes.constData(), std::size_t(size)) == 0;
      return equal == (Operator == coEQ);
    }
    return Holds(Operator, CompareText(value.Bytes, size));
  }

  bool Run(const TwoxCommon &store, const TwoxRecord &record) const {
    switch (Kind) {
    case skAnd: return Left->Run(store, record) && Right->Run(store, record);
    case skOr: return Left->Run(store, record) || Right->Run(store, record);
    case skNot: return !Left->Run(store, record);
    default: break;
    }
    QByteArray scratch;
    const TwoxValueView value = store.View(record, Field, Info, scratch);
    switch (Kind) {
    case skIsNull: return value.Null;
    case skNotNull: return !value.Null;
    case skText: return !value.Null && TextHolds(value);
    default:
      return !value.Null && Holds(Operator, Sign(MemCompare::StoredInteger(Type, value.Bytes), Integer));
    }
  }
};

namespace {

using TStep = TwoxFilterProgram::TStep;

// A stored data field the program can read, with its place in the record.
bool Readable(const TFilterNode &node, const TwoxCommon &store, TStep &step) {
  if (node.NodeClass != nodeFIELD || !node.Field || node.Field->FieldKind() != fkData)
    return false;
  const TwoxFieldInfo *info = store.FieldInfo(node.Field->FieldNo());
  if (!info)
    return false;
  step.Field = node.Field;
  step.Info = *info;
  step.Type = node.Field->DataType();
  return true;
}

std::unique_ptr<TStep> Comparison(const TFilterNode &node, const TwoxCommon &store) {
  if (node.Args.size() != 2)
    return nullptr;
  auto step = std::make_unique<TStep>();
  const bool fieldFirst = node.Args[0]->NodeClass == nodeFIELD;
  const TFilterNode &constant = *node.Args[fieldFirst ? 1 : 0];
  if (!Readable(*node.Args[fieldFirst ? 0 : 1], store, *step) || constant.NodeClass != nodeCONST ||
      !constant.Value.isValid())
    return nullptr;
  step->Operator = fieldFirst ? node.Operator : Mirrored(node.Operator);
  if (IsText(step->Type) && IsTextConstant(constant.DataType)) {
    // The steps read the text as TStringField reads it; a field of another class may read it
    // otherwise.
    const auto *field = dynamic_cast<const TStringField *>(step->Field);
    if (!field)
      return nullptr;
    step->Kind = TStep::skText;
    step->FieldSize = std::min(step->Info.DataSize, field->DataSize()) - 1;
    step->FixedChar = field->FixedChar();
    step->MayHoldNul = step->Info.OutsideIndex >= 0;
    step->Units = constant.Value.toString();
    for (const QChar c : step->Units)
      if (c.isSurrogate())
        return nullptr;
    step->CaseInsensitive = node.CaseInsensitive;
    step->PartialLength = node.PartialLength;
    if (step->PartialLength > 0)
      step->Units.truncate(step->PartialLength);
    if (step->CaseInsensitive)
      for (QChar &c : step->Units)
        c = QChar(QChar::toCaseFolded(c.unicode()));
    step->Encodable = Win1250::CanEncode(step->Units);
    if (step->Encodable)
      step->Bytes = Win1250::Encode(step->Units);
    return step;
  }
  if (IsWholeNumber(step->Type) && IsWholeNumber(constant.DataType)) {
    step->Kind = TStep::skWholeNumber;
    step->Integer = constant.Value.toLongLong();
    return step;
  }
  return nullptr;
}

std::unique_ptr<TStep> Compile(const TFilterNode &node, const TwoxCommon &store) {
  if ((node.NodeClass == nodeCOMPARE || node.NodeClass == nodeBINARY) && IsComparison(node.Operator))
    return Comparison(node, store);
  if (node.NodeClass == nodeBINARY && (node.Operator == coAND || node.Operator == coOR) &&
      node.Args.size() == 2) {
    auto step = std::make_unique<TStep>();
    step->Kind = node.Operator == coAND ? TStep::skAnd : TStep::skOr;
    step->Left = Compile(*node.Args[0], store);
    step->Right = Compile(*node.Args[1], store);
    return step->Left && step->Right ? std::move(step) : nullptr;
  }
  if (node.NodeClass == nodeUNARY && node.Args.size() == 1) {
    auto step = std::make_unique<TStep>();
    if (node.Operator == coNOT) {
      step->Kind = TStep::skNot;
      step->Left = Compile(*node.Args[0], store);
      return step->Left ? std::move(step) : nullptr;
    }
    if ((node.Operator == coISBLANK || node.Operator == coNOTBLANK) &&
        Readable(*node.Args[0], store, *step)) {
      step->Kind = node.Operator == coISBLANK ? TStep::skIsNull : TStep::skNotNull;
      return step;
    }
  }
  return nullptr;
}

} // namespace

TwoxFilterProgram::TwoxFilterProgram(const TwoxCommon &store, std::unique_ptr<TStep> root)
    : FStore(store), FRoot(std::move(root)), FLayoutSerial(store.LayoutSerial()) {}

TwoxFilterProgram::~TwoxFilterProgram() = default;

std::unique_ptr<TwoxFilterProgram> TwoxFilterProgram::Compile(const TFilterNode &root,
                                                              const TwoxCommon &store) {
  std::unique_ptr<TStep> step = ::Compile(root, store);
  return step ? std::unique_ptr<TwoxFilterProgram>(new TwoxFilterProgram(store, std::move(step))) : nullptr;
}

bool TwoxFilterProgram::Accepts(const TwoxRecord &record) const { return FRoot->Run(FStore, record); }
