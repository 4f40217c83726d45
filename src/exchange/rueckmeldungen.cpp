#include "exchange/rueckmeldungen.h"

#include <algorithm>
#include <tuple>

#include "core/tonausgabe.h"
#include "presentation/alarmgesendet.h"

namespace hestrel {
namespace {

// The sender's tone at the first answer: short and discreet, nothing like an alarm.
constexpr int k_tonfrequenz = 1000;
constexpr int k_tondauer = 120;
// Work on a share that could not start within this is dropped; the next look asks again.
constexpr int k_verfall_ms = 2000;
constexpr int k_schreibverfall_ms = 10000;

std::string gruppenname(int gruppe)
{
    return "Gruppe " + std::to_string(gruppe + 1);
}

std::string artname(Antwort::Art art)
{
    return art == Antwort::Art::kommt ? "Ich komme" : "Empfangen";
}

} // namespace

// One answer record looked at on the share's side.
struct Rueckmeldungen::Gelesen {
    std::string name;
    std::optional<Antwort> antwort;
    std::string grund;
};

Rueckmeldungen::Rueckmeldungen(const Zusatzeinstellungen& zusatz, Logbuch& log, Freigabedienst& freigaben,
                               Scheduler& scheduler, const Uhr& uhr, Tonausgabe* ton, Alarmanzeige& anzeige,
                               Alarmgesendet& bestaetigung, Verzeichnisschau& schau)
    : m_zusatz(zusatz), m_log(log), m_freigaben(freigaben), m_scheduler(scheduler), m_uhr(uhr), m_ton(ton),
      m_anzeige(anzeige), m_bestaetigung(bestaetigung), m_schau(schau),
      m_sendertakt(scheduler.timer("Rueckmeldungsabfrage", k_sendertakt_ms)),
      m_empfaengertakt(scheduler.timer("Antwortschau", k_empfaengertakt_ms))
{
    m_sendertakt->tick = [this] { sender_schauen(); };
    m_empfaengertakt->tick = [this] { empfaenger_schauen(); };
    m_anzeige.antwortweg_setzen(this);
}

Rueckmeldungen::~Rueckmeldungen()
{
    *m_lebt = false;
    m_anzeige.antwortweg_setzen(nullptr);
}

void Rueckmeldungen::unbrauchbar(const std::string& wo, const std::string& name, const std::string& grund,
                                 std::int64_t stand_ns)
{
    // Once per file: the same record is seen again at every look.
    if (!m_gemeldet.insert({wo + name, stand_ns}).second) {
        return;
    }
    if (m_gemeldet.size() > 1024) {
        m_gemeldet.clear();
    }
    m_log.logeintrag("Begleitdatei übergangen, " + wo + ": " + name + ", " + grund);
}

bool Rueckmeldungen::jetzt_schauen(std::int64_t seit_ms, std::int64_t& geschaut_ms) const
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    if (jetzt - seit_ms >= k_frueh_ms && geschaut_ms >= 0 && jetzt - geschaut_ms < k_spaettakt_ms) {
        return false;
    }
    geschaut_ms = jetzt;
    return true;
}

void Rueckmeldungen::antworten_suchen(const std::string& pfad, const std::string& alarm,
                                      const std::set<std::string>& bekannt,
                                      std::function<void(std::vector<Gelesen>)> fertig,
                                      std::function<void()> nichts)
{
    m_schau.schauen(pfad, [this, lebt = std::weak_ptr<bool>(m_lebt), pfad, praefix = antwortpraefix(alarm),
                           bekannt, fertig = std::move(fertig),
                           nichts = std::move(nichts)](const Verzeichnisschau::Liste* l) {
        if (!lebt.lock()) {
            return;
        }
        std::vector<std::string> neue;
        const bool nach_namen = m_schau.langsam(pfad);
        for (const std::string& name : l ? l->namen : std::vector<std::string>{}) {
            if (nach_namen && name.starts_with(k_anwesenheitspraefix) && name.ends_with(".txt")) {
                // In a slow directory, the answers each present colleague would write.
                const std::string kennung = name.substr(std::string(k_anwesenheitspraefix).size());
                const std::string antwort = praefix + kennung;
                if (bekannt.count(antwort) == 0) {
                    neue.push_back(antwort);
                }
            } else if (!nach_namen && name.starts_with(praefix) && bekannt.count(name) == 0) {
                neue.push_back(name);
            }
        }
        if (neue.empty()) {
            nichts();
            return;
        }
        // Each new answer is read once.
        auto gelesen = std::make_shared<std::vector<Gelesen>>();
        m_freigaben.auftrag(
            pfad,
            [gelesen, pfad, neue](Dateisystem& fs) {
                for (const std::string& name : neue) {
                    Gelesen g{name, std::nullopt, ""};
                    std::string bytes;
                    if (Fehler f = fs.lesen(pfad + name, bytes, k_max_begleitdatei + 1)) {
                        // Not there, or not read this time: looked at again at the next look.
                        continue;
                    }
                    g.antwort = antwort_lesen(bytes, g.grund);
                    gelesen->push_back(std::move(g));
                }
            },
            [lebt, gelesen, fertig, nichts](bool ausgefuehrt) {
                if (!lebt.lock()) {
                    return;
                }
                if (ausgefuehrt) {
                    fertig(std::move(*gelesen));
                } else {
                    nichts();
                }
            },
            k_verfall_ms, Spur::begleit);
    });
}

