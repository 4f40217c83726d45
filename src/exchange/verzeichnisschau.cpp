#include "exchange/verzeichnisschau.h"

#include <algorithm>

#include "exchange/begleitdateien.h"

namespace hestrel {
namespace {

constexpr int k_verfall_ms = 10000;

} // namespace

bool ist_begleitname(std::string_view name)
{
    return name.starts_with(k_begleitpraefix) || ist_vorlage(name);
}

Verzeichnisschau::Verzeichnisschau(Freigabedienst& freigaben, Scheduler& scheduler)
    : m_freigaben(freigaben), m_scheduler(scheduler)
{
}

Verzeichnisschau::~Verzeichnisschau()
{
    *m_lebt = false;
}

Verzeichnisschau::Blick Verzeichnisschau::blicken(Dateisystem& fs, const std::string& pfad,
                                                  std::optional<std::int64_t> stand_ns, bool listen)
{
    Blick b;
    if (!listen) {
        return b;
    }
    const std::optional<Dateiinfo> verzeichnis = fs.info(pfad);
    if (!verzeichnis) {
        b.fehler = {76, "Pfad nicht gefunden: " + pfad};
        return b;
    }
    if (stand_ns && *stand_ns == verzeichnis->geaendert_ns) {
        return b;
    }
    Namensliste l;
    b.fehler = fs.namen(pfad, ist_begleitname, l, k_max_namen);
    if (b.fehler) {
        return b;
    }
    b.gelistet = true;
    b.liste.namen = std::move(l.namen);
    std::sort(b.liste.namen.begin(), b.liste.namen.end());
    b.liste.eintraege = l.eintraege;
    b.liste.stand_ns = verzeichnis->geaendert_ns;
    return b;
}

std::optional<std::int64_t> Verzeichnisschau::stand_fuer(const std::string& pfad) const
{
    const auto it = m_verzeichnisse.find(pfad);
    if (it == m_verzeichnisse.end() || !it->second.liste ||
        m_scheduler.jetzt_ms() - it->second.liste->gelistet_ms >= k_hoechstens_ms) {
        return std::nullopt;
    }
    return it->second.liste->stand_ns;
}

bool Verzeichnisschau::listen_erlaubt(const std::string& pfad) const
{
    const auto it = m_verzeichnisse.find(pfad);
    return it == m_verzeichnisse.end() || !langsam(pfad) || !it->second.liste ||
           m_scheduler.jetzt_ms() - it->second.liste->gelistet_ms >= k_hoechstens_ms;
}

bool Verzeichnisschau::langsam(const std::string& pfad) const
{
    const auto it = m_verzeichnisse.find(pfad);
    return it != m_verzeichnisse.end() && m_scheduler.jetzt_ms() < it->second.langsam_bis_ms;
}

void Verzeichnisschau::entfernt(const std::string& pfad, const std::vector<std::string>& namen)
{
    const auto it = m_verzeichnisse.find(pfad);
    if (it == m_verzeichnisse.end() || !it->second.liste) {
        return;
    }
    std::erase_if(it->second.liste->namen, [&](const std::string& n) {
        return std::find(namen.begin(), namen.end(), n) != namen.end();
    });
}

void Verzeichnisschau::uebernehmen(const std::string& pfad, Blick blick, std::int64_t gefragt_ms)
{
    if (blick.gelistet) {
        Verzeichnis& v = m_verzeichnisse[pfad];
        const std::int64_t jetzt = m_scheduler.jetzt_ms();
        blick.liste.gelistet_ms = jetzt;
        v.liste = std::move(blick.liste);
        if (jetzt - gefragt_ms >= k_langsam_ms || v.liste->eintraege > k_viele_eintraege) {
            v.langsam_bis_ms = jetzt + k_hoechstens_ms;
        }
    }
}

const Verzeichnisschau::Liste* Verzeichnisschau::letzte(const std::string& pfad) const
{
    const auto it = m_verzeichnisse.find(pfad);
    return it == m_verzeichnisse.end() || !it->second.liste ? nullptr : &*it->second.liste;
}

void Verzeichnisschau::schauen(const std::string& pfad, std::function<void(const Liste*)> antwort)
{
    Verzeichnis& v = m_verzeichnisse[pfad];
    v.wartend.push_back(std::move(antwort));
    if (v.unterwegs) {
        return;
    }
    v.unterwegs = true;
    auto blick = std::make_shared<Blick>();
    m_freigaben.auftrag(
        pfad,
        [blick, pfad, stand = stand_fuer(pfad), listen = listen_erlaubt(pfad)](Dateisystem& fs) {
            *blick = blicken(fs, pfad, stand, listen);
        },
        [this, lebt = std::weak_ptr<bool>(m_lebt), blick, pfad,
         gefragt = m_scheduler.jetzt_ms()](bool ausgefuehrt) {
            if (!lebt.lock()) {
                return;
            }
            Verzeichnis& v = m_verzeichnisse[pfad];
            v.unterwegs = false;
            const bool ok = ausgefuehrt && !blick->fehler;
            uebernehmen(pfad, std::move(*blick), gefragt);
            const Liste* liste = ok && v.liste ? &*v.liste : nullptr;
            auto wartend = std::move(v.wartend);
            v.wartend.clear();
            for (auto& a : wartend) {
                a(liste);
            }
        },
        k_verfall_ms, Spur::begleit);
}

void Verzeichnisschau::uhr_stellen(const std::string& pfad, std::int64_t freigabe_ns, std::int64_t eigen_ms)
{
    m_verzeichnisse[pfad].uhr = std::make_pair(freigabe_ns, eigen_ms);
}

std::optional<std::int64_t> Verzeichnisschau::freigabezeit_ns(const std::string& pfad) const
{
    const auto it = m_verzeichnisse.find(pfad);
    if (it == m_verzeichnisse.end() || !it->second.uhr) {
        return std::nullopt;
    }
    const auto [freigabe_ns, eigen_ms] = *it->second.uhr;
    return freigabe_ns + (m_scheduler.jetzt_ms() - eigen_ms) * 1000000;
}

} // namespace hestrel
