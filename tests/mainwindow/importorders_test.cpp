// File > Import Orders...: the file dialog, the preview, the import, and the window brought
// up to date, with every question answered from a script.

#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/frmimportorders.h"
#include "queues/queuelistmodel.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

// A Seller Hub download: an unpaid sale and a paid one, after a line of commas.
const QByteArray kOrders =
    ",,,,,,,,,,\r\n"
    "Order Number,Buyer Username,Buyer Email,Item Number,Item Title,Quantity,Sold For,"
    "Shipping And Handling,Sale Date,Paid On Date,Shipped On Date\r\n"
    "11-1,ann,ann@members.ebay.com,501,Brass lamp,1,$12.50,$4.00,Mar-10-26,,\r\n"
    "11-2,bob,bob@members.ebay.com,502,Blue vase,1,$20.00,$5.00,Mar-11-26,Mar-12-26,\r\n"
    "2,record(s) downloaded,,,\r\n";

class ImportOrdersTest : public TestSupport::FilledWindowTest
{
protected:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = folder.file(name);
        EXPECT_TRUE(TestSupport::writeBytes(path, bytes));
        return path;
    }

    // Chooses File > Import Orders... with `path` as the file picked; `onPreview` runs while
    // the preview is up and closes it. Returns whether a preview was shown.
    bool importFile(const QString &path, const std::function<void(QDialog *)> &onPreview)
    {
        scripted.answerText(path);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *preview = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!preview || preview->objectName() != "frmImportOrders") {
                if (preview)
                    preview->reject();
                return;
            }
            shown = true;
            onPreview(preview);
        });
        find<QAction>("mnuFileImportOrders")->trigger();
        return shown;
    }

    QString status() const { return TestSupport::statusOf(win.get()); }
};

} // namespace

TEST_F(ImportOrdersTest, ThePreviewShowsWhatWillHappenAndImportWritesAndRefreshesTheWindow)
{
    loadWith(
        {{{Field::UserName, "bob"}, {Field::AuctionUrl, "502"}, {Field::Notes, "regular buyer"}}});
    win->tvTreeView_NodeClick("IS");
    ASSERT_EQ(TestSupport::usersOf(win->emailWizardPanel()), QStringList({"bob"}));

    QString format, counts;
    int rows = 0;
    const bool shown = importFile(writeFile("orders.csv", kOrders), [&](QDialog *d) {
        format = d->findChild<QLabel *>("lblFormat")->text();
        counts = d->findChild<QLabel *>("lblCounts")->text();
        auto *list = d->findChild<QTreeWidget *>("lstRows");
        rows = list->topLevelItemCount();
        EXPECT_EQ(list->topLevelItem(0)->text(1), "Add");
        EXPECT_EQ(list->topLevelItem(1)->text(1), "Update");
        EXPECT_EQ(list->topLevelItem(1)->text(5), "Blue vase");
        // Nothing is written while the preview is up.
        EXPECT_EQ(win->store().storedCount(), 1);
        d->findChild<QPushButton *>("cmdImport")->click();
    });
    ASSERT_TRUE(shown);

    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].kind, ScriptedPrompts::Asked::OpenFile);
    EXPECT_EQ(scripted.asked()[0].title, "Import Orders");
    EXPECT_EQ(scripted.asked()[0].filter, "Order files (*.csv *.txt)");
    EXPECT_EQ(format, "Format: eBay Seller Hub Orders report");
    EXPECT_EQ(counts, "1 record will be added, 1 record updated; 0 rows left alone.");
    EXPECT_EQ(rows, 2);

    EXPECT_EQ(status(), "Import Orders: orders.csv Added 1, updated 1, unchanged 0.");
    ASSERT_EQ(win->store().storedCount(), 2);
    // bob has paid, so he leaves the invoice list; ann's new sale joins it.
    EXPECT_EQ(TestSupport::usersOf(win->emailWizardPanel()), QStringList({"ann"}));
    EXPECT_EQ(win->store().recordAt(0)[Field::Notes], "regular buyer");
    EXPECT_EQ(win->store().recordAt(0)[Field::PaymentMadeDate], "3/12/2026");
}