// The sender.

void Rueckmeldungen::gesendet(const std::string& alarm, const std::vector<std::pair<int, std::string>>& ziele,
                              bool probe)
{
    // An earlier alarm is still looked at for its ten minutes: answers to it
    // go into the journal; the confirmation window shows the newest's.
    m_sendungen.erase(std::remove_if(m_sendungen.begin(), m_sendungen.end(),
                                     [&](const Sendung& s) {
                                         return s.alarm == alarm ||
                                                m_scheduler.jetzt_ms() - s.seit_ms >= k_dauer_ms;
                                     }),
                      m_sendungen.end());
    if (m_sendungen.size() >= k_max_sendungen) {
        m_sendungen.erase(m_sendungen.begin());
    }
    Sendung s;
    s.alarm = alarm;
    s.probe = probe;
    s.ziele = ziele;
    s.seit_ms = m_scheduler.jetzt_ms();
    m_sendungen.push_back(std::move(s));
    m_bestaetigung.rueckmeldungen_beginnen(probe);
    m_sendertakt->start();
}

Rueckmeldungen::Sendung* Rueckmeldungen::sendung(const std::string& alarm)
{
    for (Sendung& s : m_sendungen) {
        if (s.alarm == alarm) {
            return &s;
        }
    }
    return nullptr;
}

void Rueckmeldungen::sender_schauen()
{
    const std::int64_t jetzt = m_scheduler.jetzt_ms();
    if (!m_sendungen.empty() && jetzt - m_sendungen.back().seit_ms >= k_dauer_ms) {
        m_bestaetigung.rueckmeldungen_beenden();
    }
    m_sendungen.erase(std::remove_if(m_sendungen.begin(), m_sendungen.end(),
                                     [jetzt](const Sendung& s) { return jetzt - s.seit_ms >= k_dauer_ms; }),
                      m_sendungen.end());
    if (m_sendungen.empty()) {
        m_sendertakt->stop();
        return;
    }
    for (Sendung& eigene : m_sendungen) {
        if (!jetzt_schauen(eigene.seit_ms, eigene.geschaut_ms)) {
            continue;
        }
        for (std::size_t i = 0; i < eigene.ziele.size(); ++i) {
            // One look at a time per directory: a slow share is not asked again meanwhile.
            if (!eigene.unterwegs.insert(i).second) {
                continue;
            }
            // Named copies: a lambda cannot capture a structured binding everywhere (clang 14).
            const int gruppe = eigene.ziele[i].first;
            const std::string pfad = eigene.ziele[i].second;
            const std::string alarm = eigene.alarm;
            antworten_suchen(
                pfad, alarm, eigene.bekannt,
                [this, alarm, i, gruppe, pfad](std::vector<Gelesen> gelesen) {
                    if (Sendung* s = sendung(alarm)) {
                        s->unterwegs.erase(i);
                        antworten_zeigen(*s, gruppe, pfad, std::move(gelesen));
                    }
                },
                [this, alarm, i] {
                    if (Sendung* s = sendung(alarm)) {
                        s->unterwegs.erase(i);
                    }
                });
        }
    }
}

