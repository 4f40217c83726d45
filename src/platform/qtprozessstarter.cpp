#include "platform/qtprozessstarter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <pwd.h>
#include <unistd.h>

namespace hestrel {

Fehler QtProzessstarter::starten(const std::string& programm, const std::vector<std::string>& argumente)
{
    const QString pfad = QString::fromStdString(programm);
    const QFileInfo info(pfad);
    if (!info.exists()) {
        return {53, "Datei nicht gefunden"};
    }
    if (!info.isFile() || !info.isExecutable()) {
        return {75, "Fehler beim Zugriff auf Pfad/Datei"};
    }
    QStringList liste;
    for (const auto& a : argumente) {
        liste << QString::fromStdString(a);
    }
    if (!QProcess::startDetached(pfad, liste)) {
        return {5, "Unzulässiger Prozeduraufruf oder ungültiges Argument"};
    }
    return {};
}

std::string QtProzessstarter::programmverzeichnis() const
{
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string QtProzessstarter::umgebung(const std::string& name) const
{
    return qEnvironmentVariable(name.c_str()).toStdString();
}

std::string QtProzessstarter::anmeldename() const
{
    char puffer[256];
    if (::getlogin_r(puffer, sizeof puffer) == 0 && puffer[0] != '\0') {
        return puffer;
    }
    for (const char* name : {"LOGNAME", "USER"}) {
        const QString wert = qEnvironmentVariable(name);
        if (!wert.isEmpty()) {
            return wert.toStdString();
        }
    }
    if (const passwd* pw = ::getpwuid(::geteuid())) {
        return pw->pw_name;
    }
    return {};
}

}  // namespace hestrel
