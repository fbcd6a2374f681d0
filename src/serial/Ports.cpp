#include "serial/Ports.h"

#include "serial/RoutingBackend.h"

Ports::Ports(QObject *parent) : QObject(parent) {}

Ports::~Ports()
{
    // Links outlive this object only as children of windows that are being torn down: they
    // must not ask a book that is gone.
    for (SerialLink *link : links()) {
        link->setOpenGuard({});
        link->setPortResolver({});
        disconnect(link, nullptr, this, nullptr);
    }
}

SerialLink *Ports::makeLink(const QString &holder, QObject *owner)
{
    auto *link = new SerialLink(owner);
    link->setBackend(m_maker ? m_maker() : new RoutingBackend);
    link->setPortResolver([this](int number) { return m_map.path(number); });
    link->setOpenGuard([this, link](const QString &path) { return heldBy(path, link); });
    m_holders.insert(link, holder);
    connect(link, &QObject::destroyed, this, [this, link] { m_holders.remove(link); });
    Q_EMIT linkMade(link);
    return link;
}

void Ports::setHolder(const SerialLink *link, const QString &holder)
{
    if (m_holders.contains(link))
        m_holders.insert(link, holder);
}

QString Ports::heldBy(const QString &path, const SerialLink *except) const
{
    for (auto it = m_holders.constBegin(); it != m_holders.constEnd(); ++it) {
        const SerialLink *link = it.key();
        if (link != except && link->isOpen() && link->openPath() == path)
            return it.value();
    }
    return {};
}

QList<SerialLink *> Ports::links() const
{
    QList<SerialLink *> all;
    for (auto it = m_holders.constBegin(); it != m_holders.constEnd(); ++it)
        all << const_cast<SerialLink *>(it.key());
    return all;
}
