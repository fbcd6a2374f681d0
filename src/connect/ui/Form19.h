#pragma once
// The restart wait window "Form19", shown modally after a mode switch: it shows the restart
// message, closes the switched module's port 0.2 s after it begins, counts 50 seconds on
// ProgressBar1, then tells the window that switched (frmVX8 goes back to the state of a module
// not yet identified) and unloads.

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class SerialLink;

namespace Ui {
class Form19;
}

class Form19 : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "Form19";
    static constexpr quint8 WaitSeconds = 50;

    explicit Form19(QWidget *parent = nullptr);
    ~Form19() override;

    // Starts the wait for the module on link; done runs when the 50 seconds are over.
    void begin(SerialLink *link, const QString &message, std::function<void()> done);

    QTimer Timer1; // 1000 ms: one progress step
    QTimer Timer2; // 200 ms, once: closes the port
    void onTimer1();
    void onTimer2();

    quint8 tickCount() const { return m_ticks; }

protected:
    // The wait cannot be cut short by the user (Escape, the title bar): the module is restarting.
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::Form19> ui;
    quint8 m_ticks = 0;
    QPointer<SerialLink> m_link;
    std::function<void()> m_done;
};
