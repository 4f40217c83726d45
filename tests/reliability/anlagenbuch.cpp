#include "reliability/anlagenbuch.h"

#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace hestrel::test {

void Anlagenbuch::signal_geschrieben(int gruppe, int lauf, std::int64_t t, const std::string& datentext)
{
    int& aktuell = m_aktuell[static_cast<std::size_t>(gruppe)];
    if (aktuell >= 0) {
        beenden(aktuell, t, Ende::ersetzt, lauf);
    }
    Signal s;
    s.gruppe = gruppe;
    s.schreiberlauf = lauf;
    s.an = t;
    s.sichtbar.push_back({t, -1});
    s.datentext = datentext;
    m_signale.push_back(std::move(s));
    aktuell = static_cast<int>(m_signale.size()) - 1;
}

void Anlagenbuch::signal_geloescht(int gruppe, int lauf, std::int64_t t)
{
    int& aktuell = m_aktuell[static_cast<std::size_t>(gruppe)];
    if (aktuell < 0) {
        return;
    }
    const bool vom_sender = m_signale[static_cast<std::size_t>(aktuell)].schreiberlauf == lauf;
    beenden(aktuell, t, vom_sender ? Ende::vom_sender_geloescht : Ende::von_anderem_geloescht, lauf);
    aktuell = -1;
}

void Anlagenbuch::beenden(int signal, std::int64_t t, Ende grund, int lauf)
{
    Signal& s = m_signale[static_cast<std::size_t>(signal)];
    s.aus = t;
    s.ende = grund;
    s.loescherlauf = lauf;
    if (!s.sichtbar.empty() && s.sichtbar.back().bis < 0) {
        s.sichtbar.back().bis = t;
    }
}

void Anlagenbuch::verzeichnis_weg(int gruppe, std::int64_t t)
{
    m_stoerfaelle.push_back({gruppe, t, -1});
    m_stoerfall[static_cast<std::size_t>(gruppe)] = static_cast<int>(m_stoerfaelle.size()) - 1;
    const int aktuell = m_aktuell[static_cast<std::size_t>(gruppe)];
    if (aktuell >= 0) {
        auto& strecken = m_signale[static_cast<std::size_t>(aktuell)].sichtbar;
        if (!strecken.empty() && strecken.back().bis < 0) {
            strecken.back().bis = t;
        }
    }
}

void Anlagenbuch::verzeichnis_wieder(int gruppe, std::int64_t t)
{
    int& offen = m_stoerfall[static_cast<std::size_t>(gruppe)];
    if (offen >= 0) {
        m_stoerfaelle[static_cast<std::size_t>(offen)].bis = t;
        offen = -1;
    }
    const int aktuell = m_aktuell[static_cast<std::size_t>(gruppe)];
    if (aktuell >= 0) {
        m_signale[static_cast<std::size_t>(aktuell)].sichtbar.push_back({t, -1});
    }
}

int Anlagenbuch::lauf_beginnt(int station, std::vector<int> gruppen, std::int64_t t, bool alt)
{
    Lauf l;
    l.station = station;
    l.alt = alt;
    l.gruppen = std::move(gruppen);
    l.start = t;
    m_laeufe.push_back(std::move(l));
    return static_cast<int>(m_laeufe.size()) - 1;
}

void Anlagenbuch::lauf_endet(int lauf, std::int64_t t)
{
    Lauf& l = m_laeufe[static_cast<std::size_t>(lauf)];
    l.ende = t;
    if (!l.taub.empty() && l.taub.back().bis < 0) {
        l.taub.back().bis = t;
    }
}

void Anlagenbuch::taub_ab(int lauf, std::int64_t t)
{
    Lauf& l = m_laeufe[static_cast<std::size_t>(lauf)];
    if (l.taub.empty() || l.taub.back().bis >= 0) {
        l.taub.push_back({t, -1});
    }
}

void Anlagenbuch::hoert_ab(int lauf, std::int64_t t)
{
    Lauf& l = m_laeufe[static_cast<std::size_t>(lauf)];
    if (!l.taub.empty() && l.taub.back().bis < 0) {
        l.taub.back().bis = t;
    }
}

void Anlagenbuch::lesefehler(int lauf, int gruppe, std::int64_t t)
{
    m_lesefehler.push_back({lauf, gruppe, t});
}

