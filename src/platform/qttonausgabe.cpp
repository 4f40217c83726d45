#include "platform/qttonausgabe.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <numbers>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace hestrel {
namespace {

constexpr int k_abtastrate = 44100;
constexpr int k_kanaele = 2;
// The silence after each beep, so that three beeps in a row are heard as three.
constexpr int k_piep_pause_ms = 60;
// The stream keeps this much sound ahead of the device: enough to ride out
// a busy window thread, short enough to close soon after the last sound.
constexpr int k_puffer_ms = 300;
// Without sound for this long, the stream closes.
constexpr int k_leerlauf_ms = 1500;
// At most one event-log entry about a failed sound output in this time.
constexpr int k_stoerung_ruhe_ms = 5000;
// A sound file is read up to this size and played up to this length.
constexpr qint64 k_max_wavdatei = 64LL * 1024 * 1024;
constexpr qint64 k_max_wav_sekunden = 300;

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

// One sine tone with 5 ms fades, so that it does not click at its edges.
std::vector<double> sinuston(int frequenz_hz, int dauer_ms, int abtastrate)
{
    const int n = static_cast<int>(static_cast<qint64>(abtastrate) * dauer_ms / 1000);
    const int rampe = std::max(1, abtastrate / 200);
    std::vector<double> ton(static_cast<std::size_t>(std::max(0, n)));
    for (int i = 0; i < n; ++i) {
        double huelle = 1.0;
        if (i < rampe) {
            huelle = static_cast<double>(i) / rampe;
        } else if (n - i < rampe) {
            huelle = static_cast<double>(n - i) / rampe;
        }
        ton[static_cast<std::size_t>(i)] =
            0.6 * huelle * std::sin(2.0 * std::numbers::pi * frequenz_hz * i / abtastrate);
    }
    return ton;
}

qint16 probe16(double wert)
{
    return static_cast<qint16>(std::lround(std::clamp(wert, -1.0, 1.0) * 32767.0));
}

// One sample of a WAV file as -1 .. 1.
double probe_lesen(const unsigned char* p, int bits, bool gleitkomma)
{
    if (gleitkomma) {
        if (bits == 32) {
            const quint32 roh = qFromLittleEndian<quint32>(p);
            float f;
            std::memcpy(&f, &roh, sizeof f);
            return std::isfinite(f) ? static_cast<double>(f) : 0.0;
        }
        const quint64 roh = qFromLittleEndian<quint64>(p);
        double d;
        std::memcpy(&d, &roh, sizeof d);
        return std::isfinite(d) ? d : 0.0;
    }
    switch (bits) {
    case 8:
        return (static_cast<int>(p[0]) - 128) / 128.0;
    case 16:
        return qFromLittleEndian<qint16>(p) / 32768.0;
    case 24: {
        qint32 v = p[0] | (p[1] << 8) | (p[2] << 16);
        if (v & 0x800000) {
            v -= 0x1000000;
        }
        return v / 8388608.0;
    }
    default:
        return qFromLittleEndian<qint32>(p) / 2147483648.0;
    }
}

// Reads a sound file without waiting on a FIFO or device under its name.
QByteArray datei_lesen(const std::string& pfad, QString& fehler)
{
    const int fd = ::open(pfad.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fehler = QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    QByteArray daten;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fehler = QStringLiteral("keine Datei");
    } else if (st.st_size > k_max_wavdatei) {
        fehler = QStringLiteral("zu groß");
    } else {
        daten.resize(static_cast<qsizetype>(st.st_size));
        qsizetype gelesen = 0;
        while (gelesen < daten.size()) {
            const ssize_t n = ::read(fd, daten.data() + gelesen, static_cast<size_t>(daten.size() - gelesen));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                fehler = QString::fromLocal8Bit(std::strerror(errno));
                break;
            }
            if (n == 0) {
                break;
            }
            gelesen += n;
        }
        daten.truncate(gelesen);
    }
    ::close(fd);
    return fehler.isEmpty() ? daten : QByteArray();
}

} // namespace

