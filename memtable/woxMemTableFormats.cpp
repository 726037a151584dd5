// TwoxCustomMemTable: saving and loading through stream formats, files and the persistent file.
#include "woxMemTable.h"

#include "Exceptions.h"
#include "TextFile.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void NoFormat() { MemTableError(QStringLiteral("No format specified.")); }

} // namespace

// Runs the three steps of a save or load: the last one also when an earlier one fails (it gives
// back only what was taken), and the format lets go of the streams in any case.
void TwoxCustomMemTable::RunFormatSteps(QIODevice *stream, TwoxCustomStreamFormat *format,
                                        void (TwoxCustomStreamFormat::*before)(TwoxCustomMemTable &),
                                        void (TwoxCustomStreamFormat::*middle)(TwoxCustomMemTable &),
                                        void (TwoxCustomStreamFormat::*after)(TwoxCustomMemTable &)) {
  if (!format)
    NoFormat();
  format->FTargetStream = stream;
  try {
    try {
      (format->*before)(*this);
      (format->*middle)(*this);
    } catch (...) {
      (format->*after)(*this);
      throw;
    }
    (format->*after)(*this);
  } catch (...) {
    format->ReleaseStreams();
    throw;
  }
  format->ReleaseStreams();
}

void TwoxCustomMemTable::SaveToStreamViaFormat(QIODevice *stream, TwoxCustomStreamFormat *format) {
  RunFormatSteps(stream, format, &TwoxCustomStreamFormat::BeforeSave, &TwoxCustomStreamFormat::Save,
                 &TwoxCustomStreamFormat::AfterSave);
}

void TwoxCustomMemTable::LoadFromStreamViaFormat(QIODevice *stream, TwoxCustomStreamFormat *format) {
  RunFormatSteps(stream, format, &TwoxCustomStreamFormat::BeforeLoad, &TwoxCustomStreamFormat::Load,
                 &TwoxCustomStreamFormat::AfterLoad);
}

void TwoxCustomMemTable::SaveToFileViaFormat(const QString &fileName, TwoxCustomStreamFormat *format) {
  CheckActive();
  if (!format)
    NoFormat();
  // The file is made in memory and written whole, so a failed save leaves the old file intact.
  QByteArray bytes;
  const bool append = (format->sfAppend() & sfSaveAppend) && QFileInfo::exists(fileName);
  if (append) {
    QFile existing(fileName);
    if (!existing.open(QIODevice::ReadOnly))
      throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, existing.errorString()));
    bytes = existing.readAll();
  }
  QBuffer stream(&bytes);
  stream.open(QIODevice::ReadWrite);
  if (append)
    stream.seek(stream.size());
  if (OnSave)
    OnSave(this, 3, &stream);
  SaveToStreamViaFormat(&stream, format);
  stream.close();
  TextFile::WriteBytes(fileName, bytes);
}

void TwoxCustomMemTable::LoadFromFileViaFormat(const QString &fileName, TwoxCustomStreamFormat *format) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(fileName), file.errorString()));
  if (OnLoad)
    OnLoad(this, 3, &file);
  LoadFromStreamViaFormat(&file, format);
}

void TwoxCustomMemTable::LoadFromStream(QIODevice *stream, TwoxCustomStreamFormat *format) {
  if (OnLoad)
    OnLoad(this, 1, stream);
  LoadFromStreamViaFormat(stream, format);
}

// ---------------------------------------------------------------- the persistent file

void TwoxCustomMemTable::LoadPersistentFile() {
  FPersistentSaved = false;
  if (!FPersistent || FPersistentFile.isEmpty() || !QFileInfo::exists(FPersistentFile))
    return;
  LoadFromFileViaFormat(FPersistentFile, FPersistentFormat);
  First();
}

void TwoxCustomMemTable::SavePersistentFile() {
  if (FPersistentSaved || !FPersistent || FPersistentFile.isEmpty() || !FPersistentFormat || !Active())
    return;
  FPersistentSaved = true;
  const QFileInfo info(FPersistentFile);
  const QString stem = info.path() + u'/' + info.completeBaseName();
  const QString temporary = stem + QStringLiteral(".$$$");
  SaveToFileViaFormat(temporary, FPersistentFormat);
  if (FPersistentBackup) {
    QString extension = FPersistentBackupExt;
    if (!extension.isEmpty() && !extension.startsWith(u'.'))
      extension.prepend(u'.');
    const QString backup = stem + extension;
    QFile::remove(backup);
    QFile::rename(FPersistentFile, backup);
  } else {
    QFile::remove(FPersistentFile);
  }
  if (!QFile::rename(temporary, FPersistentFile))
    throw EInOutError(QStringLiteral("Cannot rename \"%1\" to \"%2\"").arg(temporary, FPersistentFile));
}

// ---------------------------------------------------------------- record access for formats

void TwoxCustomMemTable::BeginRecordAccess() {
  FAccessSavedBuffer = FilterBuffer();
  SetFilterBuffer(FFilterScratch);
  FAccessSavedState = SetTempState(dsFilter);
}

void TwoxCustomMemTable::AccessRecord(TwoxRecord &record) {
  TwoxBuffer *scratch = Buf(FFilterScratch);
  scratch->View = &record;
  scratch->Calc.fill('\0');
  SetFilterBuffer(FFilterScratch);
  GetCalcFields(FFilterScratch);
}

void TwoxCustomMemTable::EndRecordAccess() {
  RestoreState(FAccessSavedState);
  SetFilterBuffer(FAccessSavedBuffer);
  Buf(FFilterScratch)->View = nullptr;
}
