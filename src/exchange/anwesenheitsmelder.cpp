#include "exchange/anwesenheitsmelder.h"

#include <algorithm>

#include "exchange/begleitdateien.h"

namespace hestrel {
namespace {

constexpr std::int64_t k_ns_je_ms = 1000000;

std::string plaetze(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " Platz" : " Plätze");
}

} // namespace

Anwesenheitsmelder::Anwesenheitsmelder(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz,
                                       Logbuch& log, Freigabedienst& freigaben, Scheduler& scheduler,
                                       const Uhr& uhr)
    : m_e(einstellungen), m_zusatz(zusatz), m_log(log), m_freigaben(freigaben), m_scheduler(scheduler),
      m_uhr(uhr), m_takt(scheduler.timer("Anwesenheitstakt", k_takt_ms)),
      m_abmeldefrist(scheduler.timer("Abmeldefrist", k_abmeldefrist_ms))
{
    m_takt->tick = [this] { runde(); };
    m_abmeldefrist->tick = [this] { abmeldung_fertig(); };
}

Anwesenheitsmelder::~Anwesenheitsmelder()
{
    *m_lebt = false;
    m_takt->stop();
    m_abmeldefrist->stop();
}

void Anwesenheitsmelder::starten()
{
    m_abgemeldet = false;
    runde();
    m_takt->start();
}

Anwesenheitsmelder::Befund Anwesenheitsmelder::befund_erheben(Dateisystem& fs, const std::string& pfad,
                                                              const std::string& eigen,
                                                              const std::string& bytes)
{
    Befund b;
    b.schreibfehler = fs.ersetzen_fluechtig(pfad + eigen, bytes);
    // The share's clock: the own record just written carries it; desks' clocks differ.
    std::optional<std::int64_t> uhr;
    if (!b.schreibfehler) {
        if (const auto i = fs.info(pfad + eigen)) {
            uhr = i->geaendert_ns;
        }
    }
    if (!uhr) {
        uhr = fs.verzeichnisuhr_ns(pfad);
    }
    std::vector<Verzeichniseintrag> eintraege;
    b.listenfehler = fs.auflisten(pfad, k_anwesenheitspraefix, eintraege, k_max_eintraege);
    for (const Verzeichniseintrag& e : eintraege) {
        if (e.name == eigen || !e.name.ends_with(".txt")) {
            continue;
        }
        const std::int64_t alter_ms = uhr ? (*uhr - e.info.geaendert_ns) / k_ns_je_ms : 0;
        if (alter_ms > k_veraltet_ms) {
            // Removed only while it is still the record that was judged.
            if (fs.info(pfad + e.name) == e.info) {
                fs.loeschen(pfad + e.name);
            }
            continue;
        }
        if (alter_ms >= k_anwesend_ms) {
            continue;
        }
        std::string inhalt;
        if (fs.lesen(pfad + e.name, inhalt, k_max_begleitdatei + 1)) {
            continue;
        }
        std::string grund;
        const auto a = anwesenheit_lesen(inhalt, grund);
        if (!a) {
            b.muell.emplace_back(e.name, grund);
            continue;
        }
        const std::string kennung =
            e.name.substr(std::string(k_anwesenheitspraefix).size(),
                          e.name.size() - std::string(k_anwesenheitspraefix).size() - 4);
        b.anwesend.emplace_back(kennung, a->platz.empty() ? kennung : a->platz);
    }
    return b;
}

void Anwesenheitsmelder::runde()
{
    if (m_abgemeldet) {
        return;
    }
    const Zeitstempel z = m_uhr.jetzt();
    const std::string bytes =
        kodieren(Anwesenheit{m_zusatz.platzname, benutzername(), kurzdatum(z) + " " + langzeit(z)});
    const std::string eigen = anwesenheitsdatei(m_zusatz.platzname);
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        Gruppe& g = m_gruppen[i];
        const std::string& pfad = m_e.gruppenpfad[i];
        // A directory no longer received, or a new name: the old record goes.
        if (!g.geschrieben_in.empty() && (g.geschrieben_in != pfad || g.datei != eigen)) {
            entfernen(g.geschrieben_in, g.datei, nullptr);
            g.geschrieben_in.clear();
        }
        if (pfad.empty()) {
            if (g.anzahl != -1) {
                g = Gruppe{};
                zeigen(i);
            }
            continue;
        }
        if (g.unterwegs) {
            // The share has not answered the last round: its count gets old.
            if (g.anzahl != -1 && m_scheduler.jetzt_ms() - g.gezaehlt_ms > k_gueltig_ms) {
                g.anzahl = -1;
                zeigen(i);
            }
            continue;
        }
        g.unterwegs = true;
        g.geschrieben_in = pfad;
        g.datei = eigen;
        auto befund = std::make_shared<Befund>();
        m_freigaben.auftrag(
            pfad,
            [befund, pfad, eigen, bytes](Dateisystem& fs) {
                *befund = befund_erheben(fs, pfad, eigen, bytes);
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), i, befund](bool ausgefuehrt) {
                if (lebt.lock()) {
                    beantwortet(i, *befund, ausgefuehrt);
                }
            },
            k_takt_ms);
    }
}

