#pragma once

#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "core/prozessstarter.h"
#include "core/tonausgabe.h"
#include "device/geraet.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "support/testumgebung.h"

namespace hestrel::test {

// What happened, in order, across all fakes of one workstation.
using Ereignisse = std::vector<std::string>;

class FakeMeldeliste : public Zielauswahl,
                       public Empfangsanzeige,
                       public Relaisanzeige,
                       public Gruppensteuerung {
  public:
    explicit FakeMeldeliste(Ereignisse& e) : m_e(e) {}
    void zeigen() override
    {
        ++gezeigt;
        m_e.push_back("liste");
    }
    void bildschirm_anpassen() override {}
    void relais_farbe(int index, int farbe) override
    {
        farben.emplace_back(index, farbe);
        m_e.push_back("relais " + std::to_string(index));
    }
    void eingaenge(bool, bool) override {}
    void gruppe_erreichbar(int, bool, const std::string&) override {}
    bool melde_alle() override { return alle; }
    int melde_gruppe(int index) override { return gruppen[static_cast<std::size_t>(index)]; }
    std::array<std::string, 4> sammeltexte() override { return texte; }

    bool alle = false;
    std::array<int, 50> gruppen{};
    std::array<std::string, 4> texte{"Überfall", "Kasse 2", "", "Bitte kommen"};
    int gezeigt = 0;
    std::vector<std::pair<int, int>> farben;

  private:
    Ereignisse& m_e;
};

class FakeTon : public Tonausgabe {
  public:
    explicit FakeTon(Ereignisse& e) : m_e(e) {}
    void abspielen(const std::string& pfad, std::function<void()> misslungen) override
    {
        gespielt.push_back(pfad);
        m_e.push_back("wav");
        if (unspielbar) {
            misslungen();
        } else if (spaet_unspielbar) {
            // Found out later, as a real output reading the file elsewhere does.
            offen.push_back(std::move(misslungen));
        }
    }
    void piepen(int frequenz_hz, int dauer_ms) override
    {
        piepe.emplace_back(frequenz_hz, dauer_ms);
        m_e.push_back("piep");
    }
    bool unspielbar = false;
    bool spaet_unspielbar = false;
    std::vector<std::function<void()>> offen;
    std::vector<std::string> gespielt;
    std::vector<std::pair<int, int>> piepe;

  private:
    Ereignisse& m_e;
};

class FakeProzesse : public Prozessstarter {
  public:
    struct Start {
        std::string programm;
        std::vector<std::string> argumente;
        std::string eingabe;
    };
    Fehler starten(const std::string& programm, const std::vector<std::string>& argumente) override
    {
        starts.push_back({programm, argumente, {}});
        return fehler;
    }
    Fehler starten_mit_eingabe(const std::string& programm, const std::vector<std::string>& argumente,
                               const std::string& eingabe) override
    {
        starts.push_back({programm, argumente, eingabe});
        return fehler;
    }
    std::string programmverzeichnis() const override { return verzeichnis; }
    std::string umgebung(const std::string& name) const override
    {
        auto it = variablen.find(name);
        return it == variablen.end() ? "" : it->second;
    }
    std::string anmeldename() const override { return login; }

