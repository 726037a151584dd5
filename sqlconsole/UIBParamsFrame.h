#pragma once

#include <QWidget>
#include <vector>

class QScrollArea;
class TIBParamPanel;
class TIBTransaction;
class TIBXSQLDA;
class TParams;

// One input panel per distinct parameter name of a prepared statement, stacked in a scroll box.
// With the query's parameter list the panels start from its values and write back into it.
class TIBParamsFrame : public QWidget {
  Q_OBJECT
public:
  explicit TIBParamsFrame(QWidget *owner = nullptr);

  void SetSQLParams(TIBXSQLDA *params) { FSQLParams = params; }
  void SetParams(TParams *params) { FParams = params; }
  void SetTransaction(TIBTransaction *transaction) { FTransaction = transaction; }
  void BuildPanels();
  void WriteValues();
  int PanelCount() const { return int(FPanels.size()); }
  TIBParamPanel *Panel(int index) const { return FPanels.at(std::size_t(index)); }

  QScrollArea *sbxPanels;

private:
  void FreePanels();

  TIBXSQLDA *FSQLParams = nullptr;
  std::vector<TIBParamPanel *> FPanels;
  TParams *FParams = nullptr;
  TIBTransaction *FTransaction = nullptr;
};
