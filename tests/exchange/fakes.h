#pragma once

#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

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
        geprueft.insert(pfad);
        return m_echt.existiert(pfad);
    }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override
    {
        if (trifft(lesen_muster, pfad)) {
            inhalt.clear();
            return fehler;
        }
        return m_echt.lesen(pfad, inhalt, max_bytes);
    }
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override
    {
        if (trifft(schreiben_muster, pfad)) {
            return fehler;
        }
        return m_echt.ersetzen(pfad, inhalt);
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
        if (trifft(loeschen_muster, pfad)) {
            return fehler;
        }
        return m_echt.loeschen(pfad);
    }
    std::optional<Dateiinfo> info(const std::string& pfad) override { return m_echt.info(pfad); }
    std::optional<std::int64_t> verzeichnisuhr_ns(const std::string& v) override
    {
        return m_echt.verzeichnisuhr_ns(v);
    }
    Fehler auflisten(const std::string& v, const std::string& p, std::vector<Verzeichniseintrag>& e,
                     std::size_t m) override
    {
        return m_echt.auflisten(v, p, e, m);
    }

    std::string lesen_muster;
    std::string schreiben_muster;
    std::string loeschen_muster;
    Fehler fehler{70, "Zugriff verweigert"};
    long existenztests = 0;
    std::set<std::string> geprueft;

  private:
    static bool trifft(const std::string& muster, const std::string& pfad)
    {
        return !muster.empty() && pfad.find(muster) != std::string::npos;
    }
    Ereignisse& m_e;
    EchtesDateisystem m_echt;
};

} // namespace hestrel::test
