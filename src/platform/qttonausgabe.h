#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/tonausgabe.h"

class QAudioSink;

namespace hestrel {

class Klangquelle;
class QtScheduler;
class Tondateileser;

// The alarm sound through one audio stream of Qt Multimedia. Beeps and WAV
// files are turned into samples of the stream's format and queued one after
// another; the stream plays the queue and silence while it is empty, and
// closes after a while without sound. So no sound ever cuts off another:
// every alarm's beeps or file are heard in turn. WAV files are read and
// decoded off the window thread, by the one thread of a Tondateileser, and
// one not read within its time limit counts as failed. Without an audio device nothing is heard;
// each failure is reported (abspielen's misslungen, setStoerung).
class QtTonausgabe : public QObject, public Tonausgabe {
    Q_OBJECT
  public:
    explicit QtTonausgabe(QObject* parent = nullptr);
    ~QtTonausgabe() override;

    void abspielen(const std::string& pfad, std::function<void()> misslungen) override;
    void piepen(int frequenz_hz, int dauer_ms) override;

    // Receives a text for the event log when the sound output cannot be
    // opened or breaks off; once for a run of failures close together.
    void setStoerung(std::function<void(const std::string&)> melden) { m_stoerung = std::move(melden); }

    // Sound queued and not yet handed to the audio device, in milliseconds.
    qint64 ausstehend_ms() const;

  private:
    void wav_geladen(std::vector<qint16> proben, bool misslang, std::function<void()> misslungen);
    bool ausgabe_oeffnen();
    void ausgabe_schliessen();
    void ausgabe_gestoert(const QString& grund);
    void leerlauf_pruefen();

    QAudioFormat m_format;
    QAudioSink* m_sink = nullptr;
    std::unique_ptr<Klangquelle> m_quelle;
    QTimer m_leerlauf;
    // The way back from the sound file reader's thread; it dies after the reader.
    std::unique_ptr<QtScheduler> m_zeitgeber;
    std::unique_ptr<Tondateileser> m_leser;
    std::function<void(const std::string&)> m_stoerung;
    QElapsedTimer m_letzte_stoerung;
};

// The samples, interleaved 16-bit, for `kanaele` channels at `abtastrate`:
// one sine tone of `dauer_ms` with soft edges, then `pause_ms` of silence.
std::vector<qint16> piep_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate, int kanaele);

// A WAV file (16-bit mono PCM) holding one sine tone followed by a short pause.
QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate = 44100);

} // namespace hestrel