void Anlagenbuch::praesentiert(int lauf, int gruppe, std::int64_t t, bool text_wie_datei, long alarm)
{
    const int signal = m_aktuell[static_cast<std::size_t>(gruppe)];
    bool wie_gesendet = false;
    if (signal >= 0) {
        wie_gesendet = text_wie_datei;
    }
    m_praesentationen.push_back({lauf, signal, gruppe, t, text_wie_datei, wie_gesendet, alarm});
}

void Anlagenbuch::warnung(int lauf, int gruppe, std::int64_t t, bool beginn)
{
    m_warnungen.push_back({lauf, gruppe, t, beginn});
}

void Anlagenbuch::alarm_ausgeloest(long alarm, int senderlauf, std::int64_t t, const std::string& kennung)
{
    m_ausgeloest[alarm] = {senderlauf, t, kennung};
}

void Anlagenbuch::antwort_geschrieben(long alarm, int antwortlauf, std::int64_t t)
{
    const auto a = m_ausgeloest.find(alarm);
    if (a == m_ausgeloest.end()) {
        ++zaehler["antwort_ohne_alarm"];
        return;
    }
    const int station = m_laeufe[static_cast<std::size_t>(antwortlauf)].station;
    if (!m_beantwortet.insert({a->second.kennung, station}).second) {
        ++zaehler["antwort_wiederholt"];
        return;
    }
    m_antworten.push_back({alarm, antwortlauf, a->second.senderlauf, t, -1, a->second.zeit});
}

void Anlagenbuch::antwort_gezeigt_bei(int senderlauf, int antwortlauf, std::int64_t t)
{
    // The latest open one: a journal line does not say which alarm it answers.
    for (auto a = m_antworten.rbegin(); a != m_antworten.rend(); ++a) {
        if (a->senderlauf == senderlauf && a->antwortlauf == antwortlauf && a->gezeigt < 0) {
            a->gezeigt = t;
            return;
        }
    }
}

void Anlagenbuch::anwesenheit_geprueft(const Anwesenheitsprobe& a)
{
    Anwesenheitszahlen& z = m_anwesenheit;
    ++z.proben;
    const bool bekannt = a.anzahl >= 0;
    const bool moeglich = bekannt && a.anzahl >= a.sicher && a.anzahl <= a.moeglich;
    if (a.stoerung) {
        if (!bekannt) {
            ++z.stoerung_unbekannt;
        } else if (!moeglich) {
            ++z.stoerung_veraltet;
        } else {
            ++(a.sicher == a.moeglich ? z.genau : z.im_wechsel);
        }
        return;
    }
    if (!moeglich) {
        ++(bekannt ? z.falsch : z.unbekannt);
        if (m_falsche_zaehlungen.size() < 8) {
            m_falsche_zaehlungen.push_back(a);
        }
        return;
    }
    ++(a.sicher == a.moeglich ? z.genau : z.im_wechsel);
}

void Anlagenbuch::begleitdateien_gezaehlt(std::int64_t t,
                                          const std::vector<std::map<std::string, long>>& je_gruppe,
                                          bool am_ende)
{
    Begleitzaehlung& z = am_ende ? m_begleit_ende : m_begleit_stuendlich;
    for (std::size_t g = 0; g < je_gruppe.size(); ++g) {
        long summe = 0;
        for (const auto& [art, n] : je_gruppe[g]) {
            summe += n;
            z.je_art[art] = std::max(z.je_art[art], n);
        }
        if (summe > z.groesste) {
            z.groesste = summe;
            z.gruppe = static_cast<int>(g);
            z.t = t;
        }
    }
    // The look at the end counts among the hourly ones too.
    if (am_ende) {
        begleitdateien_gezaehlt(t, je_gruppe, false);
    }
}

