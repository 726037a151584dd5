#pragma once

#include <QString>

// Whether the name is an existing folder.
bool DirExists(const QString &name);
// Whether any of the characters occurs in s.
bool HasAnyChar(const QString &s, const QString &characters);
// Not empty and free of the characters "<>\"[]|".
bool ValidFileName(const QString &name);
// The name (without path) of the file found under that name; empty when there is none. This file
// system keeps one name per file, so the long and the short name are the same.
QString LongFileName(const QString &name);
QString ShortFileName(const QString &name);
