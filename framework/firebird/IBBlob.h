#pragma once

#include <QByteArray>
#include <ibase.h>

class TIBDatabase;
class TIBTransaction;

// Whole-blob reads and writes through the client's segment calls.
namespace IBBlob {

QByteArray Read(TIBDatabase &database, TIBTransaction &transaction, ISC_QUAD id);
ISC_QUAD Write(TIBDatabase &database, TIBTransaction &transaction, const QByteArray &bytes);

} // namespace IBBlob