void Anlagenbuch::verpasst_warum(std::size_t si, std::size_t li, Empfaenger& e)
{
    const Signal& s = m_signale[si];
    const long alarm = alarmnummer(s.datentext);
    auto notieren = [&](long& zaehler, const char* grund) {
        ++zaehler;
        m_verpasste.push_back({alarm, m_laeufe[li].station, grund});
    };
    const std::int64_t s_aus = s.aus < 0 ? INT64_MAX : s.aus;
    for (const Lesefehler& f : m_lesefehler) {
        if (f.lauf == static_cast<int>(li) && f.gruppe == s.gruppe && f.t >= s.an && f.t <= s_aus) {
            notieren(e.verpasst_lesefehler, "Lesefehler");
            return;
        }
    }
    // The file before it in the group, replaced by it without a gap: an older
    // receiver's flag for the group stayed set from that one.
    for (std::size_t vi = si; vi-- > 0;) {
        const Signal& v = m_signale[vi];
        if (v.gruppe != s.gruppe) {
            continue;
        }
        if (v.ende == Ende::ersetzt && v.aus == s.an) {
            if (s.an - v.an > k_aufraeumzeit) {
                notieren(e.verpasst_rest, "Vorgänger liegengeblieben");
            } else {
                notieren(e.verpasst_frisch, "Vorgänger noch frisch");
            }
            return;
        }
        break;
    }
    notieren(e.verpasst_sonst, "sonst");
}

std::int64_t Anlagenbuch::gemeinsam(const Signal& s, const Lauf& l, std::int64_t ende) const
{
    const std::int64_t lauf_bis = l.ende < 0 ? ende : l.ende;
    std::int64_t laengste = 0;
    for (const Strecke& sicht : s.sichtbar) {
        std::int64_t von = std::max(sicht.von, l.start);
        const std::int64_t bis = std::min(sicht.bis < 0 ? ende : sicht.bis, lauf_bis);
        // The stretches in which the run did not listen cut the visible one.
        for (const Strecke& t : l.taub) {
            const std::int64_t t_bis = t.bis < 0 ? lauf_bis : t.bis;
            if (t_bis <= von || t.von >= bis) {
                continue;
            }
            laengste = std::max(laengste, std::min(t.von, bis) - von);
            von = std::max(von, t_bis);
        }
        laengste = std::max(laengste, bis - von);
    }
    return laengste;
}

