#include "tray/ui/qttraysymbol.h"

#include <cstdio>

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "tray/traymenue.h"

namespace hestrel {

QtTraysymbol::QtTraysymbol(Traymenue& mnbar, QObject* parent) : QObject(parent), m_traymenue(mnbar)
{
    m_menue = new QMenu();
    m_menue->setObjectName(QStringLiteral("traymenue"));
    for (int i = 0; i < static_cast<int>(k_traymenue.size()); ++i) {
        const Menuepunkt& p = k_traymenue[static_cast<std::size_t>(i)];
        QAction* a = m_menue->addAction(QString::fromUtf8(p.text));
        a->setObjectName(QLatin1String(p.name));
        // Queued: the exit command must not destroy the menu while it still delivers the click.
        connect(
            a, &QAction::triggered, this, [this, i] { m_traymenue.menuepunkt_gewaehlt(i); },
            Qt::QueuedConnection);
    }
}

QtTraysymbol::~QtTraysymbol()
{
    delete m_symbol;
    delete m_menue;
}

bool QtTraysymbol::hinzufuegen(const std::string& tip)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        static bool gemeldet = false;
        if (!gemeldet) {
            gemeldet = true;
            std::fputs("hestrel: the desktop has no notification area; running without the tray icon\n",
                       stderr);
        }
        return false;
    }
    if (m_symbol == nullptr) {
        m_symbol = new QSystemTrayIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
        m_symbol->setContextMenu(m_menue);
    }
    m_tip = QString::fromStdString(tip);
    m_symbol->setToolTip(m_warnung.isEmpty() ? m_tip : m_warnung);
    m_symbol->show();
    return true;
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
    if (m_symbol != nullptr) {
        m_symbol->hide();
    }
}

} // namespace hestrel
