#pragma once
// Names what goes over the line for the traffic monitor. A request is named from its code and
// operation. What the module sends goes through a reply parser of the monitor's own (the same
// code as the exchange's, fed the same bytes and told about the same requests), so a reply is
// shown as the typed reply it becomes, with its checksum verdict; bytes the parser drops belong
// to no frame and are marked so. During the connect the connect-time frames are named from their
// fixed lengths. The exchange's own parser is never touched. Every byte read ends up in a row:
// a frame the port closes on before it ends is listed as an unfinished frame.

#include "alarm/AlarmReplyParser.h"
#include "core/ByteSource.h"
#include "data/DataReplyParser.h"
#include "monitor/TrafficRow.h"

#include <QObject>
#include <functional>

class TrafficNamer : public QObject
{
    Q_OBJECT
public:
    // Which parser reads the line: the connect-time one, the alarm module's, the data module's,
    // or one the monitor does not know (its bytes are shown unnamed).
    enum class Family { Connect, Alarm, Data, Other };
    // Runs of bytes that are no frame (and message data) are gathered up to this many per row.
    static constexpr int LongestRun = 256;

    explicit TrafficNamer(QObject *parent = nullptr);

    // Rows come out with direction, bytes and naming; the caller stamps the time.
    using RowHandler = std::function<void(TrafficRow &row)>;
    void setRowHandler(RowHandler handler) { m_handler = std::move(handler); }

    void sent(const QByteArray &bytes, Family family);
    void received(const QByteArray &bytes, Family family);
    // Hands on a run still being gathered (called when the line has been quiet).
    void flush();
    // The port closed: hands on what is left, a frame still arriving as an unfinished frame.
    void finish();
    // A new connection: nothing of the last one carries over.
    void restart();

    // The name and fields of a request as the program writes it.
    static void nameRequest(const QByteArray &frame, Family family, QString *kind, QString *fields);

private:
    class Buffer : public ByteSource
    {
    public:
        QByteArray data;
        qint64 bytesWaiting() const override { return data.size(); }
        QByteArray readBytes(int n) override;
        void waitFor(int) override {}
        QByteArray consumed; // what the parser has read since the last row
    };

    void receivedFramed(char byte, Family family);
    void receivedConnect(char byte);
    void onReply(const AlarmReplyValue &reply);
    void onDataReply(const DataReplyValue &reply);
    void emitRow(TrafficRow &row);
    // Adds bytes to the open run of kind (junk or message data), handing on a full run.
    void addToRun(const QByteArray &bytes, const QString &kind, bool junk);
    void tellParser(const QByteArray &frame);
    void tellDataParser(const QByteArray &frame);

    RowHandler m_handler;
    Buffer m_buffer;
    AlarmReplyParser m_parser;
    DataReplyParser m_dataParser;
    quint8 m_dataForm[2] = {0, 0}; // the data module's work form and transmission mode
    bool m_replied = false;
    TrafficRow m_run; // bytes with no frame, or message data, still being gathered
    bool m_runOpen = false;
    // The read reply of an empty phone table: its entry bytes still follow and belong to it.
    TrafficRow m_tail;
    int m_tailLeft = 0;
    // Connect-time frames: preamble, code, a fixed count of bytes.
    QByteArray m_connectFrame;
    int m_connectLength = -1;
};
