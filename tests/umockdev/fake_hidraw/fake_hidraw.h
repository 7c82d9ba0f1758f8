#pragma once
// Tests only: hidraw device nodes without a kernel. Loaded ahead of the C library (in
// LD_PRELOAD, see hidraw_testbed.h), it takes over open, ioctl, read, write and close on the
// /dev/hidraw* nodes that a test maps to an interface of the simulated mouse (vyk-mouse-sim),
// and leaves every other file alone. The node is then backed by the simulator's device model:
// feature and output reports go to it over a handle connection (so its memory, report log and
// failure injection apply), its input reports arrive on the node.
//
// umockdev's own ioctl emulation (UMockdevIoctlBase) carries these ioctls and read(), but the
// node it opens is a regular file, which poll() always reports readable: a reader that waits in
// poll() with a stop event, idles without waking, or sees POLLHUP on unplug cannot run on it.
// umockdev stays in charge of sysfs and uevents.
//
// The descriptor an application gets is one end of a socket pair, so poll() on it is the
// kernel's own: it blocks until an input report arrives, and reports POLLHUP once the device
// is gone. What the emulation answers follows drivers/hid/hidraw.c:
//   HIDIOCGRAWINFO, HIDIOCGRDESCSIZE, HIDIOCGRDESC (EINVAL for a size above 4095);
//   HIDIOCSFEATURE/HIDIOCGFEATURE(len): EINVAL for len < 2 or above 16384, else the bytes
//     transferred; a request the device refuses fails with EPIPE (a stalled control transfer);
//   read: one report per call, cut to the buffer; EAGAIN when none waits on a non-blocking
//     node; EIO once the device is gone and nothing is queued;
//   write: an output report, EINVAL below 1 byte;
//   any call on a node whose device went away: ENODEV; a transfer under way when the device
//     goes fails with the errno set by vyk_fake_hidraw_set_unplug_errno (default ESHUTDOWN,
//     what the USB core gives for a request killed by a disconnect).
// Opening a mapped node connects to the simulator at once (ENODEV while it is unplugged,
// ENOENT for a node that is not mapped). Thread-safe: each node handle serialises its
// requests; reads and requests may run on different threads.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Maps node (e.g. "/dev/hidraw0") to interface `iface` of the simulator at simSocket.
void vyk_fake_hidraw_map(const char* node, const char* simSocket, uint32_t iface);
// Removes a node: later opens fail with ENOENT (handles already open stay as they are).
void vyk_fake_hidraw_unmap(const char* node);
// Makes open() of node fail with err (e.g. EACCES: no udev rule); 0 lets it open again.
void vyk_fake_hidraw_refuse_open(const char* node, int err);
// The errno of a transfer that was under way when the device went away.
void vyk_fake_hidraw_set_unplug_errno(int err);
// Counters since the last reset: read() calls on mapped nodes, and ioctl() calls on them.
uint64_t vyk_fake_hidraw_reads(void);
uint64_t vyk_fake_hidraw_ioctls(void);
// Handles open now on all mapped nodes.
uint32_t vyk_fake_hidraw_open_handles(void);
// Forgets every mapping and setting and resets the counters.
void vyk_fake_hidraw_reset(void);

#ifdef __cplusplus
}
#endif
