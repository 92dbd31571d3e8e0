#pragma once

#include "records/storeaddress.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class SettingsStore;

// The "Store" page of the options: where the records live, the Auctions.db file or a
// PostgreSQL server, with a "Test" button that tries the server. Like the other option
// pages, every change is written at once (the settings group "Store", the password to the
// keyring); the program opens the chosen store the next time it starts.
class StorePage : public QWidget
{
    Q_OBJECT
public:
    explicit StorePage(SettingsStore &settings, QWidget *parent = nullptr);

    // The address and password as the controls hold them now.
    StoreAddress address() const;
    QString password() const;

    // Fills the controls from the settings and the keyring; writes nothing.
    void load();
    // Writes the controls to the settings and the password to the keyring.
    void save();
    // What "Test" does: tries the server and shows the outcome beside the button.
    bool test();

signals:
    void changed();

private:
    void updateEnabled();
    void saveAddress();
    void savePassword();

    SettingsStore &m_settings;
    QRadioButton *m_sqlite;
    QRadioButton *m_server;
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLineEdit *m_database;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QLabel *m_result;
    bool m_loading = false;
};
