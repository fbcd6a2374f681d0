#pragma once
// Puts the virtual alarm module behind the in-memory serial line: what the program writes goes
// to the module, and the module's answers arrive as received bytes.

class AlarmModuleSim;
class QObject;
class Vx8ModuleSim;
class MemorySerialBackend;

void AttachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
void DetachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
// --demo: a virtual alarm module and a virtual VX8 data module, owned by owner, share the memory
// line; whichever path the port opens ("virtual:vx8" the VX8 module, any other the alarm
// module) gets the line. The alarm module receives a message every incomingSmsMs (0: never).
void InstallDemoModules(MemorySerialBackend *backend, QObject *owner, int incomingSmsMs = 0);
// The same for the virtual VX8 data module.
void AttachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
void DetachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
