#pragma once
// The launcher "frmMain", shown 100 ms after start-up: Label2 opens the connect dialog
// frmZ40MOD, the VX8 button opens the VX8 connection window frmVX8.

#include <QWidget>
#include <memory>

namespace Ui {
class frmMain;
}

class frmMain : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "frmMain";

    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Label2 clicked: the connect dialog, modal.
    void onLabel2Click();
    // The two further operations of the launcher: the Unicode converter and the VX8 connection
    // window, each modal. Only the second has a control (CommandVX8).
    void showUnicodeConverterModal();
    void showVX8Modal();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::frmMain> ui;
};