void Rueckmeldungen::antworten_zeigen(Sendung& s, int gruppe, const std::string& pfad,
                                      std::vector<Gelesen> gelesen)
{
    const bool neueste = &s == &m_sendungen.back();
    // Several in one look are shown in the order they were given.
    std::sort(gelesen.begin(), gelesen.end(), [](const Gelesen& x, const Gelesen& y) {
        const std::string& zx = x.antwort ? x.antwort->zeit : x.name;
        const std::string& zy = y.antwort ? y.antwort->zeit : y.name;
        return std::tie(zx, x.name) < std::tie(zy, y.name);
    });
    for (const Gelesen& g : gelesen) {
        s.bekannt.insert(g.name);
        if (!g.antwort) {
            unbrauchbar(pfad, g.name, g.grund);
            continue;
        }
        const Antwort& a = *g.antwort;
        // A workstation in several target groups is counted once.
        if (a.alarm != s.alarm || !s.platze.insert(platzkennung(a.platz)).second) {
            continue;
        }
        if (neueste) {
            if (s.platze.size() == 1 && m_ton) {
                m_ton->piepen(k_tonfrequenz, k_tondauer);
            }
            m_bestaetigung.rueckmeldung(a.platz, uhrzeit_aus(a.zeit));
        }
        const std::string wer = a.platz + (a.benutzer.empty() ? "" : " (" + a.benutzer + ")");
        const std::string was = s.probe ? "Probealarm" : "Alarm";
        if (Fehler f = m_log.meldung_eintragen("Antwort von " + wer + ": " + artname(a.art) + ", " + was +
                                               " in " + gruppenname(gruppe))) {
            m_log.logeintrag("Antwort nicht ins Journal geschrieben: " + f.meldungstext());
        }
    }
}

// The receiver.

Rueckmeldungen::Empfang* Rueckmeldungen::empfang(int nummer)
{
    for (Empfang& e : m_empfaenge) {
        if (e.nummer == nummer) {
            return &e;
        }
    }
    return nullptr;
}

void Rueckmeldungen::alarm_praesentiert(int gruppe, const std::string& pfad, const Dateiinfo& signal,
                                        const std::string& daten)
{
    // The alarms closed meanwhile need no watch.
    std::erase_if(m_empfaenge, [this](const Empfang& e) { return !m_anzeige.zeigt(e.nummer); });
    Empfang e;
    e.nummer = m_anzeige.alarmnummer();
    e.gruppe = gruppe;
    e.pfad = pfad;
    e.signal = signal;
    e.pruefsumme = pruefsumme(daten);
    e.seit_ms = m_scheduler.jetzt_ms();
    const OffenerAlarm* gezeigt = m_anzeige.alarm(e.nummer);
    e.probe = gezeigt && gezeigt->probe;
    m_empfaenge.push_back(std::move(e));
    herkunft_anfragen(m_empfaenge.back());
    m_empfaengertakt->start();
}

void Rueckmeldungen::herkunft_anfragen(Empfang& e)
{
    struct Befund {
        Dateistand stand;
        std::string bytes;
        bool gelesen = false;
    };
    auto b = std::make_shared<Befund>();
    ++e.versuche;
    e.unterwegs = true;
    const int nummer = e.nummer;
    const std::string pfad = e.pfad;
    m_freigaben.auftrag(
        pfad,
        [b, datei = pfad + k_herkunftsdatei](Dateisystem& fs) {
            b->stand = fs.stand(datei);
            if (b->stand.art == Dateistand::Art::datei && b->stand.info.groesse <= k_max_begleitdatei) {
                b->gelesen = !fs.lesen(datei, b->bytes, k_max_begleitdatei + 1);
            }
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), b, nummer, pfad](bool) {
            Empfang* e = lebt.lock() ? empfang(nummer) : nullptr;
            if (!e) {
                return;
            }
            e->unterwegs = false;
            if (b->stand.art != Dateistand::Art::datei) {
                // None (an older sender, or not written yet): looked for again.
                return;
            }
            // Written before this alarm's signal file: an earlier alarm's.
            if (b->stand.info.geaendert_ns < e->signal.geaendert_ns) {
                return;
            }
            std::string grund = "zu groß";
            std::optional<Herkunft> h;
            if (b->gelesen) {
                h = herkunft_lesen(b->bytes, grund);
            } else if (b->stand.info.groesse <= k_max_begleitdatei) {
                return;
            }
            if (!h) {
                unbrauchbar(pfad, k_herkunftsdatei, grund, b->stand.info.geaendert_ns);
                return;
            }
            // Another alarm's origin (the same sender's next one, or another sender's).
            if (h->pruefsumme != e->pruefsumme) {
                return;
            }
            e->herkunft = *h;
            // One alarm sent into several groups this desk polls is one call for
            // help: it stays in the window once, as it came first.
            for (const Empfang& frueher : m_empfaenge) {
                if (frueher.nummer != nummer && frueher.herkunft && frueher.herkunft->alarm == h->alarm &&
                    m_anzeige.zeigt(frueher.nummer)) {
                    m_anzeige.alarm_schliessen(nummer);
                    return;
                }
            }
            m_anzeige.herkunft_setzen(nummer, gruppenname(e->gruppe) + " · " + h->platz + " · " +
                                                  uhrzeit_aus(h->zeit));
        },
        k_verfall_ms, Spur::begleit);
}

