#pragma once

#include <QByteArrayView>
#include <QFileDevice>

// Writes every byte to the file and flushes it. A write that a full disk cuts short succeeds in part
// and without an error: only the next write, which gets nothing in, hears the system's reason. So the
// rest is written again, and a failure leaves that reason in the file's errorString(). False when not
// everything reached the file.
bool WriteFully(QFileDevice &file, QByteArrayView bytes);
