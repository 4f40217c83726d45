#include "exchange/anwesenheitsmelder.h"

#include <algorithm>
#include <iterator>

#include "exchange/begleitdateien.h"

namespace hestrel {
namespace {

constexpr std::int64_t k_ns_je_ms = 1000000;

std::string plaetze(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " Platz" : " Plätze");
}

bool ist_anwesenheit(const std::string& name)
{
    return name.starts_with(k_anwesenheitspraefix) && name.ends_with(".txt");
}

// The file-name identity of a presence record: "hestrel-da-<kennung>.txt".
std::string kennung_von(const std::string& name)
{
    const std::size_t vorne = std::string(k_anwesenheitspraefix).size();
    return name.substr(vorne, name.size() - vorne - 4);
}

// How old a record or temporary file must be before the sweep takes it.
std::optional<std::int64_t> kehralter_ns(const std::string& name)
{
    if (ist_vorlage(name)) {
        return Anwesenheitsmelder::k_vorlage_alt_ms * k_ns_je_ms;
    }
    if (name.starts_with(k_antwortpraefix) || name == k_herkunftsdatei) {
        return Anwesenheitsmelder::k_begleit_alt_ms * k_ns_je_ms;
    }
    return std::nullopt;
}

// Removed only while it is still the file that was judged.
bool entfernen_wenn_gleich(Dateisystem& fs, const std::string& pfad, const Dateiinfo& gesehen)
{
    return fs.info(pfad) == gesehen && !fs.loeschen(pfad);
}

} // namespace

Anwesenheitsmelder::Anwesenheitsmelder(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz,
                                       Logbuch& log, Freigabedienst& freigaben, Scheduler& scheduler,
                                       const Uhr& uhr, Verzeichnisschau& schau)
    : m_e(einstellungen), m_zusatz(zusatz), m_log(log), m_freigaben(freigaben), m_scheduler(scheduler),
      m_uhr(uhr), m_schau(schau), m_takt(scheduler.timer("Anwesenheitstakt", k_takt_ms)),
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
    const Zeitstempel z = m_uhr.jetzt();
    m_seit = kurzdatum(z) + " " + langzeit(z);
    runde();
    m_takt->start();
}

Anwesenheitsmelder::Befund Anwesenheitsmelder::befund_erheben(Dateisystem& fs, const Auftrag& a)
{
    Befund b;
    const std::string eigen = a.pfad + a.eigen;
    // The stamp of the last renewal is the directory's clock a minute ago; a
    // record made anew carries the clock of now.
    const std::optional<Dateiinfo> vorher = a.uhr_stellen ? fs.info(eigen) : std::nullopt;
    b.schreibfehler = fs.auffrischen(eigen, a.bytes);
    if (!b.schreibfehler && a.uhr_stellen) {
        if (vorher) {
            b.vorige_zeit_ns = vorher->geaendert_ns;
        } else if (const auto neu = fs.info(eigen)) {
            b.neue_zeit_ns = neu->geaendert_ns;
        }
    }
    b.blick = Verzeichnisschau::blicken(fs, a.pfad, a.stand_ns, a.listen);
    if (b.blick.fehler) {
        return b;
    }
    const std::vector<std::string>& namen = b.blick.gelistet ? b.blick.liste.namen : a.namen;

    // The colleagues: each record read once, when its name is new.
    std::vector<std::string> anwesend;
    for (const std::string& name : namen) {
        if (!ist_anwesenheit(name) || name == a.eigen) {
            continue;
        }
        anwesend.push_back(name);
        if (a.bekannt.count(name) != 0) {
            continue;
        }
        std::string inhalt;
        if (fs.lesen(a.pfad + name, inhalt, k_max_begleitdatei + 1)) {
            // A link, a FIFO, or a file that cannot be read now: looked at again next round.
            if (fs.stand(a.pfad + name).art == Dateistand::Art::anderes) {
                b.muell[name] = "keine gewöhnliche Datei";
            }
            continue;
        }
        std::string grund;
        if (const auto w = anwesenheit_lesen(inhalt, grund)) {
            b.gelesen[name] = w->platz.empty() ? kennung_von(name) : w->platz;
        } else {
            b.muell[name] = grund;
        }
    }
    if (!a.jetzt_ns) {
        return b;
    }
    // The records after the own one by name (the first after the last), up
    // to the first that was renewed: each workstation watches the one that
    // follows it, so one look each round does for everybody while all run.
    const auto danach = std::upper_bound(anwesend.begin(), anwesend.end(), a.eigen);
    for (std::size_t n = 0; a.nachbarn && n < std::min(anwesend.size(), k_max_nachbarn); ++n) {
        const std::size_t stelle = static_cast<std::size_t>(danach - anwesend.begin()) + n;
        const std::string& nachbar = anwesend[stelle % anwesend.size()];
        const auto i = fs.info(a.pfad + nachbar);
        if (!i) {
            // Gone since the listing: the next one is looked at.
            continue;
        }
        const std::int64_t alter_ms = (*a.jetzt_ns - i->geaendert_ns) / k_ns_je_ms;
        if (alter_ms <= k_anwesend_ms) {
            b.nachbar = nachbar;
            b.nachbar_alter_ms = std::max<std::int64_t>(alter_ms, 0);
            break;
        }
        if (entfernen_wenn_gleich(fs, a.pfad + nachbar, *i)) {
            b.entfernt.push_back(nachbar);
        }
    }
    if (!a.kehren) {
        return b;
    }
    for (const std::string& name : namen) {
        const std::optional<std::int64_t> alt = kehralter_ns(name);
        if (!alt) {
            continue;
        }
        const auto bekannt = a.zeiten.find(name);
        std::optional<Dateiinfo> i;
        if (bekannt != a.zeiten.end()) {
            i = bekannt->second;
        } else if ((i = fs.info(a.pfad + name))) {
            b.zeiten[name] = *i;
        }
        if (i && *a.jetzt_ns - i->geaendert_ns > *alt) {
            if (entfernen_wenn_gleich(fs, a.pfad + name, *i)) {
                b.entfernt.push_back(name);
            } else if (const auto jetzt = fs.info(a.pfad + name)) {
                // Replaced meanwhile (the next alarm's origin record): judged by its new stamp.
                b.zeiten[name] = *jetzt;
            }
        }
    }
    return b;
}

