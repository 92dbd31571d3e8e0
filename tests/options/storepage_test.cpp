#include "options/storepage.h"
#include "platform/keyring.h"
#include "platform/settingsstore.h"
#include "support/storebackend.h"
#include "support/testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void type(QWidget &page, const char *name, const QString &text)
{
    auto *edit = page.findChild<QLineEdit *>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
    emit edit->editingFinished();
}

} // namespace

TEST(StorePage, ChoicesAreWrittenAtOnceAndThePasswordOnlyToTheKeyring)
{
    Keyring::setEnabled(false);
    TestSupport::TempFolder dir;
    const QString ini = dir.file("settings.ini");
    SettingsStore settings(ini);
    StorePage page(settings);
    auto *sqlite = page.findChild<QRadioButton *>("optStoreSqlite");
    auto *server = page.findChild<QRadioButton *>("optStorePostgres");
    auto *host = page.findChild<QLineEdit *>("txtStoreHost");
    ASSERT_TRUE(sqlite && server && host);
    // The file stays the default, and the server's boxes wait until a server is chosen.
    EXPECT_TRUE(sqlite->isChecked());
    EXPECT_FALSE(host->isEnabled());

    server->setChecked(true);
    EXPECT_TRUE(host->isEnabled());
    type(page, "txtStoreHost", " db.shop.lan ");
    page.findChild<QSpinBox *>("txtStorePort")->setValue(6543);
    emit page.findChild<QSpinBox *>("txtStorePort")->editingFinished();
    type(page, "txtStoreDatabase", "auctions");
    type(page, "txtStoreUser", "helper");
    type(page, "txtStorePassword", "s3cret-pass");

    settings.sync();
    const StoreAddress saved = StoreAddress::read(SettingsStore(ini));
    EXPECT_TRUE(saved.isServer());
    EXPECT_EQ(saved.host, QStringLiteral("db.shop.lan"));
    EXPECT_EQ(saved.port, 6543);
    EXPECT_EQ(saved.database, QStringLiteral("auctions"));
    EXPECT_EQ(saved.user, QStringLiteral("helper"));
    EXPECT_EQ(StorePasswords::read(saved), std::optional<QString>("s3cret-pass"));
    EXPECT_FALSE(TestSupport::readBytes(ini).contains("s3cret-pass"));

    // A second page shows what the first one wrote, password included.
    StorePage again(settings);
    EXPECT_EQ(again.address().describe(), saved.describe());
    EXPECT_EQ(again.password(), QStringLiteral("s3cret-pass"));
}

TEST(StorePage, AMangledSettingFallsBackAndATestThatFailsSaysWhy)
{
    Keyring::setEnabled(false);
    TestSupport::TempFolder dir;
    SettingsStore settings(dir.file("settings.ini"));
    settings.save("Store", "Kind", "postgresql");
    settings.save("Store", "Port", "54x32");
    settings.save("Store", "Host", "");
    const StoreAddress a = StoreAddress::read(settings);
    EXPECT_TRUE(a.isServer());
    EXPECT_EQ(a.port, 5432);
    EXPECT_FALSE(a.problem().isEmpty());

    StorePage page(settings);
    page.findChild<QPushButton *>("cmdStoreTest")->click();
    const QString shown = page.findChild<QLabel *>("lblStoreTest")->text();
    EXPECT_TRUE(shown.contains("no host name")) << shown.toStdString();
}

TEST(StorePage, TestReachesTheServerAndRefusesAWrongPassword)
{
    REQUIRE_PG();
    Keyring::setEnabled(false);
    TestSupport::TempFolder dir;
    SettingsStore settings(dir.file("settings.ini"));
    TestSupport::testServer("lotwise_copy").save(settings);
    StorePage page(settings);
    type(page, "txtStorePassword", TestSupport::testServerPassword());
    EXPECT_TRUE(page.test());
    const QString ok = page.findChild<QLabel *>("lblStoreTest")->text();
    EXPECT_TRUE(ok.startsWith("Connected to the database lotwise@127.0.0.1:15432/lotwise_copy"))
        << ok.toStdString();

    type(page, "txtStorePassword", "wrong");
    EXPECT_FALSE(page.test());
    const QString refused = page.findChild<QLabel *>("lblStoreTest")->text();
    EXPECT_TRUE(refused.contains("cannot be opened")) << refused.toStdString();
    EXPECT_FALSE(refused.contains("wrong"));
}
