// A manual-reset event that a worker thread waits on together with other file descriptors: the
// stand-in for the original platform's stop events. Once set it stays set; every wait and every
// delay of a worker is interruptible by it, since a thread cannot be terminated here.
#pragma once

#include "platform/file_descriptor.h"

#include <chrono>

namespace quillbrook {

class StopEvent {
public:
    StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void set();
    bool isSet() const;
    // Readable (POLLIN) once the event is set; for poll() together with other descriptors.
    int fd() const { return fd_.get(); }
    // Waits until the event is set or `timeout` has passed; true when it is set. A negative
    // timeout waits without limit. This is the interruptible sleep of a worker thread.
    bool waitFor(std::chrono::milliseconds timeout) const;

private:
    FileDescriptor fd_;
};

} // namespace quillbrook
