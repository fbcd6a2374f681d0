#pragma once
// The Unicode converter "Form18": shows the text of Text1 as the bytes of its UTF-16 big-endian
// encoding in hexadecimal, after "0x", with Text3 before and Text4 after each byte.

#include <QByteArray>
#include <QWidget>
#include <memory>

namespace Ui {
class Form18;
}

class Form18 : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *WindowName = "Form18";

    explicit Form18(QWidget *parent = nullptr);
    ~Form18() override;

    // Command1: the conversion.
    void convert();
    // The encoded text of the last conversion: index 0 holds 0, then two bytes per code unit.
    QByteArray encoded() const { return m_bytes; }

private:
    std::unique_ptr<Ui::Form18> ui;
    QByteArray m_bytes;
};
