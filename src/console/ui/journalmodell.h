#pragma once

#include <cstdint>

#include <QAbstractListModel>

namespace hestrel {

struct Meldelistenmaske;

// The rows of Listmeldungen for a list view, read straight from the message
// list's state: a journal of 100,000 lines costs no item objects, and rows
// that were only appended are inserted without touching the others.
class Journalmodell : public QAbstractListModel {
    Q_OBJECT
  public:
    Journalmodell(const Meldelistenmaske& maske, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Follows the state: rows dropped from the top are removed, appended rows
    // inserted, a refill resets.
    void abgleichen();

  private:
    const Meldelistenmaske& m_maske;
    std::uint64_t m_generation = 0;
    std::uint64_t m_entfernt = 0;
    int m_zeilen = 0;
};

} // namespace hestrel