void Rueckmeldungen::empfaenger_schauen()
{
    // A watch ends with its alarm's place in the window; after its time it
    // looks no more, but the alarm's answer may still be given.
    std::erase_if(m_empfaenge, [this](const Empfang& e) { return !m_anzeige.zeigt(e.nummer); });
    bool weiter = false;
    for (Empfang& e : m_empfaenge) {
        if (m_scheduler.jetzt_ms() - e.seit_ms >= k_dauer_ms) {
            continue;
        }
        empfang_schauen(e);
        // An older sender's alarm, or a test alarm: nothing more to look for,
        // but its answer may still be given.
        weiter = weiter || e.unterwegs || (!e.herkunft && e.versuche < k_herkunftsversuche) ||
                 (e.herkunft && !e.probe);
    }
    if (!weiter) {
        m_empfaengertakt->stop();
    }
}

void Rueckmeldungen::empfang_schauen(Empfang& e)
{
    if (e.unterwegs) {
        return;
    }
    if (!e.herkunft) {
        if (e.versuche < k_herkunftsversuche) {
            herkunft_anfragen(e);
        }
        return;
    }
    // As the window shows it: a test only by its origin record, read with the alarm.
    if (e.probe) {
        // Who received a test alarm is the sender's business only.
        return;
    }
    if (!jetzt_schauen(e.seit_ms, e.geschaut_ms)) {
        return;
    }
    e.unterwegs = true;
    const int nummer = e.nummer;
    const std::string alarm = e.herkunft->alarm;
    const std::string eigene = antwortdatei(alarm, m_zusatz.platzname);
    const std::string pfad = e.pfad;
    antworten_suchen(
        pfad, alarm, e.bekannt,
        [this, nummer, alarm, eigene, pfad](std::vector<Gelesen> gelesen) {
            Empfang* e = empfang(nummer);
            if (!e) {
                return;
            }
            e->unterwegs = false;
            for (const Gelesen& g : gelesen) {
                e->bekannt.insert(g.name);
                if (!g.antwort) {
                    unbrauchbar(pfad, g.name, g.grund);
                } else if (g.antwort->alarm == alarm && g.antwort->art == Antwort::Art::kommt &&
                           g.name != eigene) {
                    e->kommen[g.name] = g.antwort->platz;
                }
            }
            if (e->kommen.empty()) {
                return;
            }
            const std::size_t n = e->kommen.size();
            std::string zeile = std::to_string(n) + (n == 1 ? " kommt bereits:" : " kommen bereits:");
            bool erste = true;
            for (const auto& [name, platz] : e->kommen) {
                zeile += (erste ? " " : ", ") + platz;
                erste = false;
            }
            m_anzeige.kommende_setzen(nummer, zeile);
        },
        [this, nummer] {
            if (Empfang* e = empfang(nummer)) {
                e->unterwegs = false;
            }
        });
}

void Rueckmeldungen::antworten(int nummer)
{
    const Empfang* e = empfang(nummer);
    if (!e || !e->herkunft) {
        return;
    }
    const bool probe = e->probe;
    Antwort a;
    a.alarm = e->herkunft->alarm;
    a.platz = m_zusatz.platzname;
    a.benutzer = benutzername();
    const Zeitstempel z = m_uhr.jetzt();
    a.zeit = kurzdatum(z) + " " + langzeit(z);
    a.art = probe ? Antwort::Art::empfangen : Antwort::Art::kommt;
    const std::string ziel = e->pfad + antwortdatei(a.alarm, a.platz);
    const std::string bytes = kodieren(a);
    const std::string was =
        artname(a.art) + ", " + (probe ? "Probealarm" : "Alarm") + " in " + gruppenname(e->gruppe);
    auto fehler = std::make_shared<Fehler>();
    m_freigaben.auftrag(
        e->pfad, [fehler, ziel, bytes](Dateisystem& fs) { *fehler = fs.ersetzen_fluechtig(ziel, bytes); },
        [this, lebt = std::weak_ptr<bool>(m_lebt), fehler, nummer, was, pfad = e->pfad](bool ausgefuehrt) {
            if (!lebt.lock()) {
                return;
            }
            if (!ausgefuehrt) {
                *fehler = keine_antwort(pfad);
            }
            if (*fehler) {
                m_log.logeintrag("Antwort nicht geschrieben, " + was + ": " + fehler->meldungstext());
                m_anzeige.antwort_misslungen(nummer, fehler->beschreibung);
                return;
            }
            if (Fehler f = m_log.meldung_eintragen("Antwort gesendet: " + was)) {
                m_log.logeintrag("Antwort nicht ins Journal geschrieben: " + f.meldungstext());
            }
        },
        k_schreibverfall_ms, Spur::begleit);
}

} // namespace hestrel
