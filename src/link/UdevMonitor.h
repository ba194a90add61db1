#pragma once

#include <memory>

struct udev;
struct udev_monitor;

namespace sr5n {

// The system's device events for serial ports (the tty subsystem), through
// libudev: from the udev daemon when it runs, so that the device files and
// their stable names exist by the time an event comes, or else straight from
// the kernel. Its descriptor becomes readable when events wait.
class UdevMonitor
{
public:
    // Null where device events cannot be had (no libudev at build time, or
    // the system refuses the event socket).
    static std::unique_ptr<UdevMonitor> open();
    ~UdevMonitor();

    UdevMonitor(const UdevMonitor &) = delete;
    UdevMonitor &operator=(const UdevMonitor &) = delete;

    int descriptor() const;
    // Reads every waiting event; true when one was about a serial port.
    bool drain();
    // Whether events come from the udev daemon (else from the kernel).
    bool fromDaemon() const { return m_fromDaemon; }

private:
    UdevMonitor() = default;

    struct udev *m_udev = nullptr;
    struct udev_monitor *m_monitor = nullptr;
    bool m_fromDaemon = false;
};

} // namespace sr5n
