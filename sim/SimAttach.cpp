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

void InstallDemoModules(MemorySerialBackend *backend, QObject *owner, int incomingSmsMs)
{
    auto *alarm = new AlarmModuleSim(owner);
    AlarmSimOptions options;
    options.incomingEveryMs = incomingSmsMs;
    alarm->setOptions(options);
    auto *vx8 = new Vx8ModuleSim(owner);
    AttachAlarmSim(backend, alarm);
    QObject::connect(backend, &MemorySerialBackend::openedWith, owner,
                     [backend, alarm, vx8](const QString &path, qint32) {
                         DetachAlarmSim(backend, alarm);
                         DetachVx8Sim(backend, vx8);
                         if (path == QLatin1String("virtual:vx8"))
                             AttachVx8Sim(backend, vx8);
                         else
                             AttachAlarmSim(backend, alarm);
                     });
}