bool Anlagenbuch::auswerten(std::int64_t ende, std::string& bericht)
{
    for (std::size_t i = 0; i < m_aktuell.size(); ++i) {
        if (m_aktuell[i] >= 0) {
            Signal& s = m_signale[static_cast<std::size_t>(m_aktuell[i])];
            if (!s.sichtbar.empty() && s.sichtbar.back().bis < 0) {
                s.sichtbar.back().bis = ende;
            }
        }
    }
    for (std::size_t l = 0; l < m_laeufe.size(); ++l) {
        if (m_laeufe[l].ende < 0) {
            lauf_endet(static_cast<int>(l), ende);
        }
    }

    // Presentations per (signal, run).
    std::map<std::pair<int, int>, int> gezeigt;
    long falscher_text = 0;
    long ohne_signal = 0;
    for (const auto& p : m_praesentationen) {
        if (!p.text_wie_datei) {
            ++falscher_text;
        }
        if (p.signal < 0) {
            ++ohne_signal;
            continue;
        }
        ++gezeigt[{p.signal, p.lauf}];
    }

    long lang = 0;
    long kurz = 0;
    std::map<Ende, long> kurz_weil;
    long kurz_gezeigt = 0;
    long kurz_verpasst = 0;
    long faellig = 0;
    long einmal = 0;
    long verpasst = 0;
    long mehrfach = 0;
    long zusaetzlich = 0;
    long taub_verpasst = 0;
    long eigene_neu = 0;
    long ganz = 0;
    long ganz_gezeigt = 0;
    std::map<Ende, long> ganz_kurz;
    long ganz_taub = 0;
    long ganz_verpasst = 0;
    std::ostringstream beispiele;
    int beispielzahl = 0;
    for (std::size_t si = 0; si < m_signale.size(); ++si) {
        const Signal& s = m_signale[si];
        std::int64_t sichtbar_max = 0;
        for (const auto& st : s.sichtbar) {
            sichtbar_max = std::max(sichtbar_max, st.bis - st.von);
        }
        const bool lange = sichtbar_max >= k_pollperiode;
        (lange ? lang : kurz) += 1;
        if (!lange) {
            ++kurz_weil[s.ende];
        }
        for (std::size_t li = 0; li < m_laeufe.size(); ++li) {
            const Lauf& l = m_laeufe[li];
            if (std::find(l.gruppen.begin(), l.gruppen.end(), s.gruppe) == l.gruppen.end()) {
                continue;
            }
            const auto it = gezeigt.find({static_cast<int>(si), static_cast<int>(li)});
            int n = it == gezeigt.end() ? 0 : it->second;
            // A sender's signal file written again after a pause (for older
            // places) is the alarm a Hestrel run showed from the one before it.
            for (std::size_t vi = si; n == 0 && !l.alt && vi-- > 0 && si - vi < 40;) {
                const Signal& v = m_signale[vi];
                if (v.gruppe == s.gruppe) {
                    n = v.schreiberlauf == s.schreiberlauf && v.datentext == s.datentext &&
                        gezeigt.count({static_cast<int>(vi), static_cast<int>(li)});
                    break;
                }
            }
            Empfaenger& art = l.alt ? m_alte : m_neue;
            if (n > 1) {
                art.mehrfach += n - 1;
                if (!l.alt) {
                    mehrfach += n - 1;
                }
            }
            // A sender does not present its own alarm in the run that sent it.
            if (static_cast<int>(li) == s.schreiberlauf) {
                continue;
            }
            const std::int64_t zusammen = gemeinsam(s, l, ende);
            if (zusammen >= k_pollperiode) {
                if (s.datentext.rfind("Alarm ", 0) == 0) {
                    m_faellige.insert({std::strtol(s.datentext.c_str() + 6, nullptr, 10), l.station});
                }
                ++art.faellig;
                if (n >= 1) {
                    ++art.gezeigt;
                } else if (l.alt) {
                    verpasst_warum(si, li, art);
                }
            }
            if (zusammen >= k_pollperiode && !l.alt) {
                ++faellig;
                if (n >= 1) {
                    ++einmal;
                } else {
                    ++verpasst;
                    if (beispielzahl++ < 8) {
                        beispiele << "  verpasst: Signal " << si << " Gruppe " << s.gruppe + 1 << " " << s.an
                                  << "-" << s.aus << " ms, Lauf " << li << " (Platz " << l.station + 1 << ", "
                                  << l.start << "-" << l.ende << " ms), gemeinsam " << zusammen
                                  << " ms, Ende " << static_cast<int>(s.ende) << " durch Lauf "
                                  << s.loescherlauf << ", Schreiber Lauf " << s.schreiberlauf << "\n";
                        for (std::size_t vi = si; vi-- > 0 && si - vi < 40;) {
                            const Signal& v = m_signale[vi];
                            if (v.gruppe == s.gruppe) {
                                beispiele << "    davor Signal " << vi << " " << v.an << "-" << v.aus
                                          << " Ende " << static_cast<int>(v.ende) << " Schreiber "
                                          << v.schreiberlauf << "\n";
                                break;
                            }
                        }
                    }
                }
                if (l.station == m_laeufe[static_cast<std::size_t>(s.schreiberlauf)].station) {
                    ++eigene_neu;
                }
            } else if (n >= 1 && !l.alt) {
                ++zusaetzlich;
            } else if (lange && s.ende != Ende::offen && !l.alt) {
                // Listening too short although the file stayed: the run was in its own send wait.
                Lauf ohne_taub = l;
                ohne_taub.taub.clear();
                if (gemeinsam(s, ohne_taub, ende) >= k_pollperiode) {
                    ++taub_verpasst;
                }
            }
            // From the receiver's side: a run that was up for the file's whole life.
            const std::int64_t s_aus = s.aus < 0 ? ende : s.aus;
            if (!l.alt && l.start <= s.an && (l.ende < 0 || l.ende >= s_aus)) {
                ++ganz;
                if (n >= 1) {
                    ++ganz_gezeigt;
                } else if (!lange) {
                    ++ganz_kurz[s.ende];
                } else if (zusammen < k_pollperiode) {
                    ++ganz_taub;
                } else {
                    ++ganz_verpasst;
                }
            }
            if (l.alt) {
                continue;
            }
            if (!lange && n == 0 && l.start <= s.an && (l.ende < 0 || l.ende >= s.aus)) {
                ++kurz_verpasst;
            } else if (!lange && n >= 1) {
                ++kurz_gezeigt;
            }
        }
    }

    // Self-supervision: every Hestrel run of a group that was up through a
    // fault longer than k_warnschwelle and for k_klaerzeit after it warns
    // once and lifts the warning.
    long stoerfaelle = 0;
    long warn_erwartet = 0;
    long warn_gegeben = 0;
    long warn_doppelt = 0;
    long warn_aufgehoben = 0;
    for (const Stoerfall& f : m_stoerfaelle) {
        if (f.bis < 0 || f.bis - f.von <= k_warnschwelle || f.bis + k_klaerzeit > ende) {
            continue;
        }
        ++stoerfaelle;
        for (std::size_t li = 0; li < m_laeufe.size(); ++li) {
            const Lauf& l = m_laeufe[li];
            if (l.alt || l.start > f.von || l.ende < f.bis + k_klaerzeit ||
                std::find(l.gruppen.begin(), l.gruppen.end(), f.gruppe) == l.gruppen.end()) {
                continue;
            }
            ++warn_erwartet;
            long beginne = 0;
            long enden = 0;
            for (const Warnung& w : m_warnungen) {
                if (w.lauf != static_cast<int>(li) || w.gruppe != f.gruppe || w.t < f.von ||
                    w.t > f.bis + k_klaerzeit) {
                    continue;
                }
                ++(w.beginn ? beginne : enden);
            }
            warn_gegeben += beginne > 0 ? 1 : 0;
            warn_doppelt += beginne > 1 ? 1 : 0;
            warn_aufgehoben += beginne > 0 && enden == beginne ? 1 : 0;
        }
    }
    // Warnings about a group with no fault of its share near them.
    long warn_ohne_stoerfall = 0;
    long warn_sonst = 0;
    for (const Warnung& w : m_warnungen) {
        if (!w.beginn) {
            continue;
        }
        if (w.gruppe < 0) {
            ++warn_sonst;
            continue;
        }
        const bool bei_stoerfall =
            std::any_of(m_stoerfaelle.begin(), m_stoerfaelle.end(), [&](const Stoerfall& f) {
                return f.gruppe == w.gruppe && w.t >= f.von && (f.bis < 0 || w.t <= f.bis + k_klaerzeit);
            });
        warn_ohne_stoerfall += bei_stoerfall ? 0 : 1;
    }
    // Responses: due at the sender, shown, and how long after writing.
    long antwort_faellig = 0;
    long antwort_gezeigt = 0;
    long antwort_zu_spaet = 0;
    std::vector<std::int64_t> antwortzeiten;
    for (const Antwortweg& a : m_antworten) {
        const Lauf& sender = m_laeufe[static_cast<std::size_t>(a.senderlauf)];
        constexpr std::int64_t k_schaudauer = 10 * 60 * 1000;
        if (sender.alt || sender.ende < a.geschrieben + k_antwortfrist ||
            a.geschrieben + k_antwortfrist > a.ausgeloest + k_schaudauer) {
            continue;
        }
        ++antwort_faellig;
        if (a.gezeigt >= 0) {
            ++antwort_gezeigt;
            antwortzeiten.push_back(a.gezeigt - a.geschrieben);
            constexpr std::int64_t k_erste_minute = 60 * 1000;
            const bool frueh = a.geschrieben + k_antwortfrist <= a.ausgeloest + k_erste_minute;
            antwort_zu_spaet +=
                a.gezeigt - a.geschrieben > (frueh ? k_antwortfrist : k_antwortfrist_spaet) ? 1 : 0;
        }
    }
    std::sort(antwortzeiten.begin(), antwortzeiten.end());
    const std::int64_t antwort_median = antwortzeiten.empty() ? 0 : antwortzeiten[antwortzeiten.size() / 2];
    const std::int64_t antwort_max = antwortzeiten.empty() ? 0 : antwortzeiten.back();
    const Anwesenheitszahlen& az = m_anwesenheit;
    const bool begleit_ok = begleitgrenze <= 0 || m_begleit_stuendlich.groesste <= begleitgrenze;

    std::ostringstream o;
    o << "Alarme ausgelöst:                          " << zaehler["gesendet"] << "\n"
      << "  mit Signaldateien:                       " << zaehler["signal_gesendet"] << "\n"
      << "  nur Texte erneuert (eigene Wartezeit):   " << zaehler["nur_texte"] << "\n"
      << "  Schreibfehler gemeldet (Freigabe weg):   " << zaehler["schreibfehler_gemeldet"] << "\n"
      << "Signaldateien geschrieben:                 " << m_signale.size() << "\n"
      << "  mindestens eine Pollperiode sichtbar:    " << lang << "\n"
      << "  kürzer: ersetzt von einem anderen Sender " << kurz_weil[Ende::ersetzt]
      << ", vom Aufräumen eines anderen gelöscht " << kurz_weil[Ende::von_anderem_geloescht]
      << ", vom eigenen Sender gelöscht " << kurz_weil[Ende::vom_sender_geloescht] << ", bis zum Ende offen "
      << kurz_weil[Ende::offen] << "\n"
      << "    davon doch gezeigt (Paare):            " << kurz_gezeigt
      << ", nicht gezeigt (Paare): " << kurz_verpasst << "\n"
      << "Fällige Paare (Signal, Lauf eines Platzes der Gruppe, der lief und zuhörte): " << faellig << "\n"
      << "  genau einmal gezeigt:                    " << einmal << "\n"
      << "  nicht gezeigt:                           " << verpasst << "\n"
      << "  davon nach Neustart des Senders fällig:  " << eigene_neu << "\n"
      << "Mehrfach gezeigt (zusätzliche Anzeigen in einem Lauf): " << mehrfach << "\n"
      << "Zusätzlich gezeigt (nicht fällig, aber gesehen): " << zusaetzlich << "\n"
      << "Nicht gezeigt, weil der Platz in seiner eigenen Sendewartezeit war: " << taub_verpasst << "\n"
      << "Empfänger, die während der ganzen Lebenszeit einer Signaldatei liefen (Paare): " << ganz << "\n"
      << "  gezeigt:                                 " << ganz_gezeigt << "\n"
      << "  nicht gezeigt, Datei kürzer als eine Pollperiode sichtbar: ersetzt " << ganz_kurz[Ende::ersetzt]
      << ", vom Aufräumen eines anderen gelöscht " << ganz_kurz[Ende::von_anderem_geloescht]
      << ", bis zum Ende der Simulation offen "
      << ganz_kurz[Ende::offen] + ganz_kurz[Ende::vom_sender_geloescht] << "\n"
      << "  nicht gezeigt, Empfänger in eigener Sendewartezeit: " << ganz_taub << "\n"
      << "  nicht gezeigt, obwohl fällig:            " << ganz_verpasst << "\n"
      << "Anzeigen insgesamt:                        " << m_praesentationen.size() << "\n"
      << "  mit einem anderen Text als der Datendatei: " << falscher_text << "\n"
      << "  ohne Signaldatei im Buch:                " << ohne_signal << "\n"
      << "Läufe (Starts von Plätzen):                " << m_laeufe.size() << "\n"
      << "Neustarts:                                 " << zaehler["neustarts"] << " (davon sauber beendet "
      << zaehler["sauber_beendet"] << ")\n"
      << "Ausfälle einer Freigabe:                   " << zaehler["ausfaelle"] << "\n"
      << "Hängende Freigaben (alle Zugriffe warten): " << zaehler["haenger"] << "\n"
      << "Gescheiterte Lesevorgänge (flackernde Freigabe): " << zaehler["lesefehler"] << "\n"
      << "Absturz:                                   " << (zaehler["absturz"] ? "ja" : "nein") << "\n";
    auto art = [&o](const char* name, const Empfaenger& e) {
        o << "  " << name << e.faellig << " fällig, " << e.gezeigt << " gezeigt ("
          << (e.faellig ? 100.0 * static_cast<double>(e.gezeigt) / static_cast<double>(e.faellig) : 100.0)
          << " %), " << e.faellig - e.gezeigt << " nicht gezeigt, " << e.mehrfach << " mehrfach\n";
    };
    o.precision(4);
    o << "Fällige Paare nach Art des Empfängers:\n";
    art("Hestrel:        ", m_neue);
    art("ältere Plätze:  ", m_alte);
    o << "  bei älteren nicht gezeigt, weil die Gruppe noch als gemeldet galt: Vorgänger liegengeblieben "
      << m_alte.verpasst_rest << ", Vorgänger noch frisch " << m_alte.verpasst_frisch << "; Lesefehler "
      << m_alte.verpasst_lesefehler << "; sonst " << m_alte.verpasst_sonst << "\n";
    o << "Ältere Plätze von einer hängenden Freigabe angehalten: " << zaehler["alt_angehalten"] << "\n"
      << "Zugriffe älterer Plätze auf Begleitdateien (hestrel-*): " << zaehler["alt_begleitdatei"] << "\n"
      << "Sender kurz nach dem Senden gestoppt:      " << zaehler["gestoppt_nach_senden"] << "\n"
      << "Probealarme ausgelöst:                     " << zaehler["probealarme"]
      << "; gezeigt von Hestrel-Plätzen " << zaehler["probe_gezeigt"]
      << " (davon wie ein Alarm: " << zaehler["probe_als_alarm"] << "), von älteren "
      << zaehler["probe_gezeigt_alt"] << "\n";
    o << "Anwesenheit, alle 10 min je Hestrel-Platz und Gruppe: " << az.proben << " Zählungen\n"
      << "  genau die laufenden Hestrel-Plätze der Gruppe: " << az.genau << "\n"
      << "  richtig, während ein Platz gerade startete oder stoppte: " << az.im_wechsel << "\n"
      << "  Freigabe weg oder seit weniger als " << k_anwesenheit_nachlauf / 60000
      << " min zurück: unbekannt " << az.stoerung_unbekannt << ", veraltet " << az.stoerung_veraltet << "\n"
      << "  falsch:                                  " << az.falsch << "\n"
      << "  unbekannt bei erreichbarer Freigabe:     " << az.unbekannt << "\n";
    for (const Anwesenheitsprobe& a : m_falsche_zaehlungen) {
        o << "    Lauf " << a.lauf << " Gruppe " << a.gruppe + 1 << " bei " << a.t << " ms: " << a.anzahl
          << " gezeigt, richtig " << a.sicher << " bis " << a.moeglich << "\n";
    }
    o << "Selbstüberwachung: Störungen einer Freigabe länger als " << k_warnschwelle / 1000
      << " s (auswertbar): " << stoerfaelle << "\n"
      << "  Warnungen erwartet (Störung, Hestrel-Platz der Gruppe, der durchgehend lief): " << warn_erwartet
      << "\n"
      << "  gewarnt:                                 " << warn_gegeben
      << " (mit mehr als einem Beginn: " << warn_doppelt << ")\n"
      << "  binnen " << k_klaerzeit / 1000 << " s nach dem Ende aufgehoben: " << warn_aufgehoben << "\n"
      << "  Warnungen zu einer Gruppe ohne Störung:  " << warn_ohne_stoerfall
      << "; zu anderem (Alarmbox, Journal): " << warn_sonst << "\n";
    o << "Antworten (Ich komme): geschrieben " << m_antworten.size() << ", beim Sender fällig "
      << antwort_faellig << ", gezeigt " << antwort_gezeigt << "; Zeit bis zur Anzeige beim Sender: Median "
      << antwort_median << " ms, höchstens " << antwort_max << " ms; zu spät " << antwort_zu_spaet << "\n";
    auto begleit = [&o](const char* wann, const Begleitzaehlung& z) {
        o << "  " << wann << z.groesste;
        if (z.gruppe >= 0) {
            o << " (Gruppe " << z.gruppe + 1 << " bei " << z.t / 60000 << " min)";
        }
        o << "; höchstens je Art:";
        for (const auto& [art, n] : z.je_art) {
            o << " " << art << " " << n;
        }
        o << "\n";
    };
    o << "Begleitdateien (hestrel-*) in einem Gruppenverzeichnis, Grenze " << begleitgrenze << ":\n";
    begleit("stündlich höchstens:                   ", m_begleit_stuendlich);
    begleit("am Ende höchstens:                     ", m_begleit_ende);
    o << beispiele.str();
    bericht = o.str();
    return verpasst == 0 && mehrfach == 0 && falscher_text == 0 && zaehler["absturz"] == 0 &&
           az.falsch == 0 && az.unbekannt == 0 && warn_gegeben == warn_erwartet &&
           warn_aufgehoben == warn_erwartet && warn_doppelt == 0 && begleit_ok &&
           antwort_gezeigt == antwort_faellig && antwort_zu_spaet == 0 && zaehler["alt_begleitdatei"] == 0 &&
           zaehler["probe_als_alarm"] == 0;
}

} // namespace hestrel::test
