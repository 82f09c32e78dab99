#include "support/test_env.h"

#include <QApplication>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <gtest/gtest.h>

#include <unistd.h>

int main(int argc, char **argv)
{
    brindle::test::UseTemporaryHome();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
