#pragma once

#include "MxAppUtils.h"

#include <QString>
#include <memory>

class TFormPlacement;
class TIniLink;
class TMxDBGrid;

// The column layout of a data grid in an ini store (order and widths of customised columns, else
// the dataset's fields), written and read directly or through the ini link of a form placement.
class TMxDBGridLayout {
public:
  explicit TMxDBGridLayout(TMxDBGrid &grid);
  ~TMxDBGridLayout();

  TFormPlacement *Storage() const;
  void SetStorage(TFormPlacement *value);

  void Save(TIniObject IniObject, const QString &Section);
  void Restore(TIniObject IniObject, const QString &Section);

private:
  // The section the placement's save and load use.
  QString LinkSection() const;
  void LinkSave(TIniLink *Sender);
  void LinkLoad(TIniLink *Sender);

  TMxDBGrid &FGrid;
  std::unique_ptr<TIniLink> FIniLink;
};
