#include "platform/qttonausgabe.h"

#include <QDir>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>
#include <cmath>
#include <numbers>

namespace hestrel {
namespace {

void anhaengen16(QByteArray& b, quint16 v)
{
    char t[2];
    qToLittleEndian(v, t);
    b.append(t, 2);
}

void anhaengen32(QByteArray& b, quint32 v)
{
    char t[4];
    qToLittleEndian(v, t);
    b.append(t, 4);
}

}  // namespace

QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate)
{
    const int ton = abtastrate * dauer_ms / 1000;
    const int stille = abtastrate * pause_ms / 1000;
    // Short fades keep the tone from clicking at its edges.
    const int rampe = std::max(1, abtastrate / 200);
    QByteArray daten;
    daten.reserve((ton + stille) * 2);
    for (int i = 0; i < ton; ++i) {
        double huelle = 1.0;
        if (i < rampe) {
            huelle = static_cast<double>(i) / rampe;
        } else if (ton - i < rampe) {
            huelle = static_cast<double>(ton - i) / rampe;
        }
        const double wert = 0.6 * huelle * std::sin(2.0 * std::numbers::pi * frequenz_hz * i / abtastrate);
        anhaengen16(daten, static_cast<quint16>(static_cast<qint16>(std::lround(wert * 32767))));
    }
    daten.append(QByteArray(stille * 2, '\0'));

    QByteArray wav;
    wav.append("RIFF");
    anhaengen32(wav, static_cast<quint32>(36 + daten.size()));
    wav.append("WAVEfmt ");
    anhaengen32(wav, 16);
    anhaengen16(wav, 1);  // PCM
    anhaengen16(wav, 1);  // mono
    anhaengen32(wav, static_cast<quint32>(abtastrate));
    anhaengen32(wav, static_cast<quint32>(abtastrate * 2));
    anhaengen16(wav, 2);
    anhaengen16(wav, 16);
    wav.append("data");
    anhaengen32(wav, static_cast<quint32>(daten.size()));
    wav.append(daten);
    return wav;
}

QtTonausgabe::QtTonausgabe(QObject* parent) : QObject(parent)
{
    m_piepdatei.setFileTemplate(QDir::tempPath() + QStringLiteral("/hestrel-piep-XXXXXX.wav"));
}

QtTonausgabe::~QtTonausgabe() = default;

void QtTonausgabe::abspielen(const std::string& pfad, std::function<void()> misslungen)
{
    if (!m_wav) {
        m_wav = new QSoundEffect(this);
        connect(m_wav, &QSoundEffect::statusChanged, this, &QtTonausgabe::wav_status);
    }
    m_misslungen = std::move(misslungen);
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(pfad));
    if (m_wav->source() != url) {
        m_wav->setSource(url);
    }
    m_wav->stop();
    m_wav->play();
    wav_status();
}

void QtTonausgabe::wav_status()
{
    if (m_wav->status() == QSoundEffect::Error && m_misslungen) {
        auto misslungen = std::move(m_misslungen);
        m_misslungen = nullptr;
        // The file is read again at the next alarm; it may have been replaced.
        m_wav->setSource(QUrl());
        misslungen();
    } else if (m_wav->status() == QSoundEffect::Ready) {
        m_misslungen = nullptr;
    }
}

bool QtTonausgabe::piep_vorbereiten(int frequenz_hz, int dauer_ms)
{
    if (m_piep && frequenz_hz == m_frequenz && dauer_ms == m_dauer) {
        return true;
    }
    if (!m_piepdatei.isOpen() && !m_piepdatei.open()) {
        return false;
    }
    m_piepdatei.resize(0);
    m_piepdatei.seek(0);
    m_piepdatei.write(ton_erzeugen(frequenz_hz, dauer_ms, 40));
    m_piepdatei.flush();
    m_frequenz = frequenz_hz;
    m_dauer = dauer_ms;
    delete m_piep;
    m_piep = new QSoundEffect(this);
    connect(m_piep, &QSoundEffect::statusChanged, this, &QtTonausgabe::piep_weiter);
    connect(m_piep, &QSoundEffect::playingChanged, this, [this] {
        if (!m_piep->isPlaying()) {
            m_piep_laeuft = false;
            piep_weiter();
        }
    });
    m_piep->setSource(QUrl::fromLocalFile(m_piepdatei.fileName()));
    return true;
}

void QtTonausgabe::piepen(int frequenz_hz, int dauer_ms)
{
    if (m_ausstehend > 0 && (frequenz_hz != m_frequenz || dauer_ms != m_dauer)) {
        m_ausstehend = 0;
    }
    if (!piep_vorbereiten(frequenz_hz, dauer_ms)) {
        return;
    }
    ++m_ausstehend;
    piep_weiter();
}

void QtTonausgabe::piep_weiter()
{
    if (!m_piep) {
        return;
    }
    if (m_piep->status() == QSoundEffect::Error) {
        // No audio device or no player: the beeps stay silent.
        m_ausstehend = 0;
        m_piep_laeuft = false;
        return;
    }
    // A start that never began playing is given up after a while.
    if (m_piep_laeuft && !m_piep->isPlaying() && m_piep_seit.elapsed() > 2 * m_dauer + 1000) {
        m_piep_laeuft = false;
    }
    if (m_piep_laeuft || m_piep->isPlaying() || m_ausstehend == 0 || m_piep->status() != QSoundEffect::Ready) {
        return;
    }
    --m_ausstehend;
    m_piep_laeuft = true;
    m_piep_seit.start();
    m_piep->play();
}

}  // namespace hestrel
