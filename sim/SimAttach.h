#pragma once
// Puts the virtual alarm module behind the in-memory serial line: what the program writes goes
// to the module, and the module's answers arrive as received bytes.

class AlarmModuleSim;
class Vx8ModuleSim;
class MemorySerialBackend;

void AttachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
void DetachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
// The same for the virtual VX8 data module.
void AttachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
void DetachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
