#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryFile>

#include "exchange/tonausgabe.h"

class QSoundEffect;

namespace hestrel {

// The alarm sound through Qt Multimedia: the WAV file, and the beeps as a
// generated tone played one after another. Without an audio device both stay
// silent and the program runs on.
class QtTonausgabe : public QObject, public Tonausgabe {
    Q_OBJECT
public:
    explicit QtTonausgabe(QObject* parent = nullptr);
    ~QtTonausgabe() override;

    void abspielen(const std::string& pfad, std::function<void()> misslungen) override;
    void piepen(int frequenz_hz, int dauer_ms) override;

    // Beeps queued and not yet started.
    int ausstehende_piepe() const { return m_ausstehend; }

private:
    void wav_status();
    void piep_weiter();
    bool piep_vorbereiten(int frequenz_hz, int dauer_ms);

    QSoundEffect* m_wav = nullptr;
    std::function<void()> m_misslungen;
    QSoundEffect* m_piep = nullptr;
    QTemporaryFile m_piepdatei;
    int m_frequenz = 0;
    int m_dauer = 0;
    int m_ausstehend = 0;
    bool m_piep_laeuft = false;
    QElapsedTimer m_piep_seit;
};

// A WAV file (16-bit mono PCM) holding one sine tone followed by a short pause.
QByteArray ton_erzeugen(int frequenz_hz, int dauer_ms, int pause_ms, int abtastrate = 44100);

}  // namespace hestrel
