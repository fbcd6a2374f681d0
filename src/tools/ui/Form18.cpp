#include "tools/ui/Form18.h"

#include "core/ByteRoutines.h"
#include "shell/WindowRegistry.h"
#include "ui_Form18.h"

#include <QCoreApplication>
#include <QPointer>

Form18::Form18(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::Form18>())
{
    ui->setupUi(this);
    setObjectName(QLatin1String(WindowName));
    QFont mono = ui->Text2->font();
    mono.setFamily(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    ui->Text2->setFont(mono);
    connect(ui->Command1, &QPushButton::clicked, this, &Form18::convert);
    connect(ui->Command2, &QPushButton::clicked, this, [this] { Windows::unloadWindow(this); });
}

Form18::~Form18() = default;

void Form18::convert()
{
    // Pending events run during the conversion; the window may be unloaded meanwhile.
    QPointer<Form18> self(this);
    ui->Command1->setEnabled(false);

    // An empty text leaves the one-element array.
    m_bytes = QByteArray(1, '\0');
    TextToUcs2Bytes(m_bytes, ui->Text1->text());

    QString result = QStringLiteral("0x");
    for (int i = 1; i < m_bytes.size(); ++i) {
        // The separators are read anew for every byte.
        result += ui->Text3->text();
        result += ByteToHex(quint8(m_bytes.at(i)));
        result += ui->Text4->text();
        QCoreApplication::processEvents();
        if (!self)
            return;
    }
    ui->Text2->setPlainText(result + QStringLiteral("\r\n"));
    ui->Command1->setEnabled(true);
}
