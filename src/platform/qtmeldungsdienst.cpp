#include "platform/qtmeldungsdienst.h"

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
    QMessageBox* box = it.value();
    box->show();
    box->raise();
    // The user just clicked in this program: the box may take the keyboard.
    box->activateWindow();
}

}  // namespace hestrel
