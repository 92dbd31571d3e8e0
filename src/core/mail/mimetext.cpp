#include "mimetext.h"

#include <QRegularExpression>
#include <QDateTime>
#include <QStringDecoder>
#include <QTextDocumentFragment>
#include <QUuid>

#include <vmime/vmime.hpp>
#include <vmime/platforms/posix/posixHandler.hpp>

#include <algorithm>
#include <mutex>

namespace MimeText {

void initVmime()
{
    static std::once_flag once;
    std::call_once(once, [] { vmime::platform::setHandler<vmime::platforms::posix::posixHandler>(); });
}

} // namespace MimeText

namespace {

using MimeText::fromUtf8;
using MimeText::initVmime;
using MimeText::utf8;

QString crlf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

bool isAscii(const std::string &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// Bytes of a text part in `charsetName`. Parts that claim US-ASCII (or nothing) but carry
// 8-bit bytes are common in the wild: UTF-8 when the bytes are valid UTF-8, Windows-1252
// otherwise, which is what such senders mean.
QString decodeText(const std::string &bytes, const vmime::charset &cs)
{
    const QString name = fromUtf8(cs.getName()).toLower();
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    if (name == u"us-ascii" || name.isEmpty()) {
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString asUtf8 = dec.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        if (!dec.hasError())
            return asUtf8;
        return decodeText(bytes, vmime::charset("windows-1252"));
    }
    if (name == u"utf-8" || name == u"utf8")
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    try {
        std::string out;
        vmime::charset::convert(bytes, out, cs, vmime::charset(vmime::charsets::UTF_8));
        return fromUtf8(out);
    } catch (const vmime::exception &) {
        // A charset nobody knows: keep every byte rather than lose the text.
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    }
}

std::string extract(const std::shared_ptr<const vmime::contentHandler> &content)
{
    std::string bytes;
    if (!content)
        return bytes;
    try {
        vmime::utility::outputStreamStringAdapter os(bytes);
        content->extract(os);
    } catch (const vmime::exception &) {
        // A transfer encoding nobody knows: the bytes as they came are the best reading.
        bytes.clear();
        vmime::utility::outputStreamStringAdapter os(bytes);
        content->extractRaw(os);
    }
    return bytes;
}

QString htmlToText(const QString &html)
{
    QString text = QTextDocumentFragment::fromHtml(html).toPlainText();
    text.replace(QChar(0x00A0), u' ');
    return text;
}

} // namespace

MailContent readMailContent(const QByteArray &raw)
{
    initVmime();
    MailContent content;
    auto msg = std::make_shared<vmime::message>();
    msg->parse(raw.toStdString());
    std::vector<std::shared_ptr<const vmime::textPart>> parts;
    try {
        vmime::messageParser parser(msg);
        content.subject =
            fromUtf8(parser.getSubject().getConvertedText(vmime::charset(vmime::charsets::UTF_8)));
        parts = parser.getTextPartList();
    } catch (const vmime::exception &) {
        // A text part of a type VMime has no reader for (text/calendar, a mangled type name)
        // fails the whole parse; the message is then read as its body alone, so one odd mail
        // never stops a pass over the inbox.
        const auto subject = msg->getHeader()->findField(vmime::fields::SUBJECT);
        if (subject) {
            if (const auto text = std::dynamic_pointer_cast<const vmime::text>(subject->getValue()))
                content.subject = fromUtf8(text->getConvertedText(vmime::charset(vmime::charsets::UTF_8)));
        }
        const auto body = msg->getBody();
        content.text = crlf(decodeText(extract(body->getContents()), body->getCharset()));
        return content;
    }

    const auto isType = [](const std::shared_ptr<const vmime::textPart> &p, const char *sub) {
        return p->getType() == vmime::mediaType(vmime::mediaTypes::TEXT, sub);
    };
    for (const auto &p : parts) {
        if (isType(p, vmime::mediaTypes::TEXT_PLAIN)) {
            content.text = crlf(decodeText(extract(p->getText()), p->getCharset()));
            return content;
        }
    }
    for (const auto &p : parts) {
        if (!isType(p, vmime::mediaTypes::TEXT_HTML))
            continue;
        const auto html = std::dynamic_pointer_cast<const vmime::htmlTextPart>(p);
        if (html && html->getPlainText() && html->getPlainText()->getLength() > 0) {
            content.text = crlf(decodeText(extract(html->getPlainText()), p->getCharset()));
        } else {
            content.text = crlf(htmlToText(decodeText(extract(p->getText()), p->getCharset())));
        }
        return content;
    }
    return content;
}

bool isValidMailAddress(const QString &address)
{
    // Local part: the dot-atom characters; domain: dot-separated labels of letters, digits
    // and hyphens. Quoted local parts and domain literals are not something a buyer has.
    static const QRegularExpression re(QStringLiteral(
        "^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*"
        "@[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*$"));
    return address.size() <= 254 && re.match(address).hasMatch();
}

QByteArray buildMail(const OutgoingMail &mail)
{
    initVmime();
    const vmime::charset utf8cs(vmime::charsets::UTF_8);
    auto msg = std::make_shared<vmime::message>();
    auto header = msg->getHeader();

    const QString senderAddress = mail.senderAddress;
    const qsizetype at = senderAddress.lastIndexOf(u'@');
    const QString domain = at >= 0 ? senderAddress.mid(at + 1) : QStringLiteral("localhost");

    header->From()->setValue(vmime::mailbox(*vmime::text::newFromString(utf8(mail.senderName), utf8cs),
                                            vmime::emailAddress(utf8(senderAddress))));
    vmime::addressList to;
    to.appendAddress(std::make_shared<vmime::mailbox>(vmime::emailAddress(utf8(mail.recipient))));
    header->To()->setValue(to);
    header->Subject()->setValue(*vmime::text::newFromString(utf8(mail.subject), utf8cs));
    header->Date()->setValue(vmime::datetime::now());
    header->MessageId()->setValue(vmime::messageId(
        utf8(QUuid::createUuid().toString(QUuid::WithoutBraces)), utf8(domain)));
    header->MimeVersion()->setValue(vmime::string("1.0"));

    const std::string body = utf8(crlf(mail.body));
    bool plain = isAscii(body);
    if (plain) {
        // 7bit also needs every line within the limit of the wire.
        size_t lineStart = 0;
        for (size_t i = 0; i <= body.size() && plain; ++i) {
            if (i == body.size() || body[i] == '\n') {
                plain = i - lineStart <= 900;
                lineStart = i + 1;
            }
        }
    }
    msg->getBody()->setContents(std::make_shared<vmime::stringContentHandler>(body),
                                vmime::mediaType(vmime::mediaTypes::TEXT, vmime::mediaTypes::TEXT_PLAIN),
                                utf8cs,
                                vmime::encoding(plain ? vmime::encodingTypes::SEVEN_BIT
                                                      : vmime::encodingTypes::QUOTED_PRINTABLE));
    // Headers are written unfolded: VMime folds after the space that follows an encoded word,
    // and readers unfold that into two spaces in the middle of the subject.
    std::string out;
    vmime::utility::outputStreamStringAdapter os(out);
    vmime::generationContext wide(vmime::generationContext::getDefaultContext());
    wide.setMaxLineLength(900);
    header->generate(wide, os);
    os.write("\r\n", 2);
    msg->getBody()->generate(vmime::generationContext::getDefaultContext(), os);
    os.flush();
    return QByteArray::fromStdString(out);
}

