#include "platform/qtseriellerport.h"

#include "core/umgebung.h"

#include <cstdlib>

#include <QPointer>
#include <QSerialPort>

namespace hestrel {
namespace {

Fehler oeffnungsfehler(QSerialPort::SerialPortError e, const std::string& datei)
{
    const std::string wo = " (" + datei + ")";
    switch (e) {
    case QSerialPort::DeviceNotFoundError:
        return {8002, "Ungültige Anschlussnummer" + wo};
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return {8005, "Anschluss bereits geöffnet" + wo};
    case QSerialPort::ResourceError:
        return {8010, "Hardware nicht verfügbar" + wo};
    default:
        return {8015, "Anschluss kann nicht eingestellt werden" + wo};
    }
}

} // namespace

QtSeriellerport::QtSeriellerport() : m_port(std::make_unique<QSerialPort>())
{
    QObject::connect(m_port.get(), &QSerialPort::readyRead, m_port.get(), [this] { lesen(); });
    QObject::connect(m_port.get(), &QSerialPort::errorOccurred, m_port.get(),
                     [this](QSerialPort::SerialPortError e) { fehler_aufgetreten(e); });
}

QtSeriellerport::~QtSeriellerport()
{
    if (m_port->isOpen()) {
        m_port->close();
    }
}

std::string QtSeriellerport::geraetedatei(int nummer)
{
    if (nummer <= 0) {
        return {};
    }
    const std::string variable = "HESTREL_COM" + std::to_string(nummer);
    if (const char* wert = umgebung(variable.c_str()); wert && *wert) {
        return wert;
    }
    return "/dev/ttyS" + std::to_string(nummer - 1);
}

Fehler QtSeriellerport::port_oeffnen()
{
    if (m_port->isOpen()) {
        return {8005, "Anschluss bereits geöffnet"};
    }
    const std::string datei = geraetedatei(m_nummer);
    if (datei.empty()) {
        return {8002, "Ungültige Anschlussnummer " + std::to_string(m_nummer)};
    }
    m_datei = datei;
    m_port->setPortName(QString::fromStdString(datei));
    m_port->setBaudRate(QSerialPort::Baud2400);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const Fehler f = oeffnungsfehler(m_port->error(), datei);
        m_port->clearError();
        return f;
    }
    ++m_sitzung;
    m_verlust_gemeldet = false;
    return {};
}

void QtSeriellerport::schliessen()
{
    if (m_port->isOpen()) {
        m_port->close();
    }
    m_port->clearError();
}

bool QtSeriellerport::offen() const
{
    return m_port->isOpen();
}

Fehler QtSeriellerport::schreiben(const std::string& bytes)
{
    if (!m_port->isOpen()) {
        return anschluss_nicht_geoeffnet();
    }
    if (m_port->write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        return {8015, "Schreiben auf den Anschluss fehlgeschlagen"};
    }
    // Out at once: the interface check may close the port before the event loop would write.
    m_port->flush();
    return {};
}

Fehler QtSeriellerport::rts_leitung(bool an)
{
    if (!m_port->setRequestToSend(an)) {
        m_port->clearError();
        return {8015, "RTS-Leitung nicht verfügbar"};
    }
    return {};
}

void QtSeriellerport::lesen()
{
    const QByteArray daten = m_port->readAll();
    const unsigned sitzung = m_sitzung;
    for (char c : daten) {
        // A byte may have closed or re-opened the port; the rest belonged to the old opening.
        if (!m_port->isOpen() || sitzung != m_sitzung) {
            return;
        }
        if (empfangen) {
            empfangen(static_cast<std::uint8_t>(c));
        }
    }
}

void QtSeriellerport::fehler_aufgetreten(int fehler)
{
    const auto e = static_cast<QSerialPort::SerialPortError>(fehler);
    if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError) {
        return;
    }
    if (!m_port->isOpen() || m_verlust_gemeldet) {
        return;
    }
    m_verlust_gemeldet = true;
    const unsigned sitzung = m_sitzung;
    const Fehler f = oeffnungsfehler(QSerialPort::ResourceError, m_datei);
    // Not inside the port's own notification: closing there would delete the notifier that called us.
    QMetaObject::invokeMethod(
        m_port.get(),
        [this, sitzung, f] {
            if (sitzung != m_sitzung || !m_port->isOpen()) {
                return;
            }
            m_port->close();
            m_port->clearError();
            if (verloren) {
                verloren(f);
            }
        },
        Qt::QueuedConnection);
}

} // namespace hestrel