// The samples waiting for the audio stream, served to it in its own format.
// While nothing waits, it serves silence: the stream never runs dry and so
// never stops on its own.
class Klangquelle : public QIODevice {
  public:
    struct Stueck {
        std::vector<qint16> proben;
        std::size_t pos = 0;
        // For a WAV file: what to do when it cannot be played to its end.
        std::function<void()> misslungen;
    };

    void setFormat(const QAudioFormat& f) { m_format = f; }

    void anhaengen(std::vector<qint16> proben, std::function<void()> misslungen)
    {
        std::lock_guard sperre(m_mutex);
        m_ausstehend += proben.size();
        m_stuecke.push_back({std::move(proben), 0, std::move(misslungen)});
    }

    // Takes out everything not yet served.
    std::deque<Stueck> leeren()
    {
        std::lock_guard sperre(m_mutex);
        std::deque<Stueck> rest;
        rest.swap(m_stuecke);
        m_ausstehend = 0;
        m_leer_seit.start();
        return rest;
    }

    std::size_t ausstehend() const
    {
        std::lock_guard sperre(m_mutex);
        return m_ausstehend;
    }

    // How long the queue has been empty; -1 while it holds sound.
    qint64 leer_seit_ms() const
    {
        std::lock_guard sperre(m_mutex);
        if (!m_stuecke.empty()) {
            return -1;
        }
        return m_leer_seit.isValid() ? m_leer_seit.elapsed() : std::numeric_limits<qint64>::max();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return std::numeric_limits<int>::max() + QIODevice::bytesAvailable();
    }

  protected:
    qint64 readData(char* daten, qint64 max) override
    {
        const int bytes = std::max(1, m_format.bytesPerSample());
        const int kanaele = std::max(1, m_format.channelCount());
        const qint64 proben = max / bytes / kanaele * kanaele;
        std::lock_guard sperre(m_mutex);
        for (qint64 i = 0; i < proben; ++i) {
            qint16 wert = 0;
            while (!m_stuecke.empty() && m_stuecke.front().pos >= m_stuecke.front().proben.size()) {
                m_stuecke.pop_front();
                if (m_stuecke.empty()) {
                    m_leer_seit.start();
                }
            }
            if (!m_stuecke.empty()) {
                Stueck& s = m_stuecke.front();
                wert = s.proben[s.pos++];
                --m_ausstehend;
            }
            schreiben(daten + i * bytes, wert);
        }
        // A piece served to its end is done: it can no longer fail.
        while (!m_stuecke.empty() && m_stuecke.front().pos >= m_stuecke.front().proben.size()) {
            m_stuecke.pop_front();
            if (m_stuecke.empty()) {
                m_leer_seit.start();
            }
        }
        return proben * bytes;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    void schreiben(char* ziel, qint16 wert) const
    {
        switch (m_format.sampleFormat()) {
        case QAudioFormat::UInt8:
            *reinterpret_cast<unsigned char*>(ziel) = static_cast<unsigned char>((wert >> 8) + 128);
            break;
        case QAudioFormat::Int32: {
            const qint32 v = static_cast<qint32>(wert) * 65536;
            std::memcpy(ziel, &v, sizeof v);
            break;
        }
        case QAudioFormat::Float: {
            const float v = static_cast<float>(wert) / 32768.0f;
            std::memcpy(ziel, &v, sizeof v);
            break;
        }
        default:
            std::memcpy(ziel, &wert, sizeof wert);
            break;
        }
    }

    mutable std::mutex m_mutex;
    QAudioFormat m_format;
    std::deque<Stueck> m_stuecke;
    std::size_t m_ausstehend = 0;
    QElapsedTimer m_leer_seit;
};

// The way back from the threads that read sound files: cut when the sound
// output is destroyed before they are done.
struct QtTonausgabe::Mailbox {
    std::mutex mutex;
    QtTonausgabe* ziel = nullptr;
};

std::vector<qint16> piep_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate, int kanaele)
{
    const std::vector<double> ton = sinuston(frequenz_hz, dauer_ms, abtastrate);
    const std::size_t stille = static_cast<std::size_t>(static_cast<qint64>(abtastrate) * pause_ms / 1000);
    std::vector<qint16> proben;
    proben.reserve((ton.size() + stille) * static_cast<std::size_t>(kanaele));
    for (double w : ton) {
        proben.insert(proben.end(), static_cast<std::size_t>(kanaele), probe16(w));
    }
    proben.insert(proben.end(), stille * static_cast<std::size_t>(kanaele), 0);
    return proben;
}

