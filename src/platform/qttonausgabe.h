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

// The alarm sound through one audio stream of Qt Multimedia. Beeps and WAV
// files are turned into samples of the stream's format and queued one after
// another; the stream plays the queue and silence while it is empty, and
// closes after a while without sound. So no sound ever cuts off another:
// every alarm's beeps or file are heard in turn. WAV files are read and
// decoded off the window thread. Without an audio device nothing is heard;
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
    struct Mailbox;
    void wav_geladen(std::vector<qint16> proben, QString fehler, std::function<void()> misslungen);
    bool ausgabe_oeffnen();
    void ausgabe_schliessen();
    void ausgabe_gestoert(const QString& grund);
    void leerlauf_pruefen();

    QAudioFormat m_format;
    QAudioSink* m_sink = nullptr;
    std::unique_ptr<Klangquelle> m_quelle;
    QTimer m_leerlauf;
    std::shared_ptr<Mailbox> m_mailbox;
    std::function<void(const std::string&)> m_stoerung;
    QElapsedTimer m_letzte_stoerung;
};

// The samples, interleaved 16-bit, for `kanaele` channels at `abtastrate`:
// one sine tone of `dauer_ms` with soft edges, then `pause_ms` of silence.
std::vector<qint16> piep_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate, int kanaele);

// Decodes a WAV file (PCM of 8, 16, 24 or 32 bits, or 32/64-bit float, any
// rate and channel count) into interleaved 16-bit samples at `abtastrate`
// with `kanaele` channels. Empty, with the reason in `fehler`, when the file
// cannot be played.
std::vector<qint16> wav_dekodieren(const QByteArray& datei, int abtastrate, int kanaele, QString& fehler);

// A WAV file (16-bit mono PCM) holding one sine tone followed by a short pause.
QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate = 44100);

} // namespace hestrel
