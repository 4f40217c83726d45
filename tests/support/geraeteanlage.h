#pragma once

#include <QProcessEnvironment>
#include <memory>
#include <string>
#include <vector>

#include "core/textdatei.h"
#include "support/qtprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {

// Two real programs offscreen on one group directory and the simulated alarm
// box on the first one's port 3: the sender in `a` (box "Kestu_10", its
// message list with "Überfall" / "Kasse 2" / "" / "Bitte kommen" to group 1),
// the receiver in `b` (no box). Each may get a workstation name.
struct Geraeteanlage {
    TempVerzeichnis basis;
    const std::string a = basis.unterverzeichnis("a");
    const std::string b = basis.unterverzeichnis("b");
    const std::string gruppe1 = basis.unterverzeichnis("gruppe1");
    std::unique_ptr<Prozess> sim;
    std::unique_ptr<Prozess> sender;
    std::unique_ptr<Prozess> empfaenger;

    // Starts the box and both programs and waits until the sender asks the
    // box for its status; "" when all is running, else what is not.
    std::string starten(const QString& programm, const QString& simulator, const std::string& name_a = "",
                        const std::string& name_b = "")
    {
        sim =
            std::make_unique<Prozess>(simulator, QStringList{"3"}, QProcessEnvironment::systemEnvironment());
        if (!sim->laeuft() || !sim->warten_auf("\n", 5000)) {
            return "the box simulator did not start: " + sim->ausgabe();
        }
        const std::string zeile = sim->ausgabe().substr(0, sim->ausgabe().find('\n'));
        const std::string vorne = "export HESTREL_COM3=";
        if (zeile.rfind(vorne, 0) != 0) {
            return "the box simulator said: " + zeile;
        }
        platz_einrichten(a, "import_a", "Kestu_10", "0", name_a);
        platz_einrichten(b, "import_b", "keine", "1", name_b);
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert("QT_QPA_PLATFORM", "offscreen");
        umgebung.insert("HESTREL_COM3", QString::fromStdString(zeile.substr(vorne.size())));
        umgebung.insert("APPDATA", QString::fromStdString(a));
        sender = std::make_unique<Prozess>(programm, QStringList{}, umgebung);
        umgebung.insert("APPDATA", QString::fromStdString(b));
        umgebung.remove("HESTREL_COM3");
        empfaenger = std::make_unique<Prozess>(programm, QStringList{}, umgebung);
        if (!sender->laeuft() || !empfaenger->laeuft()) {
            return "a program did not start";
        }
        if (!sim->warten_auf("Statusabfrage", 10000)) {
            return "the sender did not ask the box: " + sim->ausgabe();
        }
        return "";
    }

  private:
    void platz_einrichten(const std::string& verzeichnis, const std::string& importname,
                          const std::string& hardware, const std::string& aus, const std::string& name)
    {
        const std::string import = basis.unterverzeichnis(importname);
        std::vector<std::string> z{"", import, "3", "0", "", "", "Taste 1", "0", aus, " 250", "1", gruppe1};
        z.resize(25);
        z.push_back(hardware);
        z.resize(66);
        z.push_back("0");
        z.push_back("0");
        datei_schreiben(verzeichnis + "Hestrel.DAT", zeilen_kodieren(z));
        if (!name.empty()) {
            datei_schreiben(verzeichnis + "Hestrel-Zusatz.ini", zeilen_kodieren({"Platzname=" + name}));
        }
        std::vector<std::string> d{"Überfall", "Kasse 2", "", "Bitte kommen", " 1 "};
        d.resize(14, " 0 ");
        for (int i = 1; i <= 10; ++i) {
            d.push_back("Gruppe " + std::to_string(i));
        }
        d.resize(64, " 0 ");
        for (int i = 11; i <= 50; ++i) {
            d.push_back("Gruppe " + std::to_string(i));
        }
        datei_schreiben(verzeichnis + "Alarmdaten.DAT", zeilen_kodieren(d));
    }
};

} // namespace hestrel::test
