#pragma once
// Serves a virtual module on a pseudo-terminal: the program (or any terminal program) opens the
// slave side as its serial port; what it writes arrives here as received(), and send() writes to
// it.
//
// The server keeps a descriptor of the slave side open for its whole life. Without it the master
// reports end of line (EIO, and a readable notifier that fires without end) while no client has
// the slave open, that is before the first client comes and after every client closes the port,
// and the program closes and reopens its port often. The slave is put in raw mode (cfmakeraw) so
// that no byte is echoed, translated or held back; a client that sets its own line settings
// replaces them, which is fine. Bytes sent while no client listens wait in the terminal's input
// queue and reach the next client; the module sends only in answer to requests, so that happens
// only to an answer still delayed when the client closed.
//
// Windows has no pseudo-terminals: there open() fails and says what would be needed instead.

#include <QByteArray>
#include <QObject>
#include <QString>

class AlarmModuleSim;
class Vx8ModuleSim;
class QSocketNotifier;

class PtyServer : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(QObject *parent = nullptr);
    ~PtyServer() override;

    // Opens the master side, prepares the slave side and starts listening.
    bool open(QString *error = nullptr);
    void close();
    bool isOpen() const { return m_master >= 0; }
    // The device a client opens, for example /dev/pts/3.
    QString slavePath() const { return m_path; }

    // Times the master reported that no client side was open (EIO). Stays 0 while the server
    // holds its own slave descriptor, whatever clients do.
    int hangups() const { return m_hangups; }

    // Connects received() to the module's input and its answers to send().
    void serve(AlarmModuleSim *sim);
    void serve(Vx8ModuleSim *sim);

public Q_SLOTS:
    void send(const QByteArray &bytes);

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    void onReadable();
    void flush();
    bool fail(QString *error, const QString &what);

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
    int m_hangups = 0;
};
