#pragma once

#include <QtGlobal>
#include <array>
#include <initializer_list>
#include <vector>

enum TExMenuOption {
  exAutoSize,
  exAutoWidth,
  exDisplayBoolean,
  exDisplayImages,
  exDisplayMemo,
  exDisplayDateTime,
  exShowTextEllipsis,
  exShowTitleEllipsis,
  exFullSizeMemo,
  exAllowRowSizing,
  exCellHints,
  exMultiLineTitles,
  exUseRowColors,
  exFixedColumns,
  exPrintGrid,
  exPrintDataSet,
  exExportGrid,
  exSelectAll,
  exUnSelectAll,
  exQueryByForm,
  exSortByForm,
  exMemoInplaceEditors,
  exCustomize,
  exSearchMode,
  exSaveLayout,
  exLoadLayout
};

// The set of menu options, one bit per member in declaration order.
class TExMenuOptions {
public:
  constexpr TExMenuOptions() = default;
  constexpr TExMenuOptions(std::initializer_list<TExMenuOption> members) {
    for (TExMenuOption m : members)
      FBits |= 1u << m;
  }
  static constexpr TExMenuOptions All() { return FromBits((1u << 26) - 1); }
  static constexpr TExMenuOptions FromBits(quint32 bits) {
    TExMenuOptions o;
    o.FBits = bits;
    return o;
  }
  constexpr bool Contains(TExMenuOption m) const { return FBits & (1u << m); }
  constexpr quint32 Bits() const { return FBits; }
  bool operator==(const TExMenuOptions &) const = default;

private:
  quint32 FBits = 0;
};

// One item of the grid's option menu: its caption ("-" for a separator), the option that shows it
// (-1: a separator that shows when an item of the group above it does), and whether it carries a
// check mark (a setting it shows); the others run a command and keep no mark.
struct TExMenuRow {
  const char *Caption;
  int Option;
  bool Checks = false;
};

constexpr int ExMenuItemCount = 37;

// The option menu's items in menu order.
const std::array<TExMenuRow, ExMenuItemCount> &ExMenuRows();
// Which items show for the options, in menu order.
std::vector<bool> ExMenuItemsShown(TExMenuOptions options);
