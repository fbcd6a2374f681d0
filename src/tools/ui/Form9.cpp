#include "tools/ui/Form9.h"

#include "core/ByteRoutines.h"
#include "core/Dialogs.h"
#include "shell/WindowRegistry.h"
#include "ui_Form9.h"

#include <QKeyEvent>

namespace {

const QString EncodingAscii = QStringLiteral("ASCII");
const QString EncodingHex = QStringLiteral("十六进制");
const QString EncodingBcd = QStringLiteral("BCD码");

// One line of Text2 for address a (0 <= a <= the encoding's limit); empty for an unknown encoding.
QString AddressLine(int a, const QString &encoding)
{
    const quint8 hi = quint8(a / 256);
    const quint8 lo = quint8(a % 256);
    QString line;
    if (encoding == EncodingHex) {
        line = ByteToHex(hi) + QLatin1Char(':') + ByteToHex(lo) + QLatin1Char(':');
    } else if (encoding == EncodingBcd) {
        const int d1 = a / 1000 % 10, d2 = a / 100 % 10, d3 = a / 10 % 10, d4 = a % 10;
        line = ByteToHex(quint8(16 * d1 + d2)) + QLatin1Char(':') +
               ByteToHex(quint8(16 * d3 + d4)) + QLatin1Char(':');
    } else if (encoding == EncodingAscii) {
        // The four hexadecimal characters of the address, each as its character code.
        const QString digits = ByteToHex(hi) + ByteToHex(lo);
        for (const QChar c : digits)
            line += ByteToHex(quint8(c.unicode())) + QLatin1Char(':');
    } else {
        return QString();
    }
    return line + QStringLiteral("\r\n");
}

// The largest address an encoding can show: four BCD digits, or two bytes.
int EncodingLimit(const QString &encoding)
{
    return encoding == EncodingBcd ? 9999 : 65535;
}

} // namespace

Form9::Form9(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::Form9>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    ui->VScroll3->setFocusPolicy(Qt::StrongFocus);
    ui->VScroll4->setFocusPolicy(Qt::StrongFocus);
    ui->Text2->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #D4D0C8; }"));

    // Only typed hexadecimal digits reach the station box: no paste, no drop, no context menu.
    ui->Text1_4->installEventFilter(this);
    ui->Text1_4->setContextMenuPolicy(Qt::NoContextMenu);
    ui->Text1_4->setAcceptDrops(false);
    // Text that comes in another way (an input method) is filtered like typed keys.
    connect(ui->Text1_4, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString filtered = FilterHexText(text, true);
        if (filtered != text)
            ui->Text1_4->setText(filtered.left(6));
    });

    connect(ui->VScroll3, &QScrollBar::valueChanged, this, &Form9::onVScroll3Change);
    connect(ui->VScroll4, &QScrollBar::valueChanged, this, &Form9::onVScroll4Change);
    connect(ui->Command1_0, &QPushButton::clicked, this, &Form9::convert);
    connect(ui->Command1_1, &QPushButton::clicked, this, [this] { Windows::unloadWindow(this); });

    // Load: every box empty, encoding 1. The group size stays empty until VScroll3 moves.
    ui->Text2->clear();
    ui->Text1_2->clear();
    ui->Text1_3->clear();
    ui->Text1_4->clear();
    ui->VScroll4->setValue(1);
    onVScroll4Change(1);
}

Form9::~Form9() = default;

QLineEdit *Form9::Text1(int index) const
{
    switch (index) {
    case 2:
        return ui->Text1_2;
    case 3:
        return ui->Text1_3;
    case 4:
        return ui->Text1_4;
    default:
        return nullptr;
    }
}

QPushButton *Form9::Command1(int index) const
{
    return index == 0 ? ui->Command1_0 : index == 1 ? ui->Command1_1 : nullptr;
}

void Form9::onVScroll3Change(int value)
{
    ui->Text1_2->setText(QString::number(-value));
}

void Form9::onVScroll4Change(int value)
{
    switch (value) {
    case 1:
        ui->Text1_3->setText(EncodingAscii);
        break;
    case 2:
        ui->Text1_3->setText(EncodingHex);
        break;
    case 3:
        ui->Text1_3->setText(EncodingBcd);
        break;
    default:
        break;
    }
}

bool Form9::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != ui->Text1_4 || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->matches(QKeySequence::Paste))
        return true;
    // Editing and moving keys (backspace, delete, arrows, tab, copy) work as usual.
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
        key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const QString text = key->text();
    // A character outside ASCII is no hexadecimal digit: it goes to the filter as a code it drops.
    const qint16 code =
        text.size() == 1 && text.at(0).unicode() < 128 ? qint16(text.at(0).unicode()) : qint16(0);
    stationKey(code);
    return true;
}

void Form9::stationKey(qint16 key)
{
    FilterHexKey(key);
    if (key == 0)
        return;
    // The character goes to the end whatever the caret position; after each digit pair a ":"
    // follows. The box's length limit refuses what goes beyond 6 characters.
    QString text = ui->Text1_4->text() + QChar(char16_t(key));
    if (text.size() % 3 == 2)
        text += QLatin1Char(':');
    ui->Text1_4->setText(text);
    ui->Text1_4->end(false);
}

void Form9::convert()
{
    ui->Text2->clear();
    const QString station = ui->Text1_4->text();
    if (station.size() != 6) {
        ShowMessage(QStringLiteral("发射区没有需要发射的数据，请重新输入"),
                    QStringLiteral("错误提示"), MsgIcon::None, MsgButtons::Ok);
        return;
    }
    bool ok = false;
    const int n = ui->Text1_2->text().toInt(&ok);
    if (!ok || n < 1) {
        ShowMessage(QStringLiteral("请先用滚动条选择组内模块数"), QStringLiteral("错误提示"),
                    MsgIcon::None, MsgButtons::Ok);
        return;
    }
    auto digit = [&station](int position) {
        return int(HexDigitValue(quint8(station.at(position - 1).unicode())));
    };
    const int s = m_variantK ? 256 * digit(2) + 16 * digit(4) + digit(5) : 16 * digit(4) + digit(5);
    int a = n * s;

    // Every address of the block must fit the encoding: nothing is wrapped or cut.
    const QString encoding = ui->Text1_3->text();
    if (encoding == EncodingAscii || encoding == EncodingHex || encoding == EncodingBcd) {
        const int limit = EncodingLimit(encoding);
        if (a - n + 1 < 0 || a > limit) {
            ShowMessage(QStringLiteral("组内模块数 %1 与站号 %2 得出的地址 %3 至 %4 超出%5的范围"
                                       "（0～%6），请重新选择")
                            .arg(n)
                            .arg(station)
                            .arg(a - n + 1)
                            .arg(a)
                            .arg(encoding)
                            .arg(limit),
                        QStringLiteral("错误提示"), MsgIcon::None, MsgButtons::Ok);
            return;
        }
    }

    QString result;
    for (int i = 0; i < n; ++i) {
        result += AddressLine(a, ui->Text1_3->text());
        --a;
    }
    ui->Text2->setPlainText(result);
}
