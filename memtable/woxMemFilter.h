#pragma once

#include <QVariant>

struct TFilterNode;

// Evaluates a parsed filter expression over the fields' current values (the caller has pointed
// the dataset's field access at the record). Values are QString, qlonglong, double (also date-time
// values, as TDateTime) and bool; null is an invalid QVariant. Errors are EMemTableError.
QVariant EvaluateFilter(const TFilterNode &node);
// True only for a true result; null counts as false.
bool FilterResultAccepts(const QVariant &value);
