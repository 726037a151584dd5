#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

class QTextEdit;
class TAction;

// A tabulated report in a rich-text editor, with "Zapisz" (plain text or RTF) and "Drukuj".
class TColEdFrame : public QWidget {
  Q_OBJECT
public:
  explicit TColEdFrame(QWidget *owner = nullptr);

  // Sets the report: the bold header line, an empty line, the rows; columns are separated by TAB
  // and the tab stops lie at the given pixel positions.
  void SetReport(const QString &header, const QStringList &rows, const std::vector<int> &tabStops);
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
