#include "platform/qtmeldungsdienst.h"

#include <QMessageBox>

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
    QObject::connect(box, &QMessageBox::finished, [box, antwort](int) {
        const bool ok = box->clickedButton() == box->button(QMessageBox::Ok);
        if (antwort) {
            antwort(ok);
        }
    });
    box->show();
}

}  // namespace hestrel
