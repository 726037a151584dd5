#include "FileWrite.h"

bool WriteFully(QFileDevice &file, QByteArrayView bytes) {
  for (qsizetype done = 0; done < bytes.size();) {
    const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
    if (written <= 0)
      return false;
    done += qsizetype(written);
  }
  // A flush cut short keeps the rest of the buffer: the second one writes it or hears why it cannot.
  return file.flush() || file.flush();
}
