#pragma once

#include <QString>

// A derived table of the whole numbers 0 .. 10^digits - 1 in its column "n", built from the digits
// alone, for set-based inserts of thousands of rows: "select ... from <NumberRows(4)>".
QString NumberRows(int digits);
