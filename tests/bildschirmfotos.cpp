// Takes pictures of every window of the program for the documentation:
// bildschirmfotos DIRECTORY (scripts/screenshots runs it under a virtual display).
#include <cstdio>

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

#include "console/meldeliste.h"
#include "console/ui/gruppenbezeichnungfenster.h"
#include "console/ui/meldelistefenster.h"
#include "einstellungen/ui/einstellungsfenster.h"
#include "platform/fensterstapel.h"
#include "platform/ressourcen.h"
#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"
#include "presentation/ui/alarmanzeigefenster.h"
#include "presentation/ui/alarmanzeigen.h"
#include "presentation/ui/alarmgesendetfenster.h"
#include "support/station.h"
#include "tray/programminfo.h"
#include "tray/traymenue.h"
#include "tray/ui/programminfofenster.h"
#include "tray/ui/qttraysymbol.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

bool speichern(QWidget& w, const QString& datei)
{
    QApplication::processEvents();
    const bool ok = w.grab().save(datei);
    std::printf("%s %s\n", ok ? "written" : "FAILED", qPrintable(datei));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ressourcen_laden();
    const QString ziel = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    Station s;
    datei_schreiben(s.dir / "mameldung.log",
                    "08.12.2026 08:14:03 Alarm aus Gruppe 3 von:\rEmpfang: Bitte sofort kommen\r\n"
                    "08.12.2026 09:02:41 Alarm aus Gruppe 7 von:\rLager Halle 2, Tor 4\r\n"
                    "08.12.2026 10:30:12 Alarm aus Gruppe 12 von:\rK\xFC"
                    "che 1. OG\r\n");
    QtTraysymbol symbol(s.ap.traymenue());
    s.ap.traymenue().symbol_setzen(&symbol);
    s.ap.traymenue().prozess_beenden = [] {};
    Einstellungsfenster einstellungen(s.h);
    Meldeliste& ml = s.ap.meldeliste();
    MeldelisteFenster liste(ml);
    // The button "Programm" with the tray menu, as the program shows it.
    QMenu programmmenue;
    programmmenue_fuellen(&programmmenue, s.ap.traymenue());
    liste.programmmenue_setzen(&programmmenue, [] { return true; });
    GruppenbezeichnungFenster dialog(ml.gruppenbezeichnung());
    ProgramminfoFenster info(s.ap.programminfo());
    s.starten();
    // The settings window as a first start shows it, with a few groups filled in.
    s.h.maske().pfade[0] = "/mnt/alarm/gruppe1/";
    s.h.maske().pfade[1] = "/mnt/alarm/gruppe2/";
    s.h.maske().pfade[2] = "/mnt/alarm/empfang/";
    s.h.maske().idnummer = "0";
    s.h.maske().vollbild = 0;
    s.h.maske().logfile = 1;
    s.h.geraeteart_gewaehlt("Kestu_10");
    s.h.maske().port = "3";
    s.h.signal_gewaehlt("/usr/share/sounds/alarm.wav");
    bool ok = speichern(einstellungen, ziel + QStringLiteral("/einstellungen.png"));
    s.h.maske().sichtbar = false;
    einstellungen.aktualisieren();
    for (int g : {1, 2, 3, 4, 7, 11, 12, 15, 21, 33}) {
        s.h.einstellungen().gruppenpfad[static_cast<std::size_t>(g - 1)] =
            s.dir.unterverzeichnis("g" + std::to_string(g));
    }
    ml.bildschirm_anpassen();

    ml.gruppe_benennen(2, "Empfang");
    ml.gruppe_benennen(6, "Lager");
    ml.gruppe_benennen(11, "Küche");
    ml.alarmtext_geaendert(1, "Alarm am Arbeitsplatz");
    ml.alarmtext_geaendert(2, "Empfang, Erdgeschoss");
    ml.alarmtext_geaendert(3, "Bitte sofort kommen");
    ml.alle_gruppen_geklickt(true);
    ml.meldegruppe_geklickt(10);
    ml.relais_farbe(6, k_rot);

    ok = speichern(liste, ziel + QStringLiteral("/meldeliste.png")) && ok;
    // On a 1024 x 768 screen (a title bar of 20 pixels and no panel): the window scrolls.
    liste.einpassen(QRect(0, 0, 1024, 768));
    ok = speichern(liste, ziel + QStringLiteral("/meldeliste-1024x768.png")) && ok;
    liste.einpassen(QRect(0, 0, 1920, 1080));

    ml.gruppenname_geklickt(6);
    ml.gruppenbezeichnung().neu_bez = "Lager Halle 2";
    ml.gruppenbezeichnung().geaendert();
    ok = speichern(dialog, ziel + QStringLiteral("/gruppenbezeichnung.png")) && ok;
    ml.gruppenbezeichnung().abbrechen_geklickt();

    s.ap.traymenue().info_zeigen();
    ok = speichern(info, ziel + QStringLiteral("/info.png")) && ok;

    symbol.menue()->popup(QPoint(200, 200));
    ok = speichern(*symbol.menue(), ziel + QStringLiteral("/traymenue.png")) && ok;
    symbol.menue()->hide();

    AlarmgesendetFenster bestaetigung(s.ap.alarmgesendet());
    s.ap.alarmgesendet().einschalten();
    ok = speichern(bestaetigung, ziel + QStringLiteral("/bestaetigung.png")) && ok;
    s.ap.alarmgesendet().ok_geklickt();

    const auto stapel = fensterstapel_der_sitzung();
    Alarmanzeigen alarme(s.ap.alarmanzeige(), *stapel);
    AlarmanzeigeFenster& alarm = alarme.haupt();
    s.ap.alarmanzeige().alarm_zeigen(
        "Alarm am Arbeitsplatz\r\nEmpfang, Erdgeschoss\r\nBitte sofort kommen\r\n", "1", "1");
    ok = speichern(alarm, ziel + QStringLiteral("/alarmfenster.png")) && ok;
    s.ap.alarmanzeige().blinken();
    ok = speichern(alarm, ziel + QStringLiteral("/alarmfenster-weiss.png")) && ok;

    // Who is alarming and who is coming: the origin line, the others' answers.
    s.ap.alarmanzeige().verbergen();
    s.ap.alarmanzeige().alarm_zeigen(
        "Alarm am Arbeitsplatz\r\nEmpfang, Erdgeschoss\r\nBitte sofort kommen\r\n", "1", "1");
    const int nummer = s.ap.alarmanzeige().alarmnummer();
    s.ap.alarmanzeige().herkunft_setzen(nummer, "Gruppe 3 · Empfang-2 · 10:32:05");
    s.ap.alarmanzeige().kommende_setzen(nummer, "1 kommt bereits: Lager");
    ok = speichern(alarm, ziel + QStringLiteral("/alarmfenster-herkunft.png")) && ok;

    // The sender's confirmation with its reach, a warning and the answers.
    s.ap.alarmgesendet().einschalten();
    s.ap.alarmgesendet().reichweite_setzen({"4 Plätze erreicht", "Gruppe 5: kein Platz empfangsbereit"});
    s.ap.alarmgesendet().rueckmeldungen_beginnen(false);
    s.ap.alarmgesendet().rueckmeldung("Empfang-2", "10:32:07");
    s.ap.alarmgesendet().rueckmeldung("Lager", "10:32:15");
    ok = speichern(bestaetigung, ziel + QStringLiteral("/bestaetigung-antworten.png")) && ok;
    s.ap.alarmgesendet().ok_geklickt();

    // A test alarm, as a Hestrel receiver shows it.
    s.ap.alarmanzeige().verbergen();
    s.ap.alarmanzeige().alarm_zeigen("PROBEALARM – Alarm am Arbeitsplatz\r\nEmpfang, Erdgeschoss\r\n", "1",
                                     "1");
    s.ap.alarmanzeige().herkunft_setzen(s.ap.alarmanzeige().alarmnummer(), "Gruppe 3 · Empfang-2 · 10:40:00");
    ok = speichern(alarm, ziel + QStringLiteral("/probealarm.png")) && ok;

    // Two alarms at once: each stays with its own origin, answer and "schließen".
    s.ap.alarmanzeige().verbergen();
    s.ap.alarmanzeige().alarm_zeigen("Alarm am Arbeitsplatz\r\nEmpfang, Erdgeschoss\r\n", "1", "1");
    const int erster = s.ap.alarmanzeige().alarmnummer();
    s.ap.alarmanzeige().herkunft_setzen(erster, "Gruppe 3 · Empfang-2 · 10:32:05");
    s.ap.alarmanzeige().kommende_setzen(erster, "1 kommt bereits: Lager");
    s.ap.alarmanzeige().alarm_zeigen("Alarm am Arbeitsplatz\r\nKasse 2, Obergeschoss\r\n", "1", "1");
    s.ap.alarmanzeige().herkunft_setzen(s.ap.alarmanzeige().alarmnummer(), "Gruppe 1 · Kasse · 10:32:05");
    ok = speichern(alarm, ziel + QStringLiteral("/alarmfenster-zwei.png")) && ok;

    // The tray icon while the self-supervision warns.
    ok = QIcon(QStringLiteral(":/bilder/warnung.svg"))
             .pixmap(64, 64)
             .save(ziel + QStringLiteral("/warnsymbol.png")) &&
         ok;
    return ok ? 0 : 1;
}
