#include "sellerpage.h"

#include "reports/printdocuments.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

SellerPage::SellerPage(SettingsStore &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("SellerPage"));
    const auto line = [](const char *name, const char *caption) {
        auto *edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(QString::fromLatin1(caption));
        return edit;
    };
    m_name = line("txtSellerName", "Name");
    m_address = new QPlainTextEdit;
    m_address->setObjectName(QStringLiteral("txtSellerAddress"));
    m_address->setAccessibleName(QStringLiteral("Address"));
    m_address->setTabChangesFocus(true);
    m_address->setFixedHeight(m_address->fontMetrics().lineSpacing() * 5 + 12);
    m_email = line("txtSellerEmail", "E-mail");
    m_phone = line("txtSellerPhone", "Phone");

    const PrintDocuments::Seller seller = PrintDocuments::Seller::read(m_settings);
    m_name->setText(seller.name);
    m_address->setPlainText(seller.address);
    m_email->setText(seller.email);
    m_phone->setText(seller.phone);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Address:"), m_address);
    form->addRow(QStringLiteral("E-mail:"), m_email);
    form->addRow(QStringLiteral("Phone:"), m_phone);
    auto *note = new QLabel(QStringLiteral(
        "Invoices and packing slips are headed with these. Their layout is in the folder "
        "\"Print Templates\" of the application folder."));
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addStretch();

    for (QLineEdit *edit : {m_name, m_email, m_phone})
        connect(edit, &QLineEdit::textEdited, this, &SellerPage::save);
    connect(m_address, &QPlainTextEdit::textChanged, this, &SellerPage::save);
}

void SellerPage::save()
{
    PrintDocuments::Seller{m_name->text(), m_address->toPlainText(), m_email->text(),
                           m_phone->text()}
        .save(m_settings);
}
