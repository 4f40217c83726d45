// The Qt services under the alarm presentation: the beep tone and process start.
#include <gtest/gtest.h>

#include <QtEndian>

#include "platform/qtprozessstarter.h"
#include "platform/qttonausgabe.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(Piepton, WavMitDemTonVon2000HzUnd300ms)
{
    const QByteArray wav = ton_erzeugen(2000, 300, 40, 44100);
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.left(4), QByteArray("RIFF"));
    EXPECT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 24), 44100u);
    EXPECT_EQ(qFromLittleEndian<quint16>(wav.constData() + 34), 16u);
    const quint32 daten = qFromLittleEndian<quint32>(wav.constData() + 40);
    EXPECT_EQ(daten, static_cast<quint32>((13230 + 1764) * 2));
    EXPECT_EQ(static_cast<qsizetype>(44 + daten), wav.size());

    // 2000 Hz for 300 ms cross zero about 1200 times; the pause stays silent.
    int wechsel = 0;
    qint16 vorher = 0;
    for (int i = 0; i < 13230; ++i) {
        const auto s = qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i);
        if ((s >= 0) != (vorher >= 0)) {
            ++wechsel;
        }
        vorher = s;
    }
    EXPECT_NEAR(wechsel, 1200, 4);
    for (int i = 13230; i < 13230 + 1764; ++i) {
        EXPECT_EQ(qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i), 0);
    }
}

TEST(Prozessstarter, FehlendesProgrammIstFehler53)
{
    QtProzessstarter p;
    TempVerzeichnis dir;
    EXPECT_EQ(p.starten(dir / "hestrel-msg", {"user1", "Hilfe"}).nummer, 53);
    datei_schreiben(dir / "nicht-ausfuehrbar", "x");
    EXPECT_EQ(p.starten(dir / "nicht-ausfuehrbar", {}).nummer, 75);
    EXPECT_FALSE(p.starten("/bin/true", {"a b", "\"; rm -rf /"}));
    EXPECT_FALSE(p.anmeldename().empty());
}

}  // namespace
}  // namespace hestrel::test
