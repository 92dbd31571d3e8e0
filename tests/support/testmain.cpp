#include "platform/prompts.h"

#include <QLocale>
#include <gtest/gtest.h>

#if defined(LOTWISE_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(LOTWISE_TEST_PAINTS)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TestApplication app(argc, argv);
    ScriptedPrompts unscripted;
    setFallbackPrompts(&unscripted);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
