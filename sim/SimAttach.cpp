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
