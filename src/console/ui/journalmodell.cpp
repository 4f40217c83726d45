#include "console/ui/journalmodell.h"

#include "console/meldelistenmaske.h"

#include <algorithm>

namespace hestrel {

Journalmodell::Journalmodell(const Meldelistenmaske& maske, QObject* parent)
    : QAbstractListModel(parent), m_maske(maske), m_generation(maske.liste_generation),
      m_entfernt(maske.liste_entfernt), m_zeilen(static_cast<int>(maske.listmeldungen.size()))
{
}

int Journalmodell::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_zeilen;
}

QVariant Journalmodell::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_zeilen ||
        static_cast<std::size_t>(index.row()) >= m_maske.listmeldungen.size()) {
        return {};
    }
    return QString::fromStdString(m_maske.listmeldungen[static_cast<std::size_t>(index.row())]);
}

void Journalmodell::abgleichen()
{
    const int zeilen = static_cast<int>(m_maske.listmeldungen.size());
    if (m_maske.liste_generation == m_generation && m_maske.liste_entfernt != m_entfernt) {
        // The oldest rows left the list: removed, so the view keeps its place.
        const auto weg = static_cast<int>(std::min<std::uint64_t>(m_maske.liste_entfernt - m_entfernt,
                                                                  static_cast<std::uint64_t>(m_zeilen)));
        m_entfernt = m_maske.liste_entfernt;
        if (weg > 0) {
            beginRemoveRows(QModelIndex(), 0, weg - 1);
            m_zeilen -= weg;
            endRemoveRows();
        }
    }
    if (m_maske.liste_generation != m_generation || zeilen < m_zeilen) {
        beginResetModel();
        m_generation = m_maske.liste_generation;
        m_entfernt = m_maske.liste_entfernt;
        m_zeilen = zeilen;
        endResetModel();
        return;
    }
    if (zeilen == m_zeilen) {
        // The last row may have been a line still being written; it is complete now.
        if (zeilen > 0) {
            emit dataChanged(index(zeilen - 1), index(zeilen - 1));
        }
        return;
    }
    // The previous last row may have grown into a complete line.
    if (m_zeilen > 0) {
        emit dataChanged(index(m_zeilen - 1), index(m_zeilen - 1));
    }
    beginInsertRows(QModelIndex(), m_zeilen, zeilen - 1);
    m_zeilen = zeilen;
    endInsertRows();
}

} // namespace hestrel