TEST_F(ImportOrdersTest, TheRecordPanelShowsTheCurrentRecordAsImported)
{
    loadWith({{{Field::UserName, "bob"}, {Field::AuctionUrl, "502"}}});
    ASSERT_EQ(win->visiblePanel(), FrmMain::Panel::Record);
    EXPECT_EQ(find<QLineEdit>("txtPaymentMadeDate")->text(), "");
    EXPECT_TRUE(importFile(writeFile("orders.csv", kOrders), [](QDialog *d) {
        d->findChild<QPushButton *>("cmdImport")->click();
    }));
    EXPECT_EQ(win->store().position(), 0);
    EXPECT_EQ(find<QLineEdit>("txtPaymentMadeDate")->text(), "3/12/2026");
    EXPECT_EQ(find<QLineEdit>("txtAuctionName")->text(), "Blue vase");
}

TEST_F(ImportOrdersTest, CancelInThePreviewWritesNothing)
{
    load();
    const bool shown = importFile(writeFile("orders.txt", kOrders), [](QDialog *d) {
        d->findChild<QPushButton *>("cmdCancel")->click();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(win->store().storedCount(), 0);
    EXPECT_EQ(status(), "Import Orders: cancelled; nothing was written.");

    // A cancelled file dialog asks nothing more.
    scripted.clear();
    find<QAction>("mnuFileImportOrders")->trigger();
    EXPECT_EQ(scripted.asked().size(), 1);
}

TEST_F(ImportOrdersTest, AFileThatCannotBeReadIsRefusedNamingItsLineWithoutAPreview)
{
    load();
    QByteArray bad = kOrders;
    bad.replace("$20.00", "$20.0.0");
    const QString path = writeFile("bad orders.csv", bad);
    EXPECT_FALSE(importFile(path, [](QDialog *d) { d->reject(); }));
    ASSERT_EQ(scripted.asked().size(), 2);
    const ScriptedPrompts::Asked &said = scripted.asked()[1];
    EXPECT_EQ(said.kind, ScriptedPrompts::Asked::Message);
    EXPECT_EQ(said.text, path + ", line 4: \"$20.0.0\" in Sold For is not an amount; nothing was imported.");
    EXPECT_EQ(win->store().storedCount(), 0);
    EXPECT_EQ(status(), "Import Orders: bad orders.csv was not imported.");

    scripted.clear();
    EXPECT_FALSE(importFile(folder.file("missing.csv"), [](QDialog *d) { d->reject(); }));
    ASSERT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(scripted.asked()[1].text.contains("missing.csv cannot be read"));
}

TEST_F(ImportOrdersTest, OrdersThatDoNotAddUpAreListedAndImportAsksOnceMoreBeforeWriting)
{
    // The file's totals count a postage column under a title the import does not read.
    QByteArray renamed = kOrders;
    renamed.replace("Shipping And Handling", "Delivery Charge");
    renamed.replace("Paid On Date,Shipped On Date", "Paid On Date,Shipped On Date,Total Price");
    renamed.replace("Mar-10-26,,", "Mar-10-26,,,$16.50");
    renamed.replace("Mar-11-26,Mar-12-26,", "Mar-11-26,Mar-12-26,,$25.00");
    const QString path = writeFile("renamed.csv", renamed);
    load();
    for (const Prompts::Button answer : {Prompts::No, Prompts::Yes}) {
        SCOPED_TRACE(answer == Prompts::Yes ? "Yes" : "No");
        scripted.clear();
        QStringList lines;
        bool stillOpen = false;
        EXPECT_TRUE(importFile(path, [&](QDialog *d) {
            auto *list = d->findChild<QTreeWidget *>("lstTotals");
            ASSERT_TRUE(list);
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QStringList cells;
                for (int c = 0; c < list->columnCount(); ++c)
                    cells << list->topLevelItem(i)->text(c);
                lines << cells.join('|');
            }
            scripted.answerButton(answer);
            d->findChild<QPushButton *>("cmdImport")->click();
            // No keeps the preview up, nothing written, for a Cancel.
            stillOpen = d->isVisible();
            if (stillOpen)
                d->findChild<QPushButton *>("cmdCancel")->click();
        }));
        EXPECT_EQ(lines, QStringList({"3|11-1|16.50|12.50", "4|11-2|25.00|20.00"}));
        ASSERT_EQ(scripted.asked().size(), 2);
        EXPECT_EQ(scripted.asked()[1].text,
                  "The records of 2 orders do not add up to the totals the file gives for them, "
                  "so amounts may be missing. Import anyway?");
        EXPECT_EQ(stillOpen, answer == Prompts::No);
        EXPECT_EQ(win->store().storedCount(), answer == Prompts::Yes ? 2 : 0);
    }
}
