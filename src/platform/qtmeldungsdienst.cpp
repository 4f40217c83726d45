#include "platform/qtmeldungsdienst.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"

namespace hestrel {

void QtMeldungsdienst::merken(const QString& text, QMessageBox* box)
{
    m_offen.insert(text, box);
    QObject::connect(box, &QObject::destroyed, [this, text, box] {
        // A later box with the same text may have taken the place.
        auto it = m_offen.find(text);
        if (it != m_offen.end() && (it.value().isNull() || it.value() == box)) {
            m_offen.erase(it);
        }
    });
}

void QtMeldungsdienst::hinweis(const std::string& titel, const std::string& text)
{
    const QString t = QString::fromStdString(text);
    if (auto it = m_offen.constFind(t); it != m_offen.cend() && !it.value().isNull()) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(titel), t, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    // A notice comes up on its own: it must not take the keyboard, nor may a
    // stray Return or space dismiss it unread.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        nur_mit_maus(ok);
    }
    oben_halten(box);
    merken(t, box);
    box->show();
}

void QtMeldungsdienst::frage(const std::string& titel, const std::string& text,
                             std::function<void(bool ok)> antwort)
{
    const QString t = QString::fromStdString(text);
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(titel), t,
                                QMessageBox::Ok | QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    // An open question stays above the message list when an alarm brings the list forward.
    oben_halten(box);
    // A stray Return or space may only ever cancel: OK takes a deliberate click.
    box->setDefaultButton(QMessageBox::Cancel);
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        nur_mit_maus(ok);
    }
    QObject::connect(box, &QMessageBox::finished, [box, antwort](int) {
        const bool ok = box->clickedButton() == box->button(QMessageBox::Ok);
        if (antwort) {
            antwort(ok);
        }
    });
    merken(t, box);
    box->show();
}

void QtMeldungsdienst::nach_vorn(const std::string& text)
{
    auto it = m_offen.constFind(QString::fromStdString(text));
    if (it == m_offen.cend() || it.value().isNull()) {
        return;
    }
    // The user just clicked in this program: the box may take the keyboard.
    auf_wunsch_vorholen(it.value());
}

} // namespace hestrel
