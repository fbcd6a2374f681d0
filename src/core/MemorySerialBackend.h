#pragma once
// An in-memory serial line: what the program writes is handed to whoever listens on
// written() (a test, or the built-in virtual module), and what they inject() arrives as
// received bytes.

#include "core/SerialLink.h"

class MemorySerialBackend : public SerialBackend
{
    Q_OBJECT
public:
    using SerialBackend::SerialBackend;

    OpenResult open(const QString &path, qint32 baud, QString *detail) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 bytesAvailable() const override { return m_rx.size(); }
    QByteArray read(qint64 maxBytes) override;
    qint64 write(const QByteArray &bytes) override;
    void setDtr(bool on) override { m_dtr = on; }

    // The module side.
    void inject(const QByteArray &bytes);
    void simulateLoss();

    // Test controls and observations.
    void setOpenResult(OpenResult result) { m_openResult = result; }
    QByteArray takeWritten();
    const QByteArray &writtenSoFar() const { return m_tx; }
    QString openedPath() const { return m_path; }
    qint32 openedBaud() const { return m_baud; }
    bool dtr() const { return m_dtr; }
    int openCount() const { return m_opens; }

Q_SIGNALS:
    void written(const QByteArray &bytes);
    void openedWith(const QString &path, qint32 baud);

private:
    OpenResult m_openResult = OpenResult::Ok;
    bool m_open = false;
    bool m_dtr = false;
    QByteArray m_rx;
    QByteArray m_tx;
    QString m_path;
    qint32 m_baud = 0;
    int m_opens = 0;
};
