#pragma once

#include <functional>
#include <string>

namespace hestrel {

// The alarm sound. Neither call waits for the sound to end.
class Tonausgabe {
  public:
    virtual ~Tonausgabe() = default;
    // Plays the WAV file once; misslungen runs, maybe later, when it cannot be played.
    virtual void abspielen(const std::string& pfad, std::function<void()> misslungen) = 0;
    // Queues one beep behind those still sounding.
    virtual void piepen(int frequenz_hz, int dauer_ms) = 0;
};

} // namespace hestrel
