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
// to a block of its own, and so does the data of a record that keeps a previous version (versioning
// is rare, so the header holds no room for one). Outside values are implicitly shared between copies.
class TwoxRecord {
public:
  int RecordID = -1;
  int UniqueRecordID = -1;
  int TransactionLevel = -1;
  quint8 Flags = 0;
  quint8 UpdateStatus = mtusUnmodified;

private:
  // Placed here so that the header packs into 24 bytes.
  quint16 FOutsideCount : 15;
  quint16 FOnHeap : 1;
  quint32 FSize = 0;
  quint32 FCapacity; // of the inline area

public:
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

  // The older copy of the record kept by versioning, or nullptr.
  TwoxRecord *PreviousVersion() const;
  std::unique_ptr<TwoxRecord> TakePreviousVersion();
  void SetPreviousVersion(std::unique_ptr<TwoxRecord> previous);
  // A copy of the record as it is now becomes its previous version, before the older ones.
  void KeepVersion();

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
  // Where the data went once it left the inline area, which then holds this.
  struct THeapRef {
    char *Data;
    TwoxRecord *Previous; // owned
    quint32 Capacity;
  };
  THeapRef HeapRef() const {
    THeapRef ref;
    std::memcpy(&ref, InlineArea(), sizeof ref);
    return ref;
  }
  void SetHeapRef(const THeapRef &ref);
  char *HeapData() const {
    char *data; // the first member of THeapRef
    std::memcpy(&data, InlineArea(), sizeof data);
    return data;
  }
  // Moves the data to a block of its own with room for capacity bytes.
  void MoveDataToHeap(quint32 capacity);
};
