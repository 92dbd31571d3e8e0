#include "storepage.h"

#include "platform/busycursor.h"
#include "records/recordstore.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename W> W *named(W *w, const char *name, const QString &accessible)
{
    w->setObjectName(QString::fromLatin1(name));
    w->setAccessibleName(accessible);
    return w;
}

} // namespace

StorePage::StorePage(SettingsStore &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("StorePage"));
    m_sqlite = named(new QRadioButton(QStringLiteral("This computer (Auctions.db)")),
                     "optStoreSqlite", QStringLiteral("This computer"));
    m_server = named(new QRadioButton(QStringLiteral("PostgreSQL database server")),
                     "optStorePostgres", QStringLiteral("PostgreSQL database server"));
    m_host = named(new QLineEdit, "txtStoreHost", QStringLiteral("Host"));
    m_port = named(new QSpinBox, "txtStorePort", QStringLiteral("Port"));
    m_port->setRange(1, 65535);
    m_database = named(new QLineEdit, "txtStoreDatabase", QStringLiteral("Database"));
    m_user = named(new QLineEdit, "txtStoreUser", QStringLiteral("User"));
    m_password = named(new QLineEdit, "txtStorePassword", QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_test = named(new QPushButton(QStringLiteral("&Test")), "cmdStoreTest", QStringLiteral("Test"));
    m_result = named(new QLabel, "lblStoreTest", QStringLiteral("Test result"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Host:"), m_host);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("Database:"), m_database);
    form->addRow(QStringLiteral("User:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(m_test);
    testRow->addWidget(m_result, 1);
    auto *note = new QLabel(
        QStringLiteral("Lotwise opens the chosen store the next time it starts. "
                       "lotwise-cli copy-store moves the records between the two."));
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Keep the auction records on:")));
    layout->addWidget(m_sqlite);
    layout->addWidget(m_server);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(note);
    layout->addStretch(1);

    load();

    connect(m_server, &QRadioButton::toggled, this, [this] {
        updateEnabled();
        saveAddress();
    });
    for (QLineEdit *e : {m_host, m_database, m_user})
        connect(e, &QLineEdit::editingFinished, this, &StorePage::saveAddress);
    connect(m_port, &QSpinBox::editingFinished, this, &StorePage::saveAddress);
    connect(m_password, &QLineEdit::editingFinished, this, &StorePage::savePassword);
    connect(m_test, &QPushButton::clicked, this, [this] { test(); });
}

StoreAddress StorePage::address() const
{
    StoreAddress a;
    a.kind = m_server->isChecked() ? StoreAddress::Server : StoreAddress::File;
    a.host = m_host->text().trimmed();
    a.port = m_port->value();
    a.database = m_database->text().trimmed();
    a.user = m_user->text().trimmed();
    return a;
}

QString StorePage::password() const { return m_password->text(); }

void StorePage::load()
{
    m_loading = true;
    const StoreAddress a = StoreAddress::read(m_settings);
    (a.isServer() ? m_server : m_sqlite)->setChecked(true);
    m_host->setText(a.host);
    m_port->setValue(a.port);
    m_database->setText(a.database);
    m_user->setText(a.user);
    m_password->setText(a.user.isEmpty() ? QString() : StorePasswords::read(a).value_or(QString()));
    m_result->clear();
    updateEnabled();
    m_loading = false;
}

void StorePage::save()
{
    saveAddress();
    savePassword();
}

void StorePage::saveAddress()
{
    if (m_loading)
        return;
    const StoreAddress before = StoreAddress::read(m_settings);
    const StoreAddress now = address();
    now.save(m_settings);
    // The password belongs to the user and database it was typed for.
    if (before.describe() != now.describe() && !m_password->text().isEmpty())
        savePassword();
    emit changed();
}

void StorePage::savePassword()
{
    if (m_loading)
        return;
    const StoreAddress a = address();
    if (a.user.isEmpty())
        return;
    if (m_password->text().isEmpty())
        StorePasswords::forget(a);
    else
        StorePasswords::save(a, m_password->text());
    emit changed();
}

bool StorePage::test()
{
    StoreAddress a = address();
    a.kind = StoreAddress::Server;
    QString report;
    bool ok = false;
    {
        BusyCursor busy;
        ok = RecordStore::testServer(a, password(), &report);
    }
    m_result->setText(report);
    return ok;
}

void StorePage::updateEnabled()
{
    const bool server = m_server->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_host, m_port, m_database, m_user,
                                                       m_password, m_test})
        w->setEnabled(server);
}