std::vector<qint16> wav_dekodieren(const QByteArray& datei, int abtastrate, int kanaele, QString& fehler)
{
    const auto* p = reinterpret_cast<const unsigned char*>(datei.constData());
    const qint64 groesse = datei.size();
    if (groesse < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) {
        fehler = QStringLiteral("kein WAV-Format");
        return {};
    }
    int format = -1;
    int quellkanaele = 0;
    qint64 quellrate = 0;
    int block = 0;
    int bits = 0;
    const unsigned char* daten = nullptr;
    qint64 datenlaenge = 0;
    for (qint64 pos = 12; pos + 8 <= groesse;) {
        const unsigned char* kopf = p + pos;
        const qint64 laenge = qFromLittleEndian<quint32>(kopf + 4);
        const qint64 rest = groesse - pos - 8;
        if (std::memcmp(kopf, "fmt ", 4) == 0 && laenge >= 16 && rest >= 16) {
            format = qFromLittleEndian<quint16>(kopf + 8);
            quellkanaele = qFromLittleEndian<quint16>(kopf + 10);
            quellrate = qFromLittleEndian<quint32>(kopf + 12);
            block = qFromLittleEndian<quint16>(kopf + 20);
            bits = qFromLittleEndian<quint16>(kopf + 22);
            if (format == 0xFFFE && laenge >= 40 && rest >= 40) {
                format = qFromLittleEndian<quint16>(kopf + 32);
            }
        } else if (std::memcmp(kopf, "data", 4) == 0) {
            // A file cut short, or written as a stream, plays as far as it goes.
            daten = kopf + 8;
            datenlaenge = std::min(laenge, rest);
            break;
        }
        pos += 8 + laenge + (laenge & 1);
    }
    const bool gleitkomma = format == 3;
    const int probenbytes = bits / 8;
    const bool bekannt = (format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
                         (gleitkomma && (bits == 32 || bits == 64));
    if (format < 0 || !daten) {
        fehler = QStringLiteral("unvollständige WAV-Datei");
        return {};
    }
    if (!bekannt || quellkanaele < 1 || quellkanaele > 32 || quellrate < 1000 || quellrate > 768000 ||
        block < quellkanaele * probenbytes) {
        fehler = QStringLiteral("WAV-Format nicht unterstützt");
        return {};
    }
    qint64 quellbilder = datenlaenge / block;
    quellbilder = std::min(quellbilder, k_max_wav_sekunden * quellrate);
    const qint64 bilder = quellbilder * abtastrate / quellrate;
    if (bilder <= 0) {
        fehler = QStringLiteral("keine Tondaten");
        return {};
    }
    auto kanal = [&](qint64 bild, int k) {
        const unsigned char* b = daten + bild * block;
        if (quellkanaele == kanaele || k < quellkanaele) {
            return probe_lesen(b + std::min(k, quellkanaele - 1) * probenbytes, bits, gleitkomma);
        }
        if (quellkanaele == 1) {
            return probe_lesen(b, bits, gleitkomma);
        }
        return probe_lesen(b + (k % quellkanaele) * probenbytes, bits, gleitkomma);
    };
    auto wert = [&](qint64 bild, int k) {
        if (kanaele == 1 && quellkanaele > 1) {
            double summe = 0;
            for (int q = 0; q < quellkanaele; ++q) {
                summe += probe_lesen(daten + bild * block + q * probenbytes, bits, gleitkomma);
            }
            return summe / quellkanaele;
        }
        return kanal(bild, k);
    };
    std::vector<qint16> proben;
    proben.reserve(static_cast<std::size_t>(bilder * kanaele));
    for (qint64 i = 0; i < bilder; ++i) {
        // Linear between the two nearest frames of the file.
        const double ort = static_cast<double>(i) * quellrate / abtastrate;
        const qint64 a = std::min(static_cast<qint64>(ort), quellbilder - 1);
        const qint64 b = std::min(a + 1, quellbilder - 1);
        const double anteil = ort - a;
        for (int k = 0; k < kanaele; ++k) {
            proben.push_back(probe16(wert(a, k) * (1.0 - anteil) + wert(b, k) * anteil));
        }
    }
    return proben;
}

QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate)
{
    const std::vector<qint16> proben = piep_erzeugen(frequenz_hz, dauer_ms, pause_ms, abtastrate, 1);
    QByteArray daten;
    daten.reserve(static_cast<qsizetype>(proben.size() * 2));
    for (qint16 p : proben) {
        anhaengen16(daten, static_cast<quint16>(p));
    }

    QByteArray wav;
    wav.append("RIFF");
    anhaengen32(wav, static_cast<quint32>(36 + daten.size()));
    wav.append("WAVEfmt ");
    anhaengen32(wav, 16);
    anhaengen16(wav, 1); // PCM
    anhaengen16(wav, 1); // mono
    anhaengen32(wav, static_cast<quint32>(abtastrate));
    anhaengen32(wav, static_cast<quint32>(abtastrate * 2));
    anhaengen16(wav, 2);
    anhaengen16(wav, 16);
    wav.append("data");
    anhaengen32(wav, static_cast<quint32>(daten.size()));
    wav.append(daten);
    return wav;
}

