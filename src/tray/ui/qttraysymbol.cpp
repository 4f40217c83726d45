#include "tray/ui/qttraysymbol.h"

#include <cstdio>

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "platform/infobereich.h"
#include "tray/traymenue.h"

namespace hestrel {

void programmmenue_fuellen(QMenu* menue, Traymenue& mnbar)
{
    for (int i = 0; i < static_cast<int>(k_traymenue.size()); ++i) {
        const Menuepunkt& p = k_traymenue[static_cast<std::size_t>(i)];
        QAction* a = menue->addAction(QString::fromUtf8(p.text));
        a->setObjectName(QLatin1String(p.name));
        // Queued: the exit command must not destroy the menu while it still delivers the click.
        QObject::connect(
            a, &QAction::triggered, menue, [&mnbar, i] { mnbar.menuepunkt_gewaehlt(i); },
            Qt::QueuedConnection);
    }
}

QtTraysymbol::QtTraysymbol(Traymenue& mnbar, QObject* parent) : QObject(parent), m_traymenue(mnbar)
{
    m_menue = new QMenu();
    m_menue->setObjectName(QStringLiteral("traymenue"));
    programmmenue_fuellen(m_menue, m_traymenue);
}

QtTraysymbol::~QtTraysymbol()
{
    delete m_symbol;
    delete m_menue;
}

bool QtTraysymbol::hinzufuegen(const std::string& tip)
{
    m_tip = QString::fromStdString(tip);
    m_entfernt = false;
    if (m_symbol != nullptr) {
        anlegen();
        return true;
    }
    if (m_waechter == nullptr) {
        // Qt settles on its way to the notification area when it first asks for
        // one: asked before one is there, it would never use one that comes later.
        m_waechter = new Infobereichswaechter(
            [this] {
                if (m_entfernt) {
                    return;
                }
                anlegen();
                if (!m_erster_blick) {
                    std::fputs("hestrel: Infobereich gefunden, das Symbol ist da\n", stderr);
                    m_traymenue.symbol_erschienen();
                }
            },
            this);
        m_erster_blick = true;
        m_waechter->starten();
        m_erster_blick = false;
        if (m_symbol == nullptr) {
            std::fputs("hestrel: kein Infobereich auf dieser Arbeitsfläche; das Menü ist in der Meldeliste "
                       "(\"Programm\"), das Symbol erscheint, sobald es einen Infobereich gibt\n",
                       stderr);
        }
    }
    return m_symbol != nullptr;
}

void QtTraysymbol::anlegen()
{
    if (m_symbol == nullptr) {
        m_symbol = new QSystemTrayIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
        m_symbol->setContextMenu(m_menue);
    }
    m_symbol->setIcon(QIcon(m_warnung.isEmpty() ? QStringLiteral(":/bilder/programm.svg")
                                                : QStringLiteral(":/bilder/warnung.svg")));
    m_symbol->setToolTip(m_warnung.isEmpty() ? m_tip : m_warnung);
    m_symbol->show();
}

void QtTraysymbol::warnung(const std::string& text)
{
    m_warnung = QString::fromStdString(text);
    if (m_symbol == nullptr) {
        return;
    }
    m_symbol->setIcon(QIcon(m_warnung.isEmpty() ? QStringLiteral(":/bilder/programm.svg")
                                                : QStringLiteral(":/bilder/warnung.svg")));
    m_symbol->setToolTip(m_warnung.isEmpty() ? m_tip : m_warnung);
}

void QtTraysymbol::entfernen()
{
    m_entfernt = true;
    if (m_symbol != nullptr) {
        m_symbol->hide();
    }
}

} // namespace hestrel
