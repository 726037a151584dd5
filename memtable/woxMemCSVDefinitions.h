#pragma once

#include "DBTypes.h"

#include <QString>
#include <functional>
#include <vector>

class TFieldDefs;
class TIndexDefs;
class TwoxCustomMemTable;

// The definitions section of a CSV file, read line by line and checked before the table takes any of
// it: field lines, index lines and the section markers. Errors are EMemTableError naming the line.
class TwoxCSVDefinitions {
public:
  enum TStep {
    stContinue, // a line of the section
    stApply,    // what was read is to be given to the table now
    stEnd       // the first line after the section: a header or a record
  };

  // load: the definitions are taken (sfLoadDef), else only the markers count. unquote removes one
  // level of quoting from a whole line.
  TwoxCSVDefinitions(bool load, std::function<QString(const QString &)> unquote);

  TStep Read(const QString &line, const QString &firstToken, int lineNumber);

  bool Load() const { return FLoad; }
  bool InsideTable() const { return FInTable; }
  // Since the last stApply: new field definitions, new index definitions, the table section's end.
  bool HasTable() const { return FTableStarted; }
  bool HasIndexes() const { return FIndexesStarted; }
  bool ReachedTableEnd() const { return FTableEnded; }
  // The table took what stApply offered.
  void Applied() { FTableStarted = FIndexesStarted = FTableEnded = false; }

  // Refuses fields that differ from those of the table this one is attached to: the records are laid
  // out by the owner's definitions.
  void CheckSameFields(const TFieldDefs &owner) const;
  // Clears the table's definitions and fields and makes them from the field lines.
  void CreateFields(TwoxCustomMemTable &table) const;
  void SetIndexDefs(TIndexDefs &defs) const;

private:
  struct TFieldSpec {
    QString Name;
    TFieldType Type = ftUnknown;
    int Size = 0;
    bool Required = false, ReadOnly = false, Invisible = false;
    QString Label, Mask, DefaultExpression;
    int DisplayWidth = 0;
    TFieldKind Kind = fkData;
    int Line = 0;
  };
  struct TIndexSpec {
    QString Name, Fields, DisplayName;
    TIndexOptions Options;
    int Line = 0;
  };

  void ReadField(const QString &line, const QString &firstToken, int lineNumber);
  void ReadIndex(const QString &line, int lineNumber);

  bool FLoad;
  std::function<QString(const QString &)> FUnquote;
  bool FInTable = false, FInIndex = false;
  bool FTableStarted = false, FIndexesStarted = false, FTableEnded = false;
  int FTableEndLine = 0;
  std::vector<TFieldSpec> FFields;
  std::vector<TIndexSpec> FIndexes;
};
