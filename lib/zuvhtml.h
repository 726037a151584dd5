#pragma once

#include "HtmlTemplate.h"

#include <QString>

class TDataSet;

// Writes a dataset as an HTML table shaped by a template, as a new report or as one more table
// appended to an existing one. The file is Windows-1250 with CR LF and is written whole: on any error
// an existing report stays as it was.
class tHTMLprint {
public:
  tHTMLprint() = default;

  QString FName, FTitle, FSubtitle;
  bool FNumbered = false; // adds a "Lp." column
  bool FAppend = false;

  // With manageDataSet the dataset is opened when closed and runs from its first record; afterwards
  // it is closed again or back on its record, its controls enabled.
  void Write(TDataSet *dataSet, const QString &fileName, const QString &templateFileName, bool manageDataSet);
  // Shows the report in the desktop's browser; raises when the desktop cannot show it.
  void OpenInBrowser(const QString &fileName);

private:
  QString Report(TDataSet *dataSet, bool manageDataSet) const;
  void Records(TDataSet *dataSet, QString &out) const;
  void HeaderRow(TDataSet *dataSet, QString &out) const;

  THtmlTemplate FTemplate;
};

// The bytes of an existing report up to its closing body line, where a further table goes. Without
// such a line the whole file.
QByteArray ReportBeforeClosingBody(const QByteArray &report);