void Anwesenheitsmelder::beantwortet(std::size_t i, const Befund& b, bool ausgefuehrt)
{
    Gruppe& g = m_gruppen[i];
    g.unterwegs = false;
    const int index = static_cast<int>(i);
    if (!ausgefuehrt) {
        g.anzahl = -1;
        zeigen(i);
        return;
    }
    if (schreibergebnis) {
        schreibergebnis(index, b.schreibfehler ? b.schreibfehler.beschreibung : std::string());
    }
    std::set<std::string> muell;
    for (const auto& [datei, grund] : b.muell) {
        muell.insert(datei);
        if (g.gemeldet.insert(datei).second) {
            m_log.logeintrag("Anwesenheit Gruppe " + std::to_string(index + 1) + ": " + datei +
                             " übergangen: " + grund);
        }
    }
    // A record mended or gone may be reported again should it break anew.
    std::erase_if(g.gemeldet, [&](const std::string& d) { return !muell.count(d); });
    if (b.listenfehler) {
        g.anzahl = -1;
    } else {
        g.kennungen.clear();
        g.namen.clear();
        for (const auto& [kennung, name] : b.anwesend) {
            g.kennungen.push_back(kennung);
            g.namen.push_back(name);
        }
        std::sort(g.namen.begin(), g.namen.end());
        g.anzahl = static_cast<int>(b.anwesend.size());
        g.gezaehlt_ms = m_scheduler.jetzt_ms();
    }
    zeigen(i);
}

void Anwesenheitsmelder::zeigen(std::size_t i)
{
    if (m_anzeige) {
        const Gruppe& g = m_gruppen[i];
        m_anzeige->anwesende_zeigen(static_cast<int>(i), g.anzahl,
                                    g.anzahl >= 0 ? g.namen : std::vector<std::string>{});
    }
}

std::optional<int> Anwesenheitsmelder::anzahl(int index) const
{
    if (index < 0 || index >= k_gruppen) {
        return std::nullopt;
    }
    const Gruppe& g = m_gruppen[static_cast<std::size_t>(index)];
    if (g.anzahl < 0 || m_scheduler.jetzt_ms() - g.gezaehlt_ms > k_gueltig_ms) {
        return std::nullopt;
    }
    return g.anzahl;
}

const std::vector<std::string>& Anwesenheitsmelder::namen(int index) const
{
    static const std::vector<std::string> keine;
    return index >= 0 && index < k_gruppen ? m_gruppen[static_cast<std::size_t>(index)].namen : keine;
}

std::vector<std::string> Anwesenheitsmelder::reichweite(const std::vector<int>& ziele, bool nur_hestrel) const
{
    // A colleague who receives two of the target groups is one workstation reached.
    std::set<std::string> erreicht;
    std::vector<std::string> warnungen;
    bool unbekannt = false;
    for (int index : ziele) {
        const std::optional<int> n = anzahl(index);
        if (!n) {
            unbekannt = true;
            continue;
        }
        const auto& kennungen = m_gruppen[static_cast<std::size_t>(index)].kennungen;
        erreicht.insert(kennungen.begin(), kennungen.end());
        if (*n == 0 && nur_hestrel) {
            warnungen.push_back("Gruppe " + std::to_string(index + 1) + ": kein Platz empfangsbereit");
        }
    }
    // Older workstations keep no record, and a group not counted may hold more.
    const bool mindestens = !nur_hestrel || unbekannt;
    std::vector<std::string> zeilen{(mindestens ? "mindestens " : "") + plaetze(erreicht.size()) +
                                    " erreicht"};
    zeilen.insert(zeilen.end(), warnungen.begin(), warnungen.end());
    return zeilen;
}

void Anwesenheitsmelder::entfernen(const std::string& verzeichnis, const std::string& datei,
                                   std::function<void()> fertig)
{
    m_freigaben.auftrag(
        verzeichnis, [ziel = verzeichnis + datei](Dateisystem& fs) { fs.loeschen(ziel); },
        [lebt = std::weak_ptr<bool>(m_lebt), fertig = std::move(fertig)](bool) {
            if (lebt.lock() && fertig) {
                fertig();
            }
        },
        k_abmeldefrist_ms);
}

void Anwesenheitsmelder::abmelden(std::function<void()> danach)
{
    m_takt->stop();
    if (m_abgemeldet) {
        // Asked again while the removals run: the first caller's danach still comes.
        return;
    }
    m_abgemeldet = true;
    m_danach = std::move(danach);
    m_offen = 1;
    m_abmeldefrist->start();
    for (Gruppe& g : m_gruppen) {
        if (g.geschrieben_in.empty()) {
            continue;
        }
        ++m_offen;
        entfernen(g.geschrieben_in, g.datei, [this] {
            if (--m_offen == 0) {
                abmeldung_fertig();
            }
        });
        g.geschrieben_in.clear();
    }
    if (--m_offen == 0) {
        abmeldung_fertig();
    }
}

void Anwesenheitsmelder::abmeldung_fertig()
{
    m_abmeldefrist->stop();
    m_offen = 0;
    if (auto danach = std::move(m_danach)) {
        m_danach = nullptr;
        danach();
    }
}

} // namespace hestrel
