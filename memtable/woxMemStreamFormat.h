#pragma once

#include "woxMemLoadGuard.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

class QIODevice;
class TDataSet;
class TField;
class TwoxCustomMemTable;

// Elements of the format's flag sets: the save element is bit 0, the load element bit 1.
enum TwoxStreamFlag : quint8 {
  sfSaveData = 1,
  sfLoadData = 2,
  sfSaveCalculated = 1,
  sfLoadCalculated = 2,
  sfSaveLookup = 1,
  sfLoadLookup = 2,
  sfSaveNonVisible = 1,
  sfLoadNonVisible = 2,
  sfSaveBlobs = 1,
  sfLoadBlobs = 2,
  sfSaveDef = 1,
  sfLoadDef = 2,
  sfSaveIndexDef = 1,
  sfLoadIndexDef = 2,
  sfSaveFiltered = 1,
  sfSaveIgnoreRange = 1,
  sfSaveIgnoreMasterDetail = 1,
  sfSaveDeltas = 1,
  sfLoadDeltas = 2,
  sfSaveDontFilterDeltas = 1,
  sfSaveAppend = 1,
  sfSaveInsert = 2,
  sfSaveFieldKind = 1,
  sfLoadFieldKind = 2,
  sfLoadFromStart = 2,
  sfSaveLocalFormat = 1,
  sfLoadLocalFormat = 2,
  sfSaveNoHeader = 1,
  sfLoadNoHeader = 2,
  sfSaveQuoteOnlyStrings = 1,
  sfSavePlaceholders = 1,
};
using TwoxStreamFlags = quint8;

// The layout of a memory table in a stream: the table drives these steps, a concrete format
// fills them in.
class TwoxCustomStreamFormat : public QObject {
  friend class TwoxCustomMemTable;

public:
  explicit TwoxCustomStreamFormat(QObject *owner = nullptr);

  virtual void Assign(const TwoxCustomStreamFormat &source);
  QString Version() const { return GetVersion(); }
  void SetVersion(const QString &) {}

  // --- the flag sets
  TwoxStreamFlags sfData() const { return FData; }
  void SetsfData(TwoxStreamFlags value) { FData = value; }
  TwoxStreamFlags sfCalculated() const { return FCalculated; }
  void SetsfCalculated(TwoxStreamFlags value) { FCalculated = value; }
  TwoxStreamFlags sfLookup() const { return FLookup; }
  void SetsfLookup(TwoxStreamFlags value) { FLookup = value; }
  TwoxStreamFlags sfNonVisible() const { return FNonVisible; }
  void SetsfNonVisible(TwoxStreamFlags value) { FNonVisible = value; }
  TwoxStreamFlags sfBlobs() const { return FBlobs; }
  void SetsfBlobs(TwoxStreamFlags value) { FBlobs = value; }
  TwoxStreamFlags sfDef() const { return FDef; }
  void SetsfDef(TwoxStreamFlags value) { FDef = value; }
  TwoxStreamFlags sfIndexDef() const { return FIndexDef; }
  void SetsfIndexDef(TwoxStreamFlags value) { FIndexDef = value; }
  TwoxStreamFlags sfFiltered() const { return FFiltered; }
  void SetsfFiltered(TwoxStreamFlags value) { FFiltered = value; }
  TwoxStreamFlags sfIgnoreRange() const { return FIgnoreRange; }
  void SetsfIgnoreRange(TwoxStreamFlags value) { FIgnoreRange = value; }
  TwoxStreamFlags sfIgnoreMasterDetail() const { return FIgnoreMasterDetail; }
  void SetsfIgnoreMasterDetail(TwoxStreamFlags value) { FIgnoreMasterDetail = value; }
  TwoxStreamFlags sfDeltas() const { return FDeltas; }
  void SetsfDeltas(TwoxStreamFlags value) { FDeltas = value; }
  TwoxStreamFlags sfDontFilterDeltas() const { return FDontFilterDeltas; }
  void SetsfDontFilterDeltas(TwoxStreamFlags value) { FDontFilterDeltas = value; }
  TwoxStreamFlags sfAppend() const { return FAppend; }
  void SetsfAppend(TwoxStreamFlags value) { FAppend = value; }
  TwoxStreamFlags sfFieldKind() const { return FFieldKind; }
  void SetsfFieldKind(TwoxStreamFlags value) { FFieldKind = value; }
  TwoxStreamFlags sfFromStart() const { return FFromStart; }
  void SetsfFromStart(TwoxStreamFlags value) { FFromStart = value; }

