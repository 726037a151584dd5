#pragma once

#include "ScriptedDialogs.h"
#include "UMatrycaUprawnien.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TDataSet;

// The bytes of a file; empty when there is none.
QByteArray FileBytes(const QString &path);
void WriteFileBytes(const QString &path, const QByteArray &bytes);

// For its lifetime the folder takes no new files and no renames: its mode is 0555 and, for root,
// whom modes do not stop, file checks of this thread run as nobody.
class ReadOnlyFolder {
public:
  explicit ReadOnlyFolder(const QString &path);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder &) = delete;
  ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

private:
  QString FPath;
};

// The time the matrix tests run at, and the fixed start of a page made then (up to the header
// row's corner cell) and its fixed end, as the file holds them.
QDateTime MatrixRunTime();
QByteArray MatrixPageHead();
QByteArray MatrixPageTail();

// The text of the rows of a database list: "Nazwa|Baza|Grupa" per row, in table order; of the list
// window's table.
QStringList ListedRows(TDataSet &table);
QStringList ListedRows(TMatrycaUprawnien &form);

// The database list window over a folder of the test's own, which stands for the program's folder.
class MatrixListTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  QString ListPath() const { return Folder.filePath(QStringLiteral("bazy.txt")); }
  // Builds the window, which reads "bazy.txt" as it now stands, and shows it.
  void OpenWindow();
  // Clicks the button as a person would: an error reaches the application's handler.
  void Click(TButton *button);

  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  std::unique_ptr<TMatrycaUprawnien> Form;
};
