#include "platform/textfile.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using TestSupport::readBytes;

TEST(TextFileEncoding, Windows1252WhenEveryCharacterFitsElseUtf8AndBothReadBack)
{
    // "Café – €5" in Windows-1252: é = E9, en dash = 96, euro = 80.
    EXPECT_EQ(TextFile::decode(QByteArray("Caf\xE9 \x96 \x80"
                                          "5")),
              QString::fromUtf8("Café – €5"));
    EXPECT_EQ(TextFile::decode(QByteArray("Caf\xC3\xA9 \xE2\x82\xAC")),
              QString::fromUtf8("Café €"));
    // A byte order mark is not part of the text.
    EXPECT_EQ(TextFile::decode(QByteArray("\xEF\xBB\xBFHi")), QStringLiteral("Hi"));
    EXPECT_EQ(TextFile::encode(QString::fromUtf8("Café €")), QByteArray("Caf\xE9 \x80"));
    const QString greek = QString::fromUtf8("Καλημέρα €");
    EXPECT_EQ(TextFile::encode(greek), greek.toUtf8());
    EXPECT_EQ(TextFile::decode(TextFile::encode(greek)), greek);
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    const QString text = TextFile::decode(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(TextFile::encode(text), all);
}

TEST(TextFileLines, CrLfAndLoneCrEndLinesButLoneLfDoesNot)
{
    EXPECT_EQ(TextFile::splitLines(QStringLiteral("a\r\nb\rc\nd")),
              (QStringList{"a", "b", "c\nd"}));
    EXPECT_EQ(TextFile::splitLines(QStringLiteral("a\r\n")), QStringList{"a"});
    EXPECT_EQ(TextFile::splitLines(QStringLiteral("a\r\n\r\n")), (QStringList{"a", ""}));
    EXPECT_TRUE(TextFile::splitLines(QString()).isEmpty());
}

TEST(TextFileLines, WriteGivesCrLfAfterEveryLineAppendsAfterACutLineAndFailuresAreSaid)
{
    TestSupport::TempFolder dir;
    const QString path = dir.file("list.txt");
    QString error;
    ASSERT_TRUE(TextFile::writeLines(path, {"first", "", QString::fromUtf8("Bücher")}, &error))
        << error.toStdString();
    EXPECT_EQ(readBytes(path), QByteArray("first\r\n\r\nB\xFC"
                                          "cher\r\n"));

    bool exists = false;
    EXPECT_EQ(TextFile::readLines(path, TextFile::Empty::Keep, &exists),
              (QStringList{"first", "", QString::fromUtf8("Bücher")}));
    EXPECT_TRUE(exists);
    EXPECT_EQ(TextFile::readLines(path, TextFile::Empty::Skip),
              (QStringList{"first", QString::fromUtf8("Bücher")}));

    ASSERT_TRUE(TextFile::appendLines(path, {"more"}));
    EXPECT_EQ(TextFile::readLines(path).last(), QStringLiteral("more"));

    EXPECT_TRUE(
        TextFile::readLines(dir.file("none.txt"), TextFile::Empty::Keep, &exists).isEmpty());
    EXPECT_FALSE(exists);
    // After a line a crash cut off, an append starts on a line of its own.
    TestSupport::writeBytes(path, "12/7/2026 9:30:00 AM\r\nError Found In: Sub_Se");
    ASSERT_TRUE(TextFile::appendLines(path, {"next", ""}));
    EXPECT_EQ(readBytes(path), "12/7/2026 9:30:00 AM\r\nError Found In: Sub_Se\r\nnext\r\n\r\n");
    // A file that ends its last line, with either ending, gets no empty line in between.
    for (const QByteArray &ended : {QByteArray("a\r\n"), QByteArray("a\r"), QByteArray()}) {
        TestSupport::writeBytes(path, ended);
        ASSERT_TRUE(TextFile::appendLines(path, {"b"}));
        EXPECT_EQ(readBytes(path), ended + "b\r\n");
    }
    EXPECT_FALSE(TextFile::writeLines(dir.file("no/such/folder/x.txt"), {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(TextFile::appendLines(dir.file("no/such/folder/x.txt"), {"a"}, &error));
}
