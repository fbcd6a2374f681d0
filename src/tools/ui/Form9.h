#pragma once
// The address calculator "Form9": from the group size n (VScroll3) and the other side's station
// number (Text1(4), two bytes as "12:34:") it lists the station's block of addresses n*s,
// n*s-1, ..., n*s-n+1 in the chosen encoding (VScroll4: ASCII, hexadecimal or BCD), one per line
// in Text2. The K variant ("计算地址K") takes three digits of the station number for s.

#include <QWidget>
#include <memory>

class QLineEdit;
class QPushButton;

namespace Ui {
class Form9;
}

class Form9 : public QWidget
{
    Q_OBJECT
public:
    // "计算地址" (false) or "计算地址K" (true): which digits of the station number make s.
    void setVariantK(bool variantK) { m_variantK = variantK; }
    bool variantK() const { return m_variantK; }
    static constexpr const char *WindowName = "Form9";

    explicit Form9(QWidget *parent = nullptr);
    ~Form9() override;

    // Control arrays: Text1(2), Text1(3), Text1(4) and Command1(0), Command1(1).
    QLineEdit *Text1(int index) const;
    QPushButton *Command1(int index) const;

    // Command1(0): the calculation.
    void convert();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onVScroll3Change(int value);
    void onVScroll4Change(int value);
    // A key typed into the station box, as a character code.
    void stationKey(qint16 key);

    std::unique_ptr<Ui::Form9> ui;
    bool m_variantK = false;
};
