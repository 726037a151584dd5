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
// table of many small records costs little more than their bytes; data that outgrows that room (or
// 64 KiB) moves to a block of its own, and so does the data of a record that keeps a previous version
// (versioning is rare, so the header holds no room for one). Outside values are implicitly shared
// between copies.
class TwoxRecord {
public:
  int RecordID = -1;
  int UniqueRecordID = -1;
  int TransactionLevel = -1;
  quint8 Flags = 0;
  quint8 UpdateStatus = mtusUnmodified;

private:
  // Placed here so that the header packs into 20 bytes: sizes of the inline area are 16-bit, those
  // of data in a block of its own live in its heap reference.
  quint16 FOutsideCount : 15;
  quint16 FOnHeap : 1;
  quint16 FSize = 0;     // while inline
  quint16 FCapacity = 0; // of the inline area

public:
  // A cleared record with dataSize zero bytes and outsideCount empty outside values.
  static std::unique_ptr<TwoxRecord> New(int dataSize, int outsideCount);
  ~TwoxRecord();
  TwoxRecord(const TwoxRecord &) = delete;
  TwoxRecord &operator=(const TwoxRecord &) = delete;
  static void operator delete(void *block) { ::operator delete(block); }

  char *Data() { return FOnHeap ? HeapRef().Data : InlineArea(); }
  const char *Data() const { return FOnHeap ? HeapRef().Data : InlineArea(); }
  int DataSize() const { return FOnHeap ? int(HeapRef().Size) : int(FSize); }
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
  // The outside values follow the header, aligned for their pointers; the inline area follows them.
  static std::size_t OutsidesOffset(int outsideCount) {
    return outsideCount == 0
               ? sizeof(TwoxRecord)
               : (sizeof(TwoxRecord) + alignof(TwoxOutsideValue) - 1) & ~(alignof(TwoxOutsideValue) - 1);
  }
  static std::size_t InlineOffset(int outsideCount) {
    return OutsidesOffset(outsideCount) + sizeof(TwoxOutsideValue) * std::size_t(outsideCount);
  }
  TwoxOutsideValue *Outsides() const {
    return reinterpret_cast<TwoxOutsideValue *>(reinterpret_cast<char *>(const_cast<TwoxRecord *>(this)) +
                                                OutsidesOffset(FOutsideCount));
  }
  char *InlineArea() const {
    return reinterpret_cast<char *>(const_cast<TwoxRecord *>(this)) + InlineOffset(FOutsideCount);
  }
  // Where the data went once it left the inline area, which then holds this.
  struct THeapRef {
    char *Data;
    TwoxRecord *Previous; // owned
    quint32 Capacity;
    quint32 Size;
  };
  THeapRef HeapRef() const {
    THeapRef ref;
    std::memcpy(&ref, InlineArea(), sizeof ref);
    return ref;
  }
  void SetHeapRef(const THeapRef &ref);
  // Moves the data to a block of its own with room for capacity bytes.
  void MoveDataToHeap(quint32 capacity);
};
