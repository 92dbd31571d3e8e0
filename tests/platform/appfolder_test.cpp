#include "platform/appfolder.h"
#include "platform/instancelock.h"
#include "platform/textfile.h"
#include "platform/weblinks.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(AppFolder, LotwiseHomeOverridesTheUserDataFolder)
{
    TestSupport::TempFolder dir;
    const QByteArray old = qgetenv("LOTWISE_HOME");
    qputenv("LOTWISE_HOME", dir.path().toUtf8() + "/sub/../home");
    EXPECT_EQ(AppFolder::path(), dir.path() + "/home");
    EXPECT_EQ(AppFolder::file("Subjects/emailsub.sub"), dir.path() + "/home/Subjects/emailsub.sub");
    qunsetenv("LOTWISE_HOME");
    EXPECT_TRUE(AppFolder::path().endsWith("/Lotwise"));
    if (!old.isEmpty())
        qputenv("LOTWISE_HOME", old);
}

TEST(AppFolder, SeedFillsANewFolderNeverOverwritesWhatTheUserHasAndSaysWhyItCannot)
{
    TestSupport::TempFolder dir;
    const QString folder = dir.file("new/Lotwise");
    QString error;
    AppFolder::seed(folder, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();

    QStringList templates = QDir(folder + "/Email Templates").entryList(QDir::Files);
    ASSERT_FALSE(templates.isEmpty());
    EXPECT_EQ(templates, QDir(folder + "/Back Up").entryList(QDir::Files));
    ASSERT_FALSE(QDir(folder + "/Subjects").entryList({"*.sub"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(folder + "/images/alert.ico"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/Help/index.html"));
    EXPECT_EQ(QDir(folder + "/Print Templates").entryList(QDir::Files),
              (QStringList{"Invoice.html", "Packing Slip.html"}));

    // Seeded text is Windows-style: CR LF after every line, no bare LF anywhere.
    for (const QString &t : templates) {
        QFile f(folder + "/Email Templates/" + t);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << t.toStdString();
        EXPECT_FALSE(bytes.trimmed().isEmpty());
        // The user edits these, so they must come out writable.
        EXPECT_TRUE(QFileInfo(f).isWritable());
        // The backup is the same template, byte for byte.
        EXPECT_EQ(TestSupport::readBytes(folder + "/Back Up/" + t), bytes) << t.toStdString();
    }

    // Seeded again, only what has gone comes back.
    const QString mine = QDir(folder + "/Subjects").entryInfoList({"*.sub"}).first().filePath();
    ASSERT_TRUE(TextFile::writeLines(mine, {"My own subject"}));
    QFile::remove(folder + "/images/alert.ico");
    EXPECT_EQ(AppFolder::seed(folder), QStringList{"images/alert.ico"});
    EXPECT_EQ(TextFile::readLines(mine), QStringList{"My own subject"});

    ASSERT_TRUE(TextFile::writeLines(dir.file("blocker"), {"a file, not a folder"}));
    EXPECT_TRUE(AppFolder::seed(dir.file("blocker/Lotwise"), &error).isEmpty());
    EXPECT_TRUE(error.contains("blocker"));
}

TEST(InstanceLock, OneHolderPerFolderReleasedOnDestructionAndTakenOverFromTheDead)
{
    TestSupport::TempFolder dir;
    {
        InstanceLock first(dir.path());
        ASSERT_TRUE(first.tryLock());
        InstanceLock second(dir.path());
        EXPECT_FALSE(second.tryLock());
        EXPECT_TRUE(
            second.inUseMessage().contains(QString::number(QCoreApplication::applicationPid())));
    }
    InstanceLock again(dir.path());
    EXPECT_TRUE(again.tryLock());
    // What QLockFile leaves behind a dead process: pid, application name, host name.
    TestSupport::TempFolder other;
    ASSERT_TRUE(TextFile::writeLines(other.file("Lotwise.lock"),
                                     {"999999", "lotwise", QSysInfo::machineHostName()}));
    InstanceLock lock(other.path());
    EXPECT_TRUE(lock.tryLock());
}

TEST(WebLinks, OnlyWebAndMailAddressesAreOpened)
{
    for (const char *url :
         {"https://www.example.com/item?id=1", "http://example.com", "mailto:buyer@example.com"})
        EXPECT_TRUE(WebLinks::isOpenable(QUrl(url))) << url;
    for (const char *url : {"file:///etc/passwd", "javascript:alert(1)", "ftp://example.com/x",
                            "https://", "mailto:"})
        EXPECT_FALSE(WebLinks::isOpenable(QUrl(url))) << url;
    EXPECT_FALSE(WebLinks::open("file:///etc/passwd"));
}
