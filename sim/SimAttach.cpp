#include "sim/SimAttach.h"

#include "core/MemorySerialBackend.h"
#include "sim/AlarmModuleSim.h"

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
