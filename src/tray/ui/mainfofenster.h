#pragma once

#include <cstdint>

#include <QWidget>

class QLabel;

namespace hestrel {

class Mainfo;

// The info window: a view over its model.
class MainfoFenster : public QWidget {
    Q_OBJECT
public:
    explicit MainfoFenster(Mainfo& info, QWidget* parent = nullptr);
    ~MainfoFenster() override;

    void aktualisieren();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Mainfo& m_info;
    QLabel* m_lbl_version = nullptr;
    std::uint64_t m_gezeigt = 0;
    bool m_schliesst = false;
};

}  // namespace hestrel
