#pragma once
// One serial port, over a replaceable backend (a real device or pseudo-
// terminal through QSerialPort, or an in-memory line for tests and the built-in virtual module).
//
// Receive semantics: dataReceived() is emitted on the UI thread whenever the bytes waiting are at
// least the receive threshold and the threshold is above 0. It is also emitted for bytes that were
// already waiting when a handler returns having read or changed the threshold, or when the
// threshold is set from outside a handler. It is never emitted while a handler is running, so a
// reply parser is never re-entered, even when it lets pending events run.

#include "core/ByteSource.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

// NotASerialPort: the path is a regular file, a directory or a device that is no terminal.
// StaleLock: the device's lock file names a process of this computer that has ended.
enum class OpenResult {
    Ok,
    NoSuchPort,
    InUse,
    NoPermission,
    OtherError,
    NotASerialPort,
    StaleLock,
    HeldByWindow // another window of this program has the device open; detail names it
};

class SerialBackend : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialBackend() override = default;

    // detail receives a human-readable cause (the device group for NoPermission, for example).
    virtual OpenResult open(const QString &path, qint32 baud, QString *detail) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray read(qint64 maxBytes) = 0;
    virtual qint64 write(const QByteArray &bytes) = 0;
    // A device that refuses the change (a pseudo-terminal has no modem lines) is ignored.
    virtual void setDtr(bool on) = 0;

Q_SIGNALS:
    void readyRead();
    // The device went away while open (unplugged adapter, closed pseudo-terminal peer).
    void deviceLost();
};

class SerialLink : public QObject, public ByteSource
{
    Q_OBJECT
public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    // Takes ownership; closes the port of the previous backend first.
    void setBackend(SerialBackend *backend);
    SerialBackend *backend() const { return m_backend; }
    // Maps a port number (1..8) to the device path the backend opens.
    void setPortResolver(std::function<QString(int)> resolver);
    QString devicePath(int portNumber) const;

    void setPortNumber(qint16 number);
    qint16 portNumber() const { return m_portNumber; }
    void setSettings(const QString &settings);
    QString settings() const { return m_settings; }
    qint32 baudRate() const;
    // Port and baud choice of a connect window: "COM1".."COM8" set the port number, "1200bps"
    // .. "115200bps" the settings string; any other text leaves that part unchanged.
    void applyChoice(const QString &portName, const QString &baudText);
    // "COM1": the port entry this link opens.
    QString portName() const;

    // Which conversation the bytes on this link belong to right now, for whoever names them
    // (the traffic monitor): the connect routine or the exchange that binds to the link sets it.
    enum class Conversation { None, Connect, Alarm, Data };
    void setConversation(Conversation c) { m_conversation = c; }
    Conversation conversation() const { return m_conversation; }

    OpenResult open(QString *detail = nullptr);
    // Asked before every open with the device path: the name of whoever else in this program
    // has that device open, or empty. A held device is not opened (HeldByWindow).
    void setOpenGuard(std::function<QString(const QString &path)> guard)
    {
        m_guard = std::move(guard);
    }
    // The device path of the open port; empty while closed.
    QString openPath() const { return isOpen() ? m_openPath : QString(); }
    void close();
    bool isOpen() const;

    void setDtr(bool on);
    bool dtr() const { return m_dtr; }

    // Receive threshold and read length, always set together.
    void setThreshold(int n);
    int threshold() const { return m_threshold; }
    int readLength() const { return m_readLength; }
    void setReadLength(int n) { m_readLength = n; }

    qint64 bytesWaiting() const override;
    // Reads the waiting bytes, at most the read length (0: all of them).
    QByteArray read();
    // ByteSource: a read of at most n bytes, and threshold with read length n.
    QByteArray readBytes(int n) override;
    void waitFor(int n) override;

    // The most a backend keeps unread; beyond it the oldest bytes are dropped, so a line that
    // floods or a parser that waits can never make the program grow without limit.
    static constexpr qint64 MaxUnread = 64 * 1024;
    void write(const QByteArray &bytes);

    // The data-received handler called directly on every event: the parser of whoever holds
    // the conversation (the connect routine, then the exchange of the module window). The
    // dataReceived signal is emitted as well when something is connected to it. Binding
    // replaces the previous receiver; with no receiver the bytes wait.
    void bindReceiver(const QObject *owner, std::function<void()> handler);
    // Ends owner's binding; nothing when another receiver has taken the link since.
    void unbindReceiver(const QObject *owner);
    // Bytes wait until a receiver binds (a module that restarts after a mode switch).
    void unbindAll() { bindReceiver(nullptr, {}); }
    const QObject *receiver() const { return m_receiver; }

    bool isDelivering() const { return m_delivering; }
    // Asks for one more delivery attempt from the event loop (used by a parser that waited for
    // the line to settle). Nothing happens when the threshold is not reached.
    void requestDelivery();

Q_SIGNALS:
    void dataReceived();
    void portOpened();
    void portClosed();
    // The device went away; the port is already closed.
    void deviceLost(const QString &devicePath);
    // Every chunk written (transmitted) or read, as it goes; emitted only while something listens
    // (the traffic monitor, the trace file).
    void traffic(bool transmitted, const QByteArray &bytes);

private:
    void onReadyRead();
    void onDeviceLost();
    void deliver();
    void scheduleDelivery();
    void trace(bool transmitted, const QByteArray &bytes);

    SerialBackend *m_backend = nullptr;
    std::function<QString(int)> m_resolver;
    std::function<void()> m_handler;
    const QObject *m_receiver = nullptr;
    std::function<QString(const QString &)> m_guard;
    qint16 m_portNumber = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_dtr = false;
    int m_threshold = 0;
    int m_readLength = 0;
    bool m_delivering = false;
    bool m_deliveryQueued = false;
    quint64 m_reads = 0;
    quint64 m_arrivals = 0;
    quint64 m_thresholdChanges = 0;
    QString m_openPath;
    Conversation m_conversation = Conversation::None;
};

// The baud rates of the modules and the port, slowest first, and their texts in the windows
// ("9600bps"). BaudIndex gives the place of a text in BaudRates, -1 for any other text.
inline constexpr std::array<qint32, 9> BaudRates{1200,  2400,  4800,  9600,  14400,
                                                 19200, 38400, 57600, 115200};
QString BaudText(qint32 rate);
int BaudIndex(const QString &text);

// The port number of "COM1".."COM8", 0 for any other text.
int PortNumberOf(const QString &portName);
