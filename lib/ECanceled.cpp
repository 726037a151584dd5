#include "ECanceled.h"

ECanceled::ECanceled() { SetMessage(QString()); }
