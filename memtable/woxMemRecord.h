#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstring>
#include <memory>

enum TwoxUpdateStatus : quint8 { mtusUnmodified, mtusModified, mtusInserted, mtusDeleted };

// Bit of a record's flag byte.
constexpr quint8 mtrfFilled = 1;

// A value held outside the record: State 0 = none (null), 2 = stored.
struct TwoxOutsideValue {
  quint8 State = 0;
  QByteArray Block;
};

// One record: the header, its outside-stored values and its field data (laid out by the store, see
// TwoxCommon). A record is made by New with room for its data in the same memory block, so that a
// table of many small records costs little more than their bytes; data that outgrows that room moves
// to a block of its own. Outside values are implicitly shared between copies.
class TwoxRecord {
public:
  int RecordID = -1;
  int UniqueRecordID = -1;
  int TransactionLevel = -1;
  quint8 Flags = 0;
  quint8 UpdateStatus = mtusUnmodified;

private:
  // Placed here so that the header packs into 32 bytes.
  quint16 FOutsideCount : 15;
  quint16 FOnHeap : 1;
  quint32 FSize = 0;
  quint32 FCapacity; // of the inline area

public:
  std::unique_ptr<TwoxRecord> PreviousVersion;

  // A cleared record with dataSize zero bytes and outsideCount empty outside values.
  static std::unique_ptr<TwoxRecord> New(int dataSize, int outsideCount);
  ~TwoxRecord();
  TwoxRecord(const TwoxRecord &) = delete;
  TwoxRecord &operator=(const TwoxRecord &) = delete;
  static void operator delete(void *block) { ::operator delete(block); }

  char *Data() { return FOnHeap ? HeapData() : InlineArea(); }
  const char *Data() const { return FOnHeap ? HeapData() : InlineArea(); }
  int DataSize() const { return int(FSize); }
  // Keeps the first bytes; new bytes are zero.
  void ResizeData(int size);
  int OutsideCount() const { return FOutsideCount; }
  TwoxOutsideValue &Outside(int index) { return Outsides()[index]; }
  const TwoxOutsideValue &Outside(int index) const { return Outsides()[index]; }

  // Header, data and outside values; the previous versions only when withVersions.
  std::unique_ptr<TwoxRecord> Copy(bool withVersions = false) const;
  // Data and outside values of a record of the same layout.
  void CopyDataFrom(const TwoxRecord &source);

private:
  TwoxRecord(int capacity, int outsideCount);
  TwoxOutsideValue *Outsides() const {
    return reinterpret_cast<TwoxOutsideValue *>(const_cast<TwoxRecord *>(this) + 1);
  }
  char *InlineArea() const { return reinterpret_cast<char *>(Outsides() + FOutsideCount); }
  char *HeapData() const {
    char *data;
    std::memcpy(&data, InlineArea(), sizeof data);
    return data;
  }
  void SetHeapData(char *data, quint32 capacity);
  quint32 HeapCapacity() const;
};
