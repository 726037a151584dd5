#include "MatrixFixture.h"

#include "DB.h"
#include "GridInput.h"
#include "ProgramFolder.h"
#include "StdCtrls.h"
#include "woxMemTable.h"

#include <QFile>
#include <QTest>
#include <sys/fsuid.h>
#include <unistd.h>

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

namespace {
constexpr uid_t kNobody = 65534;
constexpr QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                               QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : FPath(path) {
  QFile::setPermissions(FPath, kReadOnlyFolder);
  if (geteuid() == 0)
    setfsuid(kNobody);
}

ReadOnlyFolder::~ReadOnlyFolder() {
  if (geteuid() == 0)
    setfsuid(0);
  QFile::setPermissions(FPath, kReadOnlyFolder | QFile::WriteOwner);
}

QDateTime MatrixRunTime() { return QDateTime(QDate(2026, 12, 10), QTime(9, 5, 30)); }

QByteArray MatrixPageHead() {
  return "<HTML>\r\n<HEAD>\r\n"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1250\">\r\n"
         "</HEAD>\r\n<BODY>\r\n"
         "<table border=\"0\">\r\n<tr><td>Matryca uprawnie\xF1</td></tr>\r\n"
         "<tr><td>Wygenerowano dnia: 10.12.2026 09:05:30</td></tr>\r\n</table>"
         "<table border=\"1\">\r\n<tr>\r\n<td>&nbsp</td>\r\n";
}

QByteArray MatrixPageTail() { return "</table>\r\n</BODY>\r\n</HTML>\r\n"; }

QStringList ListedRows(TDataSet &table) {
  QStringList rows;
  for (table.First(); !table.Eof(); table.Next())
    rows << table.FieldByName("Nazwa")->AsString() + u'|' + table.FieldByName("Baza")->AsString() + u'|' +
                table.FieldByName("Grupa")->AsString();
  return rows;
}

QStringList ListedRows(TMatrycaUprawnien &form) { return ListedRows(*form.TableBazy); }

void MatrixListTest::SetUp() {
  GridInput::UseStableLook();
  SetProgramFolder(Folder.path());
}

void MatrixListTest::TearDown() {
  Form.reset();
  SetProgramFolder(QString());
}

void MatrixListTest::OpenWindow() {
  Form = std::make_unique<TMatrycaUprawnien>();
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
}

void MatrixListTest::Click(TButton *button) {
  button->click();
  QApplication::processEvents();
}
