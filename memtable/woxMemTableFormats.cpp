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
#include <filesystem>

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
  format->FStepFailed = false;
  try {
    try {
      (format->*before)(*this);
      (format->*middle)(*this);
    } catch (...) {
      format->FStepFailed = true;
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
  // The formats read in blocks of their own: no second buffer in between.
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
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

// ---------------------------------------------------------------- data stored on a form

void TwoxCustomMemTable::WriteData(QIODevice *stream) {
  if (DataStored())
    SaveToStreamViaFormat(stream, FFormFormat);
}

void TwoxCustomMemTable::ReadData(QIODevice *stream) {
  FFormData = std::make_unique<QByteArray>(stream->readAll());
}

void TwoxCustomMemTable::LoadFormData() {
  const std::unique_ptr<QByteArray> bytes = std::move(FFormData);
  if (!bytes || !FStoreDataOnForm)
    return;
  QBuffer stream(bytes.get());
  stream.open(QIODevice::ReadOnly);
  LoadFromStream(&stream, FFormFormat);
}

// ---------------------------------------------------------------- the persistent file

void TwoxCustomMemTable::LoadPersistentFile() {
  FPersistentSaved = false;
  if (!FPersistent || FPersistentFile.isEmpty() || !QFileInfo::exists(FPersistentFile))
    return;
  LoadFromFileViaFormat(FPersistentFile, FPersistentFormat);
  First();
}

// The new content is written whole beside the file and then put in its place with one rename, so
// that a crash at any moment leaves the old file or the new one, never neither. The backup is a
// second name of the old file (a copy where the file system has no hard links).
void TwoxCustomMemTable::SavePersistentFile() {
  if (FPersistentSaved || !FPersistent || FPersistentFile.isEmpty() || !FPersistentFormat || !Active())
    return;
  FPersistentSaved = true;
  const QFileInfo info(FPersistentFile);
  const QString stem = info.path() + u'/' + info.completeBaseName();
  const QString temporary = stem + QStringLiteral(".$$$");
  SaveToFileViaFormat(temporary, FPersistentFormat);
  namespace fs = std::filesystem;
  const fs::path file = FPersistentFile.toStdU16String(), staged = temporary.toStdU16String();
  std::error_code error;
  if (FPersistentBackup && fs::exists(file, error)) {
    QString extension = FPersistentBackupExt;
    if (!extension.isEmpty() && !extension.startsWith(u'.'))
      extension.prepend(u'.');
    const fs::path backup = (stem + extension).toStdU16String();
    if (backup != file) {
      fs::remove(backup, error);
      fs::create_hard_link(file, backup, error);
      if (error && !fs::copy_file(file, backup, fs::copy_options::overwrite_existing, error))
        throw EInOutError(
            QStringLiteral("Cannot keep the backup \"%1\": %2")
                .arg(QString::fromStdU16String(backup.u16string()), QString::fromStdString(error.message())));
    }
  }
  fs::rename(staged, file, error);
  if (error)
    throw EInOutError(QStringLiteral("Cannot rename \"%1\" to \"%2\": %3")
                          .arg(temporary, FPersistentFile, QString::fromStdString(error.message())));
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
