#include "cncllogimp.h"

int TCancelLogImp::Ask(const QString &, const QString &) { return caCancel; }
