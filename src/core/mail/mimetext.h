#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// The text a reader wants from one raw MIME message.
struct MailContent
{
    QString subject;
    // The text/plain part decoded, or the HTML turned into text; CR LF line ends.
    QString text;
};
MailContent readMailContent(const QByteArray &raw);

// One outgoing message as it goes on the wire or into the outbox.
struct OutgoingMail
{
    QString senderAddress;
    QString senderName;
    QString recipient;
    QString subject;
    QString body;
};
QByteArray buildMail(const OutgoingMail &mail);

// A plain address (local@domain) in ASCII, nothing around it.
bool isValidMailAddress(const QString &address);

namespace MimeText {
// VMime's platform handler, set once per program.
void initVmime();
inline std::string utf8(const QString &s) { return s.toStdString(); }
inline QString fromUtf8(const std::string &s) { return QString::fromStdString(s); }
} // namespace MimeText
