#include "platform/qttonausgabe.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <numbers>

#include "core/tondateileser.h"
#include "core/wavdatei.h"
#include "platform/qtscheduler.h"

namespace hestrel {
namespace {

// The silence after each beep, so that three beeps in a row are heard as three.
constexpr int k_piep_pause_ms = 60;
// The stream keeps this much sound ahead of the device: enough to ride out
// a busy window thread, short enough to close soon after the last sound.
constexpr int k_puffer_ms = 300;
// Without sound for this long, the stream closes.
constexpr int k_leerlauf_ms = 1500;
// At most one event-log entry about a failed sound output in this time.
constexpr int k_stoerung_ruhe_ms = 5000;

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

QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate)
{
    const std::vector<qint16> proben = piep_erzeugen(frequenz_hz, dauer_ms, pause_ms, abtastrate, 1);
    QByteArray daten;
    daten.reserve(static_cast<qsizetype>(proben.size()) * 2);
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
    : QObject(parent), m_quelle(std::make_unique<Klangquelle>()),
      m_zeitgeber(std::make_unique<QtScheduler>()),
      m_leser(std::make_unique<Tondateileser>(*m_zeitgeber, std::make_shared<EchtesDateisystem>(),
                                              k_ton_abtastrate, k_ton_kanaele))
{
    m_format.setSampleRate(k_ton_abtastrate);
    m_format.setChannelCount(k_ton_kanaele);
    m_format.setSampleFormat(QAudioFormat::Int16);
    m_leerlauf.setInterval(250);
    connect(&m_leerlauf, &QTimer::timeout, this, &QtTonausgabe::leerlauf_pruefen);
}

QtTonausgabe::~QtTonausgabe()
{
    m_leser.reset();
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
           (static_cast<qint64>(m_format.sampleRate()) * m_format.channelCount());
}

void QtTonausgabe::abspielen(const std::string& pfad, std::function<void()> misslungen)
{
    // The file may lie on a slow share: the reader's thread reads and decodes it.
    m_leser->lesen(pfad, [this, misslungen = std::move(misslungen)](std::vector<std::int16_t> proben,
                                                                    const std::string& fehler) mutable {
        wav_geladen(std::move(proben), !fehler.empty(), std::move(misslungen));
    });
}

void QtTonausgabe::wav_geladen(std::vector<qint16> proben, bool misslang, std::function<void()> misslungen)
{
    if (misslang || !ausgabe_oeffnen()) {
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
    m_sink->setBufferSize(format.bytesForDuration(qint64{k_puffer_ms} * 1000));
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
