#include "StringList.h"

#include "Exceptions.h"
#include "TextFile.h"

#include <algorithm>

TStringList::TStringList(const QStringList &lines) { Assign(lines); }

int TStringList::Compare(const QString &a, const QString &b) const {
  return QString::compare(a, b, FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

const QString &TStringList::Strings(int index) const {
  CheckIndex(index);
  return FItems[index].Value;
}

void TStringList::SetStrings(int index, const QString &value) {
  CheckIndex(index);
  if (FSorted)
    throw Exception(QStringLiteral("Operation not allowed on sorted list"));
  FItems[index].Value = value;
}

void *TStringList::Objects(int index) const {
  CheckIndex(index);
  return FItems[index].Object;
}

void TStringList::SetObjects(int index, void *object) {
  CheckIndex(index);
  FItems[index].Object = object;
}

int TStringList::Add(const QString &value) { return AddObject(value, nullptr); }

int TStringList::AddObject(const QString &value, void *object) {
  if (FSorted)
    return InsertSorted(value, object);
  FItems.push_back({value, object});
  return Count() - 1;
}

int TStringList::InsertSorted(const QString &value, void *object) {
  int index = 0;
  if (Find(value, index)) {
    if (FDuplicates == dupIgnore)
      return index;
    if (FDuplicates == dupError)
      throw Exception(QStringLiteral("String list does not allow duplicates"));
  }
  FItems.insert(FItems.begin() + index, {value, object});
  return index;
}

void TStringList::AddStrings(const TStringList &other) {
  for (const Item &item : other.FItems)
    AddObject(item.Value, item.Object);
}

void TStringList::Insert(int index, const QString &value) {
  if (FSorted)
    throw Exception(QStringLiteral("Operation not allowed on sorted list"));
  if (index < 0 || index > Count())
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
  FItems.insert(FItems.begin() + index, {value, nullptr});
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
}

void TStringList::Clear() { FItems.clear(); }

void TStringList::Exchange(int a, int b) {
  CheckIndex(a);
  CheckIndex(b);
  std::swap(FItems[a], FItems[b]);
}

int TStringList::IndexOf(const QString &value) const {
  if (FSorted) {
    int index = 0;
    return Find(value, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(FItems[i].Value, value) == 0)
      return i;
  return -1;
}

int TStringList::IndexOfName(const QString &name) const {
  for (int i = 0; i < Count(); ++i) {
    const QString &line = FItems[i].Value;
    const qsizetype eq = line.indexOf(u'=');
    if (eq >= 0 && Compare(line.left(eq), name) == 0)
      return i;
  }
  return -1;
}

bool TStringList::Find(const QString &value, int &index) const {
  int low = 0;
  int high = Count() - 1;
  bool found = false;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = Compare(FItems[mid].Value, value);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept)
          low = mid;
      }
    }
  }
  index = low;
  return found;
}

void TStringList::SetSorted(bool value) {
  if (FSorted == value)
    return;
  if (value)
    Sort();
  FSorted = value;
}

void TStringList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item &a, const Item &b) { return Compare(a.Value, b.Value) < 0; });
}

void TStringList::SetCaseSensitive(bool value) {
  if (FCaseSensitive == value)
    return;
  FCaseSensitive = value;
  if (FSorted)
    Sort();
}

QString TStringList::Names(int index) const {
  const QString &line = Strings(index);
  const qsizetype eq = line.indexOf(u'=');
  return eq >= 0 ? line.left(eq) : QString();
}

QString TStringList::ValueFromIndex(int index) const {
  const QString &line = Strings(index);
  const qsizetype eq = line.indexOf(u'=');
  return eq >= 0 ? line.mid(eq + 1) : QString();
}

QString TStringList::Values(const QString &name) const {
  const int index = IndexOfName(name);
  return index >= 0 ? ValueFromIndex(index) : QString();
}

void TStringList::SetValues(const QString &name, const QString &value) {
  const int index = IndexOfName(name);
  if (value.isEmpty()) {
    if (index >= 0)
      Delete(index);
    return;
  }
  const QString line = name + u'=' + value;
  if (index < 0)
    Add(line);
  else if (FSorted) {
    Delete(index);
    Add(line);
  } else
    FItems[index].Value = line;
}

QString TStringList::Text() const {
  QString text;
  for (const Item &item : FItems)
    text += item.Value + QStringLiteral("\r\n");
  return text;
}

void TStringList::SetText(const QString &text) {
  Clear();
  QString line;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\r' || c == u'\n') {
      Add(line);
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
        ++i;
    } else {
      line.append(c);
    }
  }
  if (!line.isEmpty())
    Add(line);
}

QString AnsiQuotedStr(const QString &text, QChar quote) {
  QString copy = text;
  return quote + copy.replace(quote, QString(2, quote)) + quote;
}

QString CommaTextItem(const QString &text) {
  const bool needsQuotes =
      std::any_of(text.begin(), text.end(), [](QChar c) { return c <= u' ' || c == u'"' || c == u','; });
  return needsQuotes ? AnsiQuotedStr(text, u'"') : text;
}

namespace {
bool IsBlank(QChar c) { return c != QChar(0) && c <= u' '; }
} // namespace

QString TStringList::CommaText() const {
  if (Count() == 1 && FItems[0].Value.isEmpty())
    return QStringLiteral("\"\"");
  QStringList parts;
  for (const Item &item : FItems)
    parts.append(CommaTextItem(item.Value));
  return parts.join(u',');
}

// The text ends at its first NUL, as the classic reading of a C string did; a delimiter at the very end
// gives one more, empty item, so that writing and reading a list of empty items agree.
void TStringList::SetCommaText(const QString &text) {
  Clear();
  const qsizetype nul = text.indexOf(QChar(0));
  const qsizetype n = nul < 0 ? text.size() : nul;
  qsizetype p = 0;
  while (p < n && IsBlank(text.at(p)))
    ++p;
  while (p < n) {
    QString value;
    if (text.at(p) == u'"') {
      ++p;
      while (p < n) {
        if (text.at(p) == u'"') {
          if (p + 1 < n && text.at(p + 1) == u'"') {
            value.append(u'"');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        value.append(text.at(p++));
      }
    } else {
      const qsizetype start = p;
      while (p < n && text.at(p) > u' ' && text.at(p) != u',')
        ++p;
      value = text.mid(start, p - start);
    }
    Add(value);
    while (p < n && IsBlank(text.at(p)))
      ++p;
    if (p < n && text.at(p) == u',') {
      if (p + 1 == n)
        Add(QString());
      do
        ++p;
      while (p < n && IsBlank(text.at(p)));
    }
  }
}

QStringList TStringList::ToStringList() const {
  QStringList lines;
  lines.reserve(Count());
  for (const Item &item : FItems)
    lines.append(item.Value);
  return lines;
}

void TStringList::Assign(const QStringList &lines) {
  Clear();
  for (const QString &line : lines)
    Add(line);
}

void TStringList::LoadFromFile(const QString &fileName) { Assign(TextFile::ReadLines(fileName)); }

void TStringList::SaveToFile(const QString &fileName) const {
  TextFile::WriteLines(fileName, ToStringList());
}
