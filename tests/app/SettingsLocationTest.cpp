#include "app/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varentis;

namespace {

class SettingsLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(programDir()));
        QFile installed(QDir(programDir()).filePath("varnts.ini"));
        ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
        installed.write("[Setup]\r\nPeriod=250\r\n");
    }
    QString programDir() const { return tmp.filePath("libexec"); }
    QString userDir() const { return tmp.filePath("home/.config/Varentis"); }

    QTemporaryDir tmp;
};

TEST_F(SettingsLocationTest, BesideTheProgramWhereItCanBeWritten) {
    const QString path = settingsPath(programDir(), userDir(), [](const QString&) { return true; });
    EXPECT_EQ(path, QDir(programDir()).filePath("varnts.ini"));
    EXPECT_FALSE(QDir(userDir()).exists()) << "nothing is made for the user";
}

TEST_F(SettingsLocationTest, InstalledProgramKeepsEachUsersSettingsStartingFromTheInstalledOnes) {
    auto systemOwned = [this](const QString& p) { return !p.startsWith(programDir()); };
    const QString path = settingsPath(programDir(), userDir(), systemOwned);
    EXPECT_EQ(path, QDir(userDir()).filePath("varnts.ini"));
    QFile user(path);
    ASSERT_TRUE(user.open(QIODevice::ReadOnly));
    EXPECT_EQ(user.readAll(), QByteArray("[Setup]\r\nPeriod=250\r\n"));
    user.close();

    // The user's own file is not replaced by the installed one at the next start.
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("[Setup]\r\nPeriod=5\r\n");
    user.close();
    EXPECT_EQ(settingsPath(programDir(), userDir(), systemOwned), path);
    ASSERT_TRUE(user.open(QIODevice::ReadOnly));
    EXPECT_EQ(user.readAll(), QByteArray("[Setup]\r\nPeriod=5\r\n"));
}

TEST_F(SettingsLocationTest, AReadOnlyFileInAWritableFolderCountsAsSystemOwned) {
    const QString beside = QDir(programDir()).filePath("varnts.ini");
    auto readOnlyFile = [beside](const QString& p) { return p != beside; };
    EXPECT_EQ(settingsPath(programDir(), userDir(), readOnlyFile),
              QDir(userDir()).filePath("varnts.ini"));
}

} // namespace
