#include "MxStrUtils.h"

QString StripHotkey(const QString &caption) {
  QString result;
  result.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&')
        result += caption[++i];
      continue;
    }
    result += caption[i];
  }
  return result;
}
