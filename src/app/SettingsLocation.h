#pragma once

#include <QString>

#include <functional>

namespace varentis {

// Where the settings file lives: "varnts.ini" in the program's folder, where the program can
// write it. An installed program's folder belongs to the system; there each user gets their
// own file in `userDir`, first filled from the installed one when that exists, so settings
// survive a restart instead of failing to be written at every close.
QString settingsPath(const QString& programDir, const QString& userDir,
                     const std::function<bool(const QString&)>& writable);

// The same for this program, with the platform's answers.
QString defaultSettingsPath();

} // namespace varentis
