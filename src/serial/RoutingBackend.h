#pragma once
// A backend that opens device paths through QSerialPort and the paths "virtual:alarm" and
// "virtual:vx8" through an in-memory line served by a built-in virtual module (the --demo mode).

#include "core/MemorySerialBackend.h"
#include "serial/QtSerialBackend.h"

class RoutingBackend : public SerialBackend
{
    Q_OBJECT
public:
    static constexpr const char *VirtualPath = "virtual:alarm";
    static constexpr const char *VirtualVx8Path = "virtual:vx8";

    explicit RoutingBackend(QObject *parent = nullptr);

    OpenResult open(const QString &path, qint32 baud, QString *detail) override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesAvailable() const override;
    QByteArray read(qint64 maxBytes) override;
    qint64 write(const QByteArray &bytes) override;
    void setDtr(bool on) override;

    MemorySerialBackend *memory() const { return m_memory; }

private:
    SerialBackend *active() const;

    QtSerialBackend *m_device;
    MemorySerialBackend *m_memory;
    bool m_virtual = false;
};
