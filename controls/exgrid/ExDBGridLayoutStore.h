#pragma once

#include <QString>
#include <optional>
#include <vector>

// One stored column of a grid layout: "True|NAME,155", or the older "NAME,155" (always visible).
struct TLayoutEntry {
  QString FieldName;
  bool Visible = true;
  // -1: the stored width is out of range and is not applied.
  int Width = -1;
  bool operator==(const TLayoutEntry &) const = default;
};

// A grid's column layout in the registry under HKEY_CURRENT_USER: one value "Column" + index per
// column, at most 101 of them.
class TExDBGridLayoutStore {
public:
  // Widths beyond this (or below 0) come from damaged or foreign values and are not applied.
  static constexpr int MaxWidth = 10000;

  static QString Format(const TLayoutEntry &entry);
  // One value: nullopt when it names no field or has no comma; a width that is not a number raises
  // EConvertError.
  static std::optional<TLayoutEntry> Parse(const QString &value);
  // Writes the entries and removes the values of a former wider layout.
  static void Save(const QString &key, const std::vector<TLayoutEntry> &entries);
  // The entries up to the first missing or empty value; nullopt when the key does not exist. Every
  // value is read and checked before anything is returned.
  static std::optional<std::vector<TLayoutEntry>> Load(const QString &key);
};
