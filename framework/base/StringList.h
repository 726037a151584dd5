#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The text enclosed in the quote character, every quote character inside doubled.
QString AnsiQuotedStr(const QString &text, QChar quote);
// One item as a comma text writes it: in double quotes when it holds a blank or control character, a
// comma or a double quote.
QString CommaTextItem(const QString &text);

// A list of strings with optional sorting, name=value access and the comma/line text forms that
// configuration and forms rely on. Comparisons ignore case unless CaseSensitive is set.
class TStringList {
public:
  enum TDuplicates { dupIgnore, dupAccept, dupError };

  TStringList() = default;
  explicit TStringList(const QStringList &lines);

  int Count() const { return static_cast<int>(FItems.size()); }
  const QString &Strings(int index) const;
  const QString &operator[](int index) const { return Strings(index); }
  void SetStrings(int index, const QString &value);
  void *Objects(int index) const;
  void SetObjects(int index, void *object);

  int Add(const QString &value);
  int AddObject(const QString &value, void *object);
  void AddStrings(const TStringList &other);
  void Insert(int index, const QString &value);
  void Delete(int index);
  void Clear();
  void Exchange(int a, int b);

  int IndexOf(const QString &value) const;
  int IndexOfName(const QString &name) const;
  // Binary search of a sorted list; Index is where the value is or would be inserted.
  bool Find(const QString &value, int &index) const;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  void Sort();
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }

  QString Names(int index) const;
  QString ValueFromIndex(int index) const;
  QString Values(const QString &name) const;
  // An empty value removes the name.
  void SetValues(const QString &name, const QString &value);

  // Every line followed by CR LF.
  QString Text() const;
  void SetText(const QString &text);
  QString CommaText() const;
  void SetCommaText(const QString &text);

  QStringList ToStringList() const;
  void Assign(const QStringList &lines);

  // Windows-1250, CR LF; SaveToFile writes the file whole or leaves the old one.
  void LoadFromFile(const QString &fileName);
  void SaveToFile(const QString &fileName) const;

  bool operator==(const TStringList &other) const { return ToStringList() == other.ToStringList(); }

private:
  struct Item {
    QString Value;
    void *Object = nullptr;
  };
  int Compare(const QString &a, const QString &b) const;
  void CheckIndex(int index) const;
  int InsertSorted(const QString &value, void *object);

  std::vector<Item> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};
