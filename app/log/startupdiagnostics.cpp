#include "app/log/startupdiagnostics.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSysInfo>

#include "platform/applocations.h"
#include "platform/stayawake.h"

namespace {

void logValue(const char *label, const QString &value)
{
    qDebug().noquote().nospace() << label << value;
}

int windowsVersion()
{
#ifdef Q_OS_WIN
    return int(QSysInfo::windowsVersion());
#else
    return 0;
#endif
}

} // namespace

void StartupDiagnostics::run()
{
    StayAwake::request();
    qDebug() << "run..................";
    logValue("WindowsVersion: ", QString::number(windowsVersion()));
    logValue("buildAbi: ", QSysInfo::buildAbi());
    logValue("buildCpuArchitecture: ", QSysInfo::buildCpuArchitecture());
    logValue("currentCpuArchitecture: ", QSysInfo::currentCpuArchitecture());
    logValue("kernelType: ", QSysInfo::kernelType());
    logValue("kernelVersion: ", QSysInfo::kernelVersion());
    logValue("machineHostName: ", QSysInfo::machineHostName());
    logValue("prettyProductName: ", QSysInfo::prettyProductName());
    logValue("productType: ", QSysInfo::productType());
    logValue("productVersion: ", QSysInfo::productVersion());
    logValue("Windows Version: ", QString::number(windowsVersion()));
    qDebug().noquote() << AppLocations::applicationFolder();
}
