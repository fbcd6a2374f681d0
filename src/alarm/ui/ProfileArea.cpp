#include "alarm/ui/ProfileArea.h"

#include "alarm/ui/AlarmPageHost.h"
#include "core/Dialogs.h"
#include "core/SerialLink.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString chooseFile(bool save)
{
    const QString filter = QStringLiteral("配置文件 (*.json)");
    return save ? QFileDialog::getSaveFileName(nullptr, QStringLiteral("保存配置"), QString(),
                                               filter)
                : QFileDialog::getOpenFileName(nullptr, QStringLiteral("写入配置"), QString(),
                                               filter);
}

bool showTable(const QString &title, const QList<Profile::Difference> &rows, bool ask)
{
    QDialog dialog;
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    // The verdict also inside the dialog, where it cannot be missed.
    layout->addWidget(new QLabel(title, &dialog));
    auto *table = new QTableWidget(int(rows.size()), 3, &dialog);
    table->setObjectName(QStringLiteral("ProfileTable"));
    table->setAccessibleName(title);
    table->setHorizontalHeaderLabels(
        {QStringLiteral("项目"), QStringLiteral("模块中的值"), QStringLiteral("配置中的值")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < rows.size(); ++r) {
        const Profile::Difference &d = rows.at(r);
        const QString module = d.reported ? d.moduleValue : QStringLiteral("（未读出）");
        const QString values[3] = {Profile::FieldCaption(d.path), module, d.profileValue};
        for (int c = 0; c < 3; ++c) {
            // Line breaks in the short message texts stay visible in one row.
            QString shown = values[c];
            table->setItem(r, c,
                           new QTableWidgetItem(
                               shown.replace(QLatin1String("\r\n"), QLatin1String("\\r\\n"))));
        }
    }
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
    layout->addWidget(table);
    auto *buttons = new QDialogButtonBox(&dialog);
    if (ask) {
        buttons->addButton(QStringLiteral("写入"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    } else {
        buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(640, 420);
    return dialog.exec() == QDialog::Accepted;
}

ProfileArea::FileChooser &fileChooser()
{
    static ProfileArea::FileChooser chooser = chooseFile;
    return chooser;
}

ProfileArea::TableViewer &tableViewer()
{
    static ProfileArea::TableViewer viewer = showTable;
    return viewer;
}

QString stopText(const ProfileRunner::Outcome &o)
{
    QString why;
    switch (o.result) {
    case ProfileRunner::Result::NoAnswer:
        why = QStringLiteral("模块无应答");
        break;
    case ProfileRunner::Result::Refused:
        why = QStringLiteral("模块拒绝写入");
        break;
    case ProfileRunner::Result::DeviceLost:
        why = QStringLiteral("串口设备已断开");
        break;
    case ProfileRunner::Result::Checksum:
        why = QStringLiteral("模块的应答校验和错误");
        break;
    default:
        break;
    }
    return o.stoppedAt.isEmpty()
               ? why
               : why + QStringLiteral("，停在：%1").arg(Profile::StepCaption(o.stoppedAt));
}

} // namespace

void ProfileArea::setFileChooser(FileChooser chooser)
{
    fileChooser() = chooser ? std::move(chooser) : FileChooser(chooseFile);
}

void ProfileArea::setTableViewer(TableViewer viewer)
{
    tableViewer() = viewer ? std::move(viewer) : TableViewer(showTable);
}

ProfileArea::ProfileArea(QTabWidget *tabs, AlarmPageHost &host)
    : QObject(tabs), m_host(&host), m_runner(new ProfileRunner(host.exchange(), this))
{
    setObjectName(QStringLiteral("ProfileArea"));
    auto *row = new QWidget(tabs);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_save = new QPushButton(QStringLiteral("保存配置…"), row);
    m_save->setObjectName(QStringLiteral("SaveProfile"));
    m_write = new QPushButton(QStringLiteral("写入配置…"), row);
    m_write->setObjectName(QStringLiteral("WriteProfile"));
    layout->addWidget(m_save);
    layout->addWidget(m_write);
    // Beside the tabs: they belong to the whole module, not to one page, and take no height.
    tabs->setCornerWidget(row, Qt::TopRightCorner);
    m_save->setEnabled(false);
    connect(m_save, &QPushButton::clicked, this, &ProfileArea::save);
    connect(m_write, &QPushButton::clicked, this, &ProfileArea::load);
    connect(m_runner, &ProfileRunner::finished, this, &ProfileArea::finished);
    connect(&host.exchange(), &AlarmExchange::sequenceFinished, this,
            [this](AlarmExchange::Sequence s) {
                // A complete read-all of the window itself makes a profile worth saving.
                if (s == AlarmExchange::Sequence::ReadAll && !m_runner->isRunning() &&
                    m_host->exchange().readAllStep() == AlarmExchange::ReadEnded) {
                    m_readDone = true;
                    setBusy(false);
                }
            });
}

void ProfileArea::setBusy(bool busy)
{
    m_save->setEnabled(!busy && m_readDone);
    m_write->setEnabled(!busy);
    if (busy == m_busy)
        return;
    m_busy = busy;
    // The window's own requests wait while the profile has the line.
    if (busy)
        m_host->exchange().stopAll();
    m_host->setProfileRunning(busy);
}

void ProfileArea::save()
{
    m_phase = Phase::Saving;
    setBusy(true);
    m_runner->read();
}

void ProfileArea::load()
{
    const QString path = fileChooser()(false);
    if (path.isEmpty())
        return;
    QString error;
    if (!Profile::ReadFile(path, &m_wanted, &error)) {
        ShowMessage(QStringLiteral("配置文件有误：\n%1").arg(error), QStringLiteral("提示"),
                    MsgIcon::Exclamation);
        return;
    }
    m_phase = Phase::Comparing;
    setBusy(true);
    m_runner->read();
}

void ProfileArea::finished(const ProfileRunner::Outcome &outcome)
{
    const Phase phase = m_phase;
    m_phase = Phase::None;
    setBusy(false);
    if (outcome.result != ProfileRunner::Result::Verified &&
        outcome.result != ProfileRunner::Result::Differs) {
        ShowMessage(stopText(outcome), QStringLiteral("提示"), MsgIcon::Exclamation);
        return;
    }
    if (phase == Phase::Saving) {
        m_readDone = true;
        QString path = fileChooser()(true);
        if (path.isEmpty())
            return;
        // 写入配置… lists *.json: a name typed without it gets it.
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".json");
        const QByteArray bytes =
            Profile::ToFile(m_runner->moduleProfile(QFileInfo(path).completeBaseName()));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            ShowMessage(QStringLiteral("配置未能保存到 %1：\n%2").arg(path, file.errorString()),
                        QStringLiteral("提示"), MsgIcon::Exclamation);
        else
            ShowMessage(QStringLiteral("配置已保存到 %1").arg(QDir::toNativeSeparators(path)),
                        QStringLiteral("提示"));
        return;
    }
    if (phase == Phase::Comparing) {
        m_readDone = true;
        const QList<Profile::Difference> diff = Profile::Diff(m_runner->moduleProfile(), m_wanted);
        if (diff.isEmpty()) {
            ShowMessage(QStringLiteral("模块与配置一致，无需写入"), QStringLiteral("提示"));
        } else if (tableViewer()(QStringLiteral("将要写入的改动"), diff, true)) {
            m_phase = Phase::Writing;
            setBusy(true);
            m_runner->writeAfterRead(m_wanted);
        }
        return;
    }
    if (phase == Phase::Writing) {
        // Every field of the profile with what the module holds after the write.
        QHash<QString, QString> after;
        for (const Profile::Field &f : Profile::Fields(m_runner->moduleProfile()))
            after.insert(f.path, f.value);
        QList<Profile::Difference> rows;
        for (const Profile::Field &f : Profile::Fields(m_wanted))
            rows.append({f.path, after.value(f.path), f.value});
        const QString title =
            outcome.differences.isEmpty()
                ? QStringLiteral("写入完成，读回核对：全部一致")
                : QStringLiteral("读回核对：%1 项不一致").arg(outcome.differences.size());
        tableViewer()(title, outcome.differences.isEmpty() ? rows : outcome.differences, false);
        // The window's own pages show the module as it is now.
        m_host->refresh();
    }
}
