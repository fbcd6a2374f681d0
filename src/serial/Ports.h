#pragma once
// The serial ports of the program: the COMn map, how a link's backend is made, and which links
// are open and for whom. Whoever connects asks for a link here and owns it; two windows never
// hold the same device, and whoever follows every link (the traffic monitor, the trace file)
// hears of each new one.

#include "core/SerialLink.h"
#include "serial/PortMap.h"

#include <QHash>
#include <QObject>
#include <functional>

class Ports : public QObject
{
    Q_OBJECT
public:
    explicit Ports(QObject *parent = nullptr);
    ~Ports() override;

    PortMap &map() { return m_map; }
    const PortMap &map() const { return m_map; }

    // Makes the backend of each new link (the default opens devices through QSerialPort and
    // the built-in virtual modules' paths in memory).
    using BackendMaker = std::function<SerialBackend *()>;
    void setBackendMaker(BackendMaker maker) { m_maker = std::move(maker); }

    // A new, closed link on COMn entries of the map, owned by owner and held in the name of
    // holder (the caption of the window that uses it).
    SerialLink *makeLink(const QString &holder, QObject *owner);
    // The link has a new user (a connect window hands it to the module window).
    void setHolder(const SerialLink *link, const QString &holder);
    QString holder(const SerialLink *link) const { return m_holders.value(link); }
    // Whoever holds another open link on path; empty when none does.
    QString heldBy(const QString &path, const SerialLink *except = nullptr) const;
    QList<SerialLink *> links() const;

Q_SIGNALS:
    void linkMade(SerialLink *link);

private:
    PortMap m_map;
    BackendMaker m_maker;
    QHash<const SerialLink *, QString> m_holders;
};