Anwesenheitsmelder::Auftrag Anwesenheitsmelder::auftrag_fuer(std::size_t i, const std::string& pfad,
                                                             const std::string& eigen,
                                                             const std::string& bytes) const
{
    const Gruppe& g = m_gruppen[i];
    Auftrag a;
    a.pfad = pfad;
    a.eigen = eigen;
    a.bytes = bytes;
    a.stand_ns = m_schau.stand_fuer(pfad);
    a.listen = m_schau.listen_erlaubt(pfad);
    if (const Verzeichnisschau::Liste* l = m_schau.letzte(pfad)) {
        a.namen = l->namen;
    } else {
        a.stand_ns.reset();
    }
    for (const auto& [name, platz] : g.plaetze) {
        a.bekannt.insert(name);
    }
    a.bekannt.insert(g.muell.begin(), g.muell.end());
    a.jetzt_ns = m_schau.freigabezeit_ns(pfad);
    a.uhr_stellen =
        !a.jetzt_ns || !g.geschrieben || m_scheduler.jetzt_ms() - g.uhr_gestellt_ms >= k_uhrabstand_ms;
    // The record after the own one, renewed a while ago, cannot be three minutes old before then.
    std::vector<std::string> anwesend;
    std::copy_if(a.namen.begin(), a.namen.end(), std::back_inserter(anwesend),
                 [&](const std::string& n) { return ist_anwesenheit(n) && n != eigen; });
    const auto danach = std::upper_bound(anwesend.begin(), anwesend.end(), eigen);
    const std::string nachbar = anwesend.empty() ? "" : danach == anwesend.end() ? anwesend.front() : *danach;
    a.nachbarn = nachbar != g.nachbar || m_scheduler.jetzt_ms() >= g.nachbar_faellig_ms;
    // The first record by name sweeps; the own one is not listed before its first round.
    const auto erster = std::find_if(a.namen.begin(), a.namen.end(), ist_anwesenheit);
    a.kehren = erster == a.namen.end() || *erster >= eigen;
    a.zeiten = g.zeiten;
    return a;
}

