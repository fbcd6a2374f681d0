#pragma once
// The connect of the connect dialog for one port, as an object: the connect query (P FE 03),
// the module's notice (P FD and three bytes) within NoticeMs, then the five read-outs F8, F9,
// EC, D6 and D1, each sent once its predecessor is answered or a second has passed. The D1
// answer ends the connect; a GPRS module (network mode 1) is refused. Everything it learns is
// kept here, so any number of ports can connect at once. QtCore only.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class SerialLink;

class ConnectProbe : public QObject
{
    Q_OBJECT
public:
    static constexpr int QueryDelayMs = 100; // connect query after the port has opened
    static constexpr int NoticeMs = 2000;    // no notice by then: no module answers
    static constexpr int ReadOutMs = 1000;   // next read-out when one is not answered

    enum class Result { Connected, NoAnswer, Refused };

    explicit ConnectProbe(SerialLink &link, QObject *parent = nullptr);

    // Sends the connect query (the port is open). Ends with finished().
    void start();
    bool isActive() const { return m_active; }
    // The data-received handler while the probe is active.
    void parse();

    quint8 workForm() const { return m_workForm; }
    quint8 transferMode() const { return m_transferMode; }
    quint8 netMode() const { return m_netMode; }
    QString version() const { return m_version; }

Q_SIGNALS:
    void finished(ConnectProbe::Result result);

private:
    void sendQuery();
    void sendReadOut();
    void onTimeout();
    void take(quint8 code, const QByteArray &data);
    void end(Result result);

    SerialLink &m_link;
    QTimer m_timer;
    QByteArray m_in;
    bool m_active = false;
    bool m_noticeSeen = false;
    bool m_queried = false;
    int m_readOut = 0; // read-outs sent
    quint8 m_workForm = 0, m_transferMode = 0, m_netMode = 0;
    QString m_version;
};
