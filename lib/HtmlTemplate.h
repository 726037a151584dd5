#pragma once

#include <QString>
#include <QStringList>

// A report template cut into its parts. Multi-line parts hold each line followed by CR LF.
struct THtmlTemplate {
  QString Head, BeforeHeader;
  QString HeaderStart, HeaderCell, HeaderEnd;
  QString Between;
  QString Style1Start, Style1Cell, Style1End;
  QString Style2Start, Style2Cell, Style2End;
  QString Tail;
  // "POWIELANIE=" on the header start line: the header row repeats every so many records; 0 never.
  int RepeatEvery = 0;
};

// The texts that replace "[NAZWA]", "[TYTUŁ]" and "[PODTYTUŁ]"; they are put in as HTML text.
struct THtmlTitles {
  QString Name, Title, Subtitle;
};

// Cuts the template's lines at its markers "<BODY>", "[NAGŁÓWEK]" and "[DANE]" (found ignoring case;
// the first kind that matches counts for a line) and puts the titles in. Raises Exception with the
// template's path for a missing or misplaced section.
THtmlTemplate CutHtmlTemplate(const QStringList &lines, const THtmlTitles &titles, const QString &path);

// Reads the template file (Windows-1250) and cuts it.
THtmlTemplate LoadHtmlTemplate(const QString &path, const THtmlTitles &titles);

// Text as HTML: "&", "<", ">" and '"' as entities, characters that Windows-1250 lacks as references.
QString HtmlEscape(const QString &text);

// Replaces the first occurrence of the marker, found ignoring case.
QString ReplaceMarker(const QString &line, const QString &marker, const QString &value);
