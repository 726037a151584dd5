#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

class QTextEdit;
class TAction;
struct TResultReport;

// A tabulated report in a rich-text editor, with "Zapisz" (plain text or RTF) and "Drukuj".
class TColEdFrame : public QWidget {
  Q_OBJECT
public:
  explicit TColEdFrame(QWidget *owner = nullptr);

  // Shows the report in its font: the bold header line, an empty line, the rows; every line carries
  // the report's tab stops, so each column starts at its stop on the screen and on paper.
  void SetReport(const TResultReport &report);
  // The editor's lines.
  QStringList Lines() const;
  const std::vector<int> &TabStops() const { return FTabStops; }

  void SaveAExecute();
  void PrintAExecute();

  TAction *SaveA;
  TAction *PrintA;
  QTextEdit *RichEdit;

private:
  QByteArray RichText() const;

  std::vector<int> FTabStops;
};
