#pragma once

#include <QString>

// The caption without its hot-key markers: a single "&" goes, "&&" stands for one "&".
QString StripHotkey(const QString &caption);
