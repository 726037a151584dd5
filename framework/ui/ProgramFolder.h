#pragma once

#include <QString>

// The folder of the running program file, ending with "/": the program keeps files such as
// "bazy.txt" there. Tests give each case a folder of its own; an empty name puts the program's own
// folder back.
QString ProgramFolder();
void SetProgramFolder(const QString &folder);