void Anwesenheitsmelder::runde()
{
    if (m_abgemeldet) {
        return;
    }
    const std::string bytes = kodieren(Anwesenheit{m_zusatz.platzname, benutzername(), m_seit});
    const std::string eigen = anwesenheitsdatei(m_zusatz.platzname);
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        Gruppe& g = m_gruppen[i];
        const std::string& pfad = m_e.gruppenpfad[i];
        // A directory no longer received, or a new name: the old record goes.
        if (!g.geschrieben_in.empty() && (g.geschrieben_in != pfad || g.datei != eigen)) {
            entfernen(g.geschrieben_in, g.datei, nullptr);
            g.geschrieben_in.clear();
            g.geschrieben = false;
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
            [befund, a = auftrag_fuer(i, pfad, eigen, bytes)](Dateisystem& fs) {
                *befund = befund_erheben(fs, a);
            },
            [this, lebt = std::weak_ptr<bool>(m_lebt), i, befund,
             gefragt = m_scheduler.jetzt_ms()](bool ausgefuehrt) {
                if (lebt.lock()) {
                    beantwortet(i, std::move(*befund), ausgefuehrt, gefragt);
                }
            },
            k_takt_ms, Spur::begleit);
    }
}

void Anwesenheitsmelder::beantwortet(std::size_t i, Befund b, bool ausgefuehrt, std::int64_t gefragt_ms)
{
    Gruppe& g = m_gruppen[i];
    g.unterwegs = false;
    const int index = static_cast<int>(i);
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    if (!ausgefuehrt) {
        g.anzahl = -1;
        g.geschrieben = false;
        zeigen(i);
        return;
    }
    if (schreibergebnis) {
        schreibergebnis(index, b.schreibfehler ? b.schreibfehler.beschreibung : std::string());
    }
    const std::string& pfad = g.geschrieben_in;
    // The directory's clock: the stamp the last renewal got, taken when its answer came.
    if (b.neue_zeit_ns) {
        m_schau.uhr_stellen(pfad, *b.neue_zeit_ns, jetzt);
        g.uhr_gestellt_ms = jetzt;
    } else if (b.vorige_zeit_ns && g.geschrieben) {
        m_schau.uhr_stellen(pfad, *b.vorige_zeit_ns, g.geschrieben_ms);
        g.uhr_gestellt_ms = jetzt;
    }
    g.geschrieben = !b.schreibfehler;
    g.geschrieben_ms = jetzt;

    if (!b.blick.fehler) {
        m_schau.uebernehmen(pfad, std::move(b.blick), gefragt_ms);
    }
    // What this round removed is gone from the list too, whenever the directory is listed next.
    m_schau.entfernt(pfad, b.entfernt);
    for (auto& [name, platz] : b.gelesen) {
        g.plaetze[name] = platz;
    }
    for (const auto& [name, grund] : b.muell) {
        if (g.muell.insert(name).second) {
            m_log.logeintrag("Anwesenheit Gruppe " + std::to_string(index + 1) + ": " + name +
                             " übergangen: " + grund);
        }
    }
    for (auto& [name, info] : b.zeiten) {
        g.zeiten[name] = info;
    }
    if (!b.nachbar.empty()) {
        g.nachbar = b.nachbar;
        g.nachbar_faellig_ms = gefragt_ms + k_anwesend_ms - b.nachbar_alter_ms;
    }
    const Verzeichnisschau::Liste* liste = m_schau.letzte(pfad);
    if (b.blick.fehler || !liste) {
        g.anzahl = -1;
        zeigen(i);
        return;
    }
    // Only what the directory still holds is remembered: a record mended or
    // gone may be reported again should it break anew.
    const std::set<std::string> da(liste->namen.begin(), liste->namen.end());
    std::erase_if(g.plaetze, [&](const auto& p) { return !da.count(p.first); });
    std::erase_if(g.muell, [&](const std::string& d) { return !da.count(d); });
    std::erase_if(g.zeiten, [&](const auto& z) { return !da.count(z.first); });
    g.kennungen.clear();
    g.namen.clear();
    for (const std::string& name : liste->namen) {
        const auto p = g.plaetze.find(name);
        if (!ist_anwesenheit(name) || name == g.datei || p == g.plaetze.end()) {
            continue;
        }
        g.kennungen.push_back(kennung_von(name));
        g.namen.push_back(p->second);
    }
    std::sort(g.namen.begin(), g.namen.end());
    g.anzahl = static_cast<int>(g.namen.size());
    g.gezaehlt_ms = jetzt;
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
        k_abmeldefrist_ms, Spur::begleit);
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
