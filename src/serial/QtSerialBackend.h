#pragma once
// SerialLink backend over QSerialPort: real serial devices and pseudo-terminals.

#include "core/SerialLink.h"

class QSerialPort;

class QtSerialBackend : public SerialBackend
{
    Q_OBJECT
public:
    explicit QtSerialBackend(QObject *parent = nullptr);
    ~QtSerialBackend() override;

    OpenResult open(const QString &path, qint32 baud, QString *detail) override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesAvailable() const override;
    QByteArray read(qint64 maxBytes) override;
    qint64 write(const QByteArray &bytes) override;
    void setDtr(bool on) override;

private:
    QSerialPort *m_port;
    bool m_lost = false;
};

// Tells apart the two causes Qt reports as PermissionError: the current user lacks access
// rights (returns true and names the fix in *detail), or another program holds the device.
bool LacksAccessRights(const QString &path, QString *detail);