  // --- events
  std::function<void(TwoxCustomStreamFormat *Sender)> OnBeforeSave, OnAfterSave, OnBeforeLoad, OnAfterLoad;
  std::function<void(TDataSet *, QIODevice *UnCompressedStream, QIODevice *CompressedStream)> OnCompress;
  std::function<void(TDataSet *, QIODevice *CompressedStream, QIODevice *DeCompressedStream)> OnDeCompress;
  std::function<void(TwoxCustomStreamFormat *Sender, TField *Field, bool &Null, QString &Data)>
      OnFormatSaveField, OnFormatLoadField;

protected:
  virtual QString GetVersion() const { return QStringLiteral("1.00"); }
  virtual void DetermineSaveFields(TwoxCustomMemTable &table);
  virtual void BeforeSave(TwoxCustomMemTable &table);
  virtual void SaveDefinitions(TwoxCustomMemTable &) {}
  virtual void SaveRecords(TwoxCustomMemTable &) {}
  virtual void Save(TwoxCustomMemTable &table);
  virtual void AfterSave(TwoxCustomMemTable &table);
  virtual void GetColumnNames(TwoxCustomMemTable &table, QStringList &names, int pass);
  virtual void DetermineLoadFields(TwoxCustomMemTable &table, int pass);
  virtual void FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass, int &fieldIndex);
  virtual void BeforeLoad(TwoxCustomMemTable &table);
  virtual void LoadDefinitions(TwoxCustomMemTable &) {}
  virtual void LoadRecords(TwoxCustomMemTable &) {}
  virtual void Load(TwoxCustomMemTable &table);
  virtual void AfterLoad(TwoxCustomMemTable &table);

  QIODevice *WorkStream() const { return FWorkStream; }
  // The results a load or save reports on the table.
  static void SetLoadResult(TwoxCustomMemTable &table, int count, bool completely);
  static void SetSaveResult(TwoxCustomMemTable &table, int count, bool completely);
  // Builds the table's indexes again from its IndexDefs (when it is open).
  static void RebuildIndexesFromDefs(TwoxCustomMemTable &table);
  // What a load changed, given back when it fails; a concrete format closes the table for new
  // definitions through it.
  TwoxLoadGuard &LoadGuard() { return FLoadGuard; }
  // Per table field: its index when saved, else -1.
  const std::vector<int> &SaveFields() const { return FSaveFields; }
  // Per incoming column: the index of the receiving table field, else -1.
  const std::vector<int> &LoadFields() const { return FLoadFields; }

private:
  void ReleaseStreams();
  bool TakesPart(const TField &field, TwoxStreamFlags element) const;

  TwoxStreamFlags FData = sfSaveData | sfLoadData, FCalculated = 0, FLookup = 0,
                  FNonVisible = sfSaveNonVisible | sfLoadNonVisible, FBlobs = sfSaveBlobs | sfLoadBlobs,
                  FDef = sfSaveDef | sfLoadDef, FIndexDef = sfSaveIndexDef | sfLoadIndexDef,
                  FFiltered = sfSaveFiltered, FIgnoreRange = sfSaveIgnoreRange,
                  FIgnoreMasterDetail = sfSaveIgnoreMasterDetail, FDeltas = 0, FDontFilterDeltas = 0,
                  FAppend = 0, FFieldKind = sfSaveFieldKind, FFromStart = sfLoadFromStart;
  QIODevice *FTargetStream = nullptr;
  QIODevice *FWorkStream = nullptr;
  bool FOwnsWorkStream = false;
  // Set once Before* has taken the table (controls, lock); After* gives it back only then.
  bool FLocked = false;
  // Set by the table when Before* or the middle step failed: After* then undoes a load.
  bool FStepFailed = false;
  TwoxLoadGuard FLoadGuard;
  QByteArray FBookmark;
  bool FWasFiltered = false, FWasRangeActive = false, FWasMasterDetailActive = false;
  bool FWasEnableIndexes = true, FWasPersistent = false;
  std::vector<int> FSaveFields;
  std::vector<int> FLoadFields;
};
