#pragma once

class QPaintDevice;
class QPrinter;
class QTextDocument;

// Prints a copy of the document, laid out as on the screen device and without wrapping its lines:
// at the size the screen shows it while its widest line fits between the page's margins, scaled down
// until that line fits otherwise, so that no column of a wide report is lost past the right edge.
void PrintScaledToPageWidth(const QTextDocument &document, QPaintDevice &screen, QPrinter &printer);
