#pragma once
// The wait window "Form10", shown by the data-module window while the module contacts its data
// centre: a row of ">" grows every half second; after 90 seconds it gives up with a message.

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class Form10;
}

class Form10 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "Form10";
    // Ticks of Timer1 (500 ms) before the time-out message: 90 seconds.
    static constexpr quint16 TimeoutTicks = 180;

    explicit Form10(QWidget *parent = nullptr);
    ~Form10() override;

    QTimer Timer1;
    void onTimer1();

    QString progress() const { return m_progress; }
    quint16 tickCount() const { return m_ticks; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::Form10> ui;
    QString m_progress;
    quint16 m_ticks = 0;
};
