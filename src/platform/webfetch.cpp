#include "webfetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTimer>

namespace WebFetch {

Result get(const QUrl &url, int timeoutMs)
{
    Result result;
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        result.error = QStringLiteral("%1 is not a web address.").arg(url.toString());
        return result;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        result.error = QStringLiteral("%1 did not answer within %2 seconds.")
                           .arg(url.host())
                           .arg(timeoutMs / 1000);
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = QStringLiteral("%1: %2").arg(url.host(), reply->errorString());
    } else if (status >= 400) {
        result.error = QStringLiteral("%1 answered with status %2.").arg(url.host()).arg(status);
    } else {
        const QByteArray body = reply->readAll();
        QString charset;
        const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        const qsizetype at = type.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
        if (at >= 0)
            charset = type.mid(at + 8).section(u';', 0, 0).trimmed().remove(u'"');
        QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.toLatin1().constData());
        result.text = decoder.isValid() ? decoder.decode(body) : QString::fromUtf8(body);
        result.ok = true;
    }
    reply->deleteLater();
    return result;
}

} // namespace WebFetch
