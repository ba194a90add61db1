#include "link/UdevMonitor.h"

#ifdef SR5N_HAVE_UDEV
#include <libudev.h>
#include <unistd.h>
#endif

namespace sr5n {

std::unique_ptr<UdevMonitor> UdevMonitor::open()
{
#ifdef SR5N_HAVE_UDEV
    std::unique_ptr<UdevMonitor> monitor(new UdevMonitor);
    monitor->m_udev = udev_new();
    if (!monitor->m_udev)
        return nullptr;
    // The daemon announces itself by its control socket.
    monitor->m_fromDaemon = ::access("/run/udev/control", F_OK) == 0;
    monitor->m_monitor =
        udev_monitor_new_from_netlink(monitor->m_udev, monitor->m_fromDaemon ? "udev" : "kernel");
    if (!monitor->m_monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor->m_monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor->m_monitor) < 0 ||
        udev_monitor_get_fd(monitor->m_monitor) < 0)
        return nullptr;
    return monitor;
#else
    return nullptr;
#endif
}

UdevMonitor::~UdevMonitor()
{
#ifdef SR5N_HAVE_UDEV
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
#endif
}

int UdevMonitor::descriptor() const
{
#ifdef SR5N_HAVE_UDEV
    return udev_monitor_get_fd(m_monitor);
#else
    return -1;
#endif
}

bool UdevMonitor::drain()
{
    bool serial = false;
#ifdef SR5N_HAVE_UDEV
    // The socket does not block: this returns null once nothing waits.
    while (struct udev_device *device = udev_monitor_receive_device(m_monitor)) {
        serial = true;
        udev_device_unref(device);
    }
#endif
    return serial;
}

} // namespace sr5n
