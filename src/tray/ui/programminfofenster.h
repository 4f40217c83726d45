#pragma once

#include <cstdint>

#include <QWidget>

class QLabel;

namespace hestrel {

class Programminfo;

// The info window: a view over its model.
class ProgramminfoFenster : public QWidget {
    Q_OBJECT
  public:
    explicit ProgramminfoFenster(Programminfo& info, QWidget* parent = nullptr);
    ~ProgramminfoFenster() override;

    void aktualisieren();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Programminfo& m_info;
    QLabel* m_version = nullptr;
    std::uint64_t m_gezeigt = 0;
    bool m_schliesst = false;
};

} // namespace hestrel
