#include "app/SettingsLocation.h"

#include "documents/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace varentis {

namespace {
const QString kFileName = QString::fromLatin1(SettingsFileName.data(),
                                              static_cast<qsizetype>(SettingsFileName.size()));
}

QString settingsPath(const QString& programDir, const QString& userDir,
                     const std::function<bool(const QString&)>& writable) {
    const QString beside = QDir(programDir).filePath(kFileName);
    // The file is replaced through a temporary file beside it: the folder must be writable.
    if (writable(programDir) && (!QFileInfo::exists(beside) || writable(beside))) return beside;

    const QString own = QDir(userDir).filePath(kFileName);
    QDir().mkpath(userDir);
    if (!QFileInfo::exists(own) && QFileInfo::exists(beside)) QFile::copy(beside, own);
    return own;
}

QString defaultSettingsPath() {
    return settingsPath(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                        [](const QString& path) { return QFileInfo(path).isWritable(); });
}

} // namespace varentis
