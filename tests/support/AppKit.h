#pragma once
// The program's ports and traffic monitor as the window tests set them up: every link on a
// memory line of its own (or, for the end-to-end tests, on the program's own backend, with real
// devices), COMn naming the path "COMn", the monitor following every link and the window
// factories registered. Header-only because it uses widgets.

#include "app/AppWindows.h"
#include "core/MemorySerialBackend.h"
#include "monitor/TrafficMonitor.h"
#include "serial/Ports.h"
#include "shell/WindowRegistry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

struct AppKit {
    Ports ports;
    TrafficMonitor monitor;
    QList<QPointer<MemorySerialBackend>> lines; // the backend of every link made, in order

    explicit AppKit(bool memory = true)
    {
        if (memory)
            ports.setBackendMaker([this] {
                auto *backend = new MemorySerialBackend;
                lines << backend;
                return backend;
            });
        for (int n = 1; n <= 8; ++n)
            ports.map().set(n, QStringLiteral("COM%1").arg(n));
        QObject::connect(&ports, &Ports::linkMade, &monitor,
                         [this](SerialLink *link) { monitor.follow(*link); });
        RegisterWindows(ports, monitor);
    }
    ~AppKit()
    {
        Windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static MemorySerialBackend *line(SerialLink &link)
    {
        return static_cast<MemorySerialBackend *>(link.backend());
    }
};
