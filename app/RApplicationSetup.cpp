#include "app/RApplicationSetup.h"

#include "widgets/RUserInterface.h"

#include <QCoreApplication>

void setUpApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vesko"));
    QCoreApplication::setApplicationName(QStringLiteral("MORV3"));
    installMessageBoxSink();
}
