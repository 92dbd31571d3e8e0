#include "handelerrors.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"

QString errorInformationText(const QString &location, int number, const QString &description)
{
    return QStringList{QStringLiteral("Lotwise generated an error!"), QString(),
                       QStringLiteral("Error Found In: ") + location,
                       QStringLiteral("Error Number: ") + QString::number(number),
                       QStringLiteral("Error Description: ") + description}
        .join(QStringLiteral("\r\n"));
}

void HandelErrors(const QString &location, int number, const QString &detail)
{
    const QString description = LotwiseError(number, detail).description();
    prompts().message(errorInformationText(location, number, description),
                      QStringLiteral("Error Information"), Prompts::Ok,
                      Prompts::Icon::Information);
}

void handleCaught(const QString &location, std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const LotwiseError &e) {
        HandelErrors(location, e.number(), e.detail());
    } catch (const std::bad_alloc &) {
        HandelErrors(location, ErrorCode::OutOfMemory);
    } catch (const std::exception &e) {
        HandelErrors(location, ErrorCode::InternalError, QString::fromLocal8Bit(e.what()));
    }
}
