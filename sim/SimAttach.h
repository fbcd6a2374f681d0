#pragma once
// Puts the virtual alarm module behind the in-memory serial line: what the program writes goes
// to the module, and the module's answers arrive as received bytes.

#include <QObject>
#include <QPointer>

class AlarmModuleSim;
class Vx8ModuleSim;
class MemorySerialBackend;

void AttachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
void DetachAlarmSim(MemorySerialBackend *backend, AlarmModuleSim *sim);
// --demo: one virtual alarm module and one virtual VX8 data module for the whole run. Every link
// of the program gets its own memory line (serve()); a line that opens "virtual:vx8" is put
// through to the VX8 module, one that opens any other virtual path to the alarm module. Each
// module is on one line at a time: the one that opened it last. The alarm module receives a
// message every incomingSmsMs (0: never).
class DemoModules : public QObject
{
public:
    explicit DemoModules(int incomingSmsMs = 0, QObject *parent = nullptr);
    void serve(MemorySerialBackend *backend);
    AlarmModuleSim *alarm() const { return m_alarm; }
    Vx8ModuleSim *vx8() const { return m_vx8; }

private:
    void opened(MemorySerialBackend *backend, const QString &path);

    AlarmModuleSim *m_alarm;
    Vx8ModuleSim *m_vx8;
    QPointer<MemorySerialBackend> m_alarmLine, m_vx8Line;
};
// The same for the virtual VX8 data module.
void AttachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
void DetachVx8Sim(MemorySerialBackend *backend, Vx8ModuleSim *sim);