    std::vector<Start> starts;
    Fehler fehler;
    std::string verzeichnis = "/opt/hestrel";
    std::map<std::string, std::string> variablen;
    std::string login = "anmeldung";
};

// The real file system with chosen operations failing, and a record of the
// existence tests and journal entries.
class Stoerdateisystem : public Dateisystem {
  public:
    explicit Stoerdateisystem(Ereignisse& e) : m_e(e) {}
    bool existiert(const std::string& pfad) override
    {
        ++existenztests;
        zaehlen("existiert", pfad);
        geprueft.insert(pfad);
        return m_echt.existiert(pfad);
    }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override
    {
        zaehlen("lesen", pfad);
        if (trifft(lesen_muster, pfad)) {
            inhalt.clear();
            return fehler;
        }
        return m_echt.lesen(pfad, inhalt, max_bytes);
    }
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override
    {
        return schreiben("ersetzen", pfad, [&] { return m_echt.ersetzen(pfad, inhalt); });
    }
    Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt) override
    {
        return schreiben("ersetzen", pfad, [&] { return m_echt.ersetzen_fluechtig(pfad, inhalt); });
    }
    Fehler auffrischen(const std::string& pfad, const std::string& inhalt) override
    {
        return schreiben("auffrischen", pfad, [&] { return m_echt.auffrischen(pfad, inhalt); });
    }
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override
    {
        if (pfad.ends_with("mameldung.log")) {
            m_e.push_back("journal");
        }
        if (trifft(schreiben_muster, pfad)) {
            return fehler;
        }
        return m_echt.anhaengen(pfad, inhalt);
    }
    Fehler leeren(const std::string& pfad) override { return m_echt.leeren(pfad); }
    Fehler loeschen(const std::string& pfad) override
    {
        zaehlen("loeschen", pfad);
        if (trifft(loeschen_muster, pfad)) {
            return fehler;
        }
        return m_echt.loeschen(pfad);
    }
    std::optional<Dateiinfo> info(const std::string& pfad) override
    {
        zaehlen("ansehen", pfad);
        geprueft.insert(pfad);
        return m_echt.info(pfad);
    }
    Dateistand stand(const std::string& pfad) override
    {
        zaehlen("ansehen", pfad);
        geprueft.insert(pfad);
        return m_echt.stand(pfad);
    }
    Fehler auflisten(const std::string& v, const std::string& p, std::vector<Verzeichniseintrag>& e,
                     std::size_t m) override
    {
        zaehlen("auflisten", v);
        return m_echt.auflisten(v, p, e, m);
    }
    Fehler namen(const std::string& v, const std::function<bool(std::string_view)>& passt, Namensliste& l,
                 std::size_t m) override
    {
        zaehlen("auflisten", v);
        return m_echt.namen(v, passt, l, m);
    }

    // The shares' clock on the virtual one: every file written gets its time,
    // so records age with the test's clock. None: the real clock.
    const Scheduler* freigabeuhr = nullptr;
    std::int64_t freigabezeit_ns() const
    {
        return (std::int64_t{1800000000000} + freigabeuhr->jetzt_ms()) * 1000000;
    }
    // Sets the file's time as the share's clock would have stamped it.
    static void stempeln(const std::string& pfad, std::int64_t ns)
    {
        const timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        const timespec zeiten[2] = {t, t};
        ::utimensat(AT_FDCWD, pfad.c_str(), zeiten, AT_SYMLINK_NOFOLLOW);
    }

    std::string lesen_muster;
    std::string schreiben_muster;
    std::string loeschen_muster;
    Fehler fehler{70, "Zugriff verweigert"};
    long existenztests = 0;
    // Every path looked at.
    std::set<std::string> geprueft;
    // Calls by kind ("ansehen", "lesen", "ersetzen", "auffrischen", "auflisten",
    // "loeschen", "existiert") on paths beginning with `gezaehlt`.
    std::map<std::string, long> aufrufe;
    std::string gezaehlt = "/";

  private:
    void zaehlen(const char* art, const std::string& pfad)
    {
        if (pfad.rfind(gezaehlt, 0) == 0) {
            ++aufrufe[art];
        }
    }
    Fehler schreiben(const char* art, const std::string& pfad, const std::function<Fehler()>& tun)
    {
        zaehlen(art, pfad);
        if (trifft(schreiben_muster, pfad)) {
            return fehler;
        }
        Fehler f = tun();
        if (!f && freigabeuhr) {
            stempeln(pfad, freigabezeit_ns());
        }
        return f;
    }
    static bool trifft(const std::string& muster, const std::string& pfad)
    {
        return !muster.empty() && pfad.find(muster) != std::string::npos;
    }
    Ereignisse& m_e;
    EchtesDateisystem m_echt;
};

} // namespace hestrel::test