QtTonausgabe::QtTonausgabe(QObject* parent)
    : QObject(parent), m_quelle(std::make_unique<Klangquelle>()), m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->ziel = this;
    m_format.setSampleRate(k_abtastrate);
    m_format.setChannelCount(k_kanaele);
    m_format.setSampleFormat(QAudioFormat::Int16);
    m_leerlauf.setInterval(250);
    connect(&m_leerlauf, &QTimer::timeout, this, &QtTonausgabe::leerlauf_pruefen);
}

QtTonausgabe::~QtTonausgabe()
{
    {
        std::lock_guard sperre(m_mailbox->mutex);
        m_mailbox->ziel = nullptr;
    }
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
    }
    // Streams closed earlier and not yet deleted go before the queue they read.
    qDeleteAll(findChildren<QAudioSink*>());
}

qint64 QtTonausgabe::ausstehend_ms() const
{
    return static_cast<qint64>(m_quelle->ausstehend()) * 1000 /
           (m_format.sampleRate() * m_format.channelCount());
}

void QtTonausgabe::abspielen(const std::string& pfad, std::function<void()> misslungen)
{
    // The file may lie on a slow share: it is read and decoded by a thread of
    // its own, which hands the samples back to the window thread.
    const int rate = m_format.sampleRate();
    const int kanaele = m_format.channelCount();
    std::thread([mailbox = m_mailbox, pfad, rate, kanaele, misslungen = std::move(misslungen)]() mutable {
        QString fehler;
        std::vector<qint16> proben;
        const QByteArray datei = datei_lesen(pfad, fehler);
        if (fehler.isEmpty()) {
            proben = wav_dekodieren(datei, rate, kanaele, fehler);
        }
        std::lock_guard sperre(mailbox->mutex);
        if (QtTonausgabe* ziel = mailbox->ziel) {
            QMetaObject::invokeMethod(
                ziel,
                [ziel, proben = std::move(proben), fehler, misslungen = std::move(misslungen)]() mutable {
                    ziel->wav_geladen(std::move(proben), fehler, std::move(misslungen));
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

void QtTonausgabe::wav_geladen(std::vector<qint16> proben, QString fehler, std::function<void()> misslungen)
{
    if (!fehler.isEmpty() || !ausgabe_oeffnen()) {
        if (misslungen) {
            misslungen();
        }
        return;
    }
    m_quelle->anhaengen(std::move(proben), std::move(misslungen));
}

void QtTonausgabe::piepen(int frequenz_hz, int dauer_ms)
{
    if (!ausgabe_oeffnen()) {
        return;
    }
    m_quelle->anhaengen(
        piep_erzeugen(frequenz_hz, dauer_ms, k_piep_pause_ms, m_format.sampleRate(), m_format.channelCount()),
        {});
}

bool QtTonausgabe::ausgabe_oeffnen()
{
    if (m_sink) {
        return true;
    }
    const QAudioDevice geraet = QMediaDevices::defaultAudioOutput();
    if (geraet.isNull()) {
        ausgabe_gestoert(QStringLiteral("kein Audiogerät"));
        return false;
    }
    QAudioFormat format = m_format;
    if (!geraet.isFormatSupported(format)) {
        // The device's own sample format, at the rate and channels of the queue.
        format.setSampleFormat(geraet.preferredFormat().sampleFormat());
        if (!geraet.isFormatSupported(format)) {
            ausgabe_gestoert(QStringLiteral("Tonformat nicht unterstützt"));
            return false;
        }
    }
    m_quelle->setFormat(format);
    if (!m_quelle->isOpen()) {
        m_quelle->open(QIODevice::ReadOnly);
    }
    m_sink = new QAudioSink(geraet, format, this);
    m_sink->setBufferSize(format.bytesForDuration(k_puffer_ms * 1000));
    connect(m_sink, &QAudioSink::stateChanged, this, [this, sink = m_sink](QAudio::State zustand) {
        if (sink == m_sink && zustand == QAudio::StoppedState && sink->error() != QAudio::NoError) {
            ausgabe_gestoert(QStringLiteral("Tonausgabe abgebrochen (Fehler %1)").arg(sink->error()));
        }
    });
    m_sink->start(m_quelle.get());
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        ausgabe_gestoert(QStringLiteral("Audiogerät nicht geöffnet (Fehler %1)").arg(m_sink->error()));
        return false;
    }
    m_leerlauf.start();
    return true;
}

void QtTonausgabe::ausgabe_schliessen()
{
    m_leerlauf.stop();
    if (m_sink) {
        QAudioSink* sink = m_sink;
        m_sink = nullptr;
        sink->disconnect(this);
        sink->stop();
        // It may be in the middle of its own signal.
        sink->deleteLater();
    }
    m_quelle->close();
}

void QtTonausgabe::ausgabe_gestoert(const QString& grund)
{
    ausgabe_schliessen();
    // What was queued is lost; a sound file that did not play says so, and
    // the next sound tries a new stream.
    std::deque<Klangquelle::Stueck> rest = m_quelle->leeren();
    if (m_stoerung && (!m_letzte_stoerung.isValid() || m_letzte_stoerung.elapsed() >= k_stoerung_ruhe_ms)) {
        m_letzte_stoerung.start();
        m_stoerung(("Signalton nicht abspielbar: " + grund).toStdString());
    }
    for (Klangquelle::Stueck& s : rest) {
        if (s.misslungen) {
            s.misslungen();
        }
    }
}

void QtTonausgabe::leerlauf_pruefen()
{
    const qint64 leer = m_quelle->leer_seit_ms();
    if (leer >= 0 && leer >= k_leerlauf_ms) {
        ausgabe_schliessen();
    }
}

} // namespace hestrel
