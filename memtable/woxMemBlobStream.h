#pragma once

#include "DBTypes.h"

#include <QBuffer>
#include <QPointer>

class TField;
class TwoxCustomMemTable;
class TwoxRecord;

// A memory copy of one blob field value of the table's active record buffer; a changed value is
// written back into the buffer when the stream is freed (an empty value is null).
class TwoxBlobStream : public QBuffer {
public:
  TwoxBlobStream(TwoxCustomMemTable *table, TField *field, TBlobStreamMode mode);
  ~TwoxBlobStream() override;

protected:
  qint64 writeData(const char *data, qint64 length) override;

private:
  bool RecordStillEdited() const;
  void StoreValue();

  QPointer<TwoxCustomMemTable> FTable;
  TField *FField;
  TBlobStreamMode FMode;
  TwoxRecord *FRecord; // the record copy inside the active buffer
  quint64 FEditSerial;
  bool FModified = false;
};
