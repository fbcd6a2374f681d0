#include "sim/SimAttach.h"

#include "core/MemorySerialBackend.h"
#include "sim/AlarmModuleSim.h"
#include "sim/Vx8ModuleSim.h"

void AttachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim)
{
    QObject::connect(backend, &MemorySerialBackend::written, sim, &AlarmModuleSim::feed);
    QObject::connect(sim, &AlarmModuleSim::reply, backend, &MemorySerialBackend::inject);
}

void DetachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim)
{
    QObject::disconnect(backend, &MemorySerialBackend::written, sim, &AlarmModuleSim::feed);
    QObject::disconnect(sim, &AlarmModuleSim::reply, backend, &MemorySerialBackend::inject);
}

void AttachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim)
{
    QObject::connect(backend, &MemorySerialBackend::written, sim, &Vx8ModuleSim::feed);
    QObject::connect(sim, &Vx8ModuleSim::reply, backend, &MemorySerialBackend::inject);
}

void DetachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim)
{
    QObject::disconnect(backend, &MemorySerialBackend::written, sim, &Vx8ModuleSim::feed);
    QObject::disconnect(sim, &Vx8ModuleSim::reply, backend, &MemorySerialBackend::inject);
}

DemoModules::DemoModules(int incomingSmsMs, QObject *parent)
    : QObject(parent), m_alarm(new AlarmModuleSim(this)), m_vx8(new Vx8ModuleSim(this))
{
    AlarmSimOptions options;
    options.incomingEveryMs = incomingSmsMs;
    m_alarm->setOptions(options);
}

void DemoModules::serve(MemorySerialBackend *backend)
{
    connect(backend, &MemorySerialBackend::openedWith, this,
            [this, backend](const QString &path, qint32) { opened(backend, path); });
}

void DemoModules::opened(MemorySerialBackend *backend, const QString &path)
{
    if (path == QLatin1String("virtual:vx8")) {
        if (m_vx8Line)
            DetachVx8Sim(m_vx8Line, m_vx8);
        m_vx8Line = backend;
        AttachVx8Sim(backend, m_vx8);
    } else {
        if (m_alarmLine)
            DetachAlarmSim(m_alarmLine, m_alarm);
        m_alarmLine = backend;
        AttachAlarmSim(backend, m_alarm);
    }
}
