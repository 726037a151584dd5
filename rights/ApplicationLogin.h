#pragma once

#include <QString>

class TStringList;

// The connection path of a listed database: the server name and ":" when a server is given, then
// the database's "Baza" as the list holds it (a drive path, a server path or an alias).
QString DatabaseConnectionPath(const QString &server, const QString &baza);

// Gives an application-database connection the login of the security database's connection: its
// user name and password, its role unless the login is SYSDBA (in any case), and the character set
// WIN1250, so that Polish personal data reach WIN1250 and UTF8 columns alike. Other lines stay.
void SetApplicationLogin(TStringList &params, const TStringList &securityParams);
