#include "records/csvio.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

TEST(CsvParse, QuotedFieldsHoldCommasQuotesAndLineBreaks)
{
    std::vector<QStringList> rows;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::parse("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\r\nlines\",,x\n", &rows, &error));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (QStringList{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(rows[1], (QStringList{"two\r\nlines", "", "x"}));
}

TEST(CsvParse, FaultsNameTheirLine)
{
    struct Case
    {
        QByteArray text;
        int line;
    };
    for (const Case &c : {Case{"a,b\r\n\"open,c\r\n", 2}, Case{"a\r\nb\r\n\"x\"y,z\r\n", 3},
                          Case{"ok\r\n\"multi\r\nline\"\r\nbad\"quote\r\n", 4}}) {
        std::vector<QStringList> rows;
        Csv::ParseError error;
        EXPECT_FALSE(Csv::parse(c.text, &rows, &error)) << c.text.constData();
        EXPECT_EQ(error.line, c.line) << c.text.constData();
        EXPECT_FALSE(error.message.isEmpty());
    }
}

TEST(CsvRecords, HeaderInAnyOrderAndUnknownOrMissingColumnsAreHandled)
{
    std::vector<FieldValues> records;
    Csv::ParseError error;
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

using CsvStore = TestSupport::StoreTest;

TEST_F(CsvStore, WhatIsWrittenReadsBackTheSame)
{
    TestSupport::addRecord(store, {{Field::UserName, "ann"},
                                   {Field::Address, "1 Main St,\r\n\"Rear\" door"},
                                   {Field::AuctionName, QString::fromUtf8("Tasse – 1920")}});
    TestSupport::addRecord(store, {{Field::UserName, "bob"}, {Field::PayPal, "1"}});

    const QByteArray csv = Csv::writeRecords(store);
    EXPECT_TRUE(csv.startsWith("\"Close Date\",") || csv.startsWith("Close Date,"));
    EXPECT_TRUE(csv.endsWith("\r\n"));

    std::vector<FieldValues> back;
    Csv::ParseError error;
    ASSERT_TRUE(Csv::readRecords(csv, &back, &error)) << error.message.toStdString();
    EXPECT_EQ(back, TestSupport::valuesIn(store));
}
