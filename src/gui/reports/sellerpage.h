#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class SettingsStore;

// The "Seller" page of the options: the name, address, e-mail and phone that invoices and
// packing slips are headed with. Like the other pages, every change is written at once.
class SellerPage : public QWidget
{
    Q_OBJECT
public:
    explicit SellerPage(SettingsStore &settings, QWidget *parent = nullptr);

private:
    void save();

    SettingsStore &m_settings;
    QLineEdit *m_name;
    QPlainTextEdit *m_address;
    QLineEdit *m_email;
    QLineEdit *m_phone;
};
