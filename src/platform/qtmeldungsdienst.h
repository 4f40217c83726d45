#pragma once

#include <QHash>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include "core/meldungsdienst.h"

namespace hestrel {

// Message boxes that never block the event loop: shown window-modal-less and
// answered through a callback. A text already on screen is not shown twice.
class QtMeldungsdienst : public Meldungsdienst {
  public:
    void hinweis(const std::string& titel, const std::string& text) override;
    void frage(const std::string& titel, const std::string& text,
               std::function<void(bool ok)> antwort) override;
    void nach_vorn(const std::string& text) override;

  private:
    void merken(const QString& text, QMessageBox* box);

    // The open boxes by their text.
    QHash<QString, QPointer<QMessageBox>> m_offen;
};

} // namespace hestrel
