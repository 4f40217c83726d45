#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <string>

namespace hestrel::test {

// A real program (or the box simulator) as a child process through QProcess,
// its standard output and error taken in; ended at the end of the test.
class Prozess {
  public:
    Prozess(const QString& programm, const QStringList& argumente, const QProcessEnvironment& umgebung)
    {
        m_p.setProgram(programm);
        m_p.setArguments(argumente);
        m_p.setProcessEnvironment(umgebung);
        m_p.setProcessChannelMode(QProcess::MergedChannels);
        m_p.start();
    }
    ~Prozess()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.terminate();
            if (!m_p.waitForFinished(5000)) {
                m_p.kill();
                m_p.waitForFinished(2000);
            }
        }
    }
    bool laeuft() { return m_p.waitForStarted(5000); }
    // Waits until the output holds `teil`; true when it does.
    bool warten_auf(const std::string& teil, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (ausgabe().find(teil) == std::string::npos) {
            if (t.elapsed() > ms || m_p.state() == QProcess::NotRunning) {
                return false;
            }
            m_p.waitForReadyRead(100);
        }
        return true;
    }
    const std::string& ausgabe()
    {
        m_ausgabe += m_p.readAll().toStdString();
        return m_ausgabe;
    }
    void tippen(const char* text) { m_p.write(text); }
    // Takes in output for a while; the time passes either way.
    void lesen(int ms)
    {
        m_p.waitForReadyRead(ms);
        ausgabe();
    }

  private:
    QProcess m_p;
    std::string m_ausgabe;
};

} // namespace hestrel::test
