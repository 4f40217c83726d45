#include "platform/qtmeldungsdienst.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/fensterbau.h"

namespace hestrel {

void QtMeldungsdienst::hinweis(const std::string& titel, const std::string& text)
{
    const QString t = QString::fromStdString(text);
    if (m_offen.contains(t)) {
        return;
    }
    m_offen.insert(t);
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
    QObject::connect(box, &QObject::destroyed, [this, t] { m_offen.remove(t); });
    box->show();
}

void QtMeldungsdienst::frage(const std::string& titel, const std::string& text,
                             std::function<void(bool ok)> antwort)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(titel),
                                QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    // An open question stays above the message list when an alarm brings the list forward.
    oben_halten(box);
    QObject::connect(box, &QMessageBox::finished, [box, antwort](int) {
        const bool ok = box->clickedButton() == box->button(QMessageBox::Ok);
        if (antwort) {
            antwort(ok);
        }
    });
    box->show();
}

}  // namespace hestrel
