#pragma once

#include <QStringList>

// What one program group's tab says: the writers read it from the tab, the readers put what a
// database holds back on it. A member that the group's tab has no control for stays at its value.
struct TTabSettings {
  // The item of "Uprawnienia kontrolowane przez serwer": 0 read, 1 write, 2 administrator, -1 none.
  int Level = 0;
  // The names of the tab's ticked check boxes, in the tab's control order: VELDAR's "ADMCheck",
  // "PrintCheck", ..., TESSAL's "al" ... "du".
  QStringList Ticked;
  // VELDAR's "Baza skanów" item: 0 none, 1 read, 2 write.
  int Scans = 0;
  // The ticked items of the tab's check list as bits (item i = bit i): BRONTEL's options, KORVIN's
  // objects (item "32" is bit 31).
  quint32 ListMask = 0;
  // BRONTEL's "Max liczba rekordów zwracanych".
  double RecordLimit = 0;
  // KORVIN's and TORMISK's rights mask.
  qint32 Rights = 0;

  bool operator==(const TTabSettings &) const = default;
};
