// The disk-arrival stand-in: a session reports disks appearing and
// disappearing through callbacks, on the run loop it is scheduled on, in the
// mode it is scheduled in. Disks present when the session is scheduled (or
// when a callback is registered on a scheduled session) are reported as
// appeared. Works on the current DeviceTree (device_tree.h). Single thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/runloop/run_loop.h"

namespace platform::devices {

// A disk as the callbacks see it; it stays readable after the disk is gone.
class Disk {
  public:
    Disk(std::string bsdName, std::string busPath, bool whole)
        : bsdName_(std::move(bsdName)), busPath_(std::move(busPath)), whole_(whole) {}
    const std::string& bsdName() const { return bsdName_; }
    const std::string& busPath() const { return busPath_; }
    bool isWhole() const { return whole_; }

  private:
    std::string bsdName_;
    std::string busPath_;
    bool whole_;
};

using DiskRef = std::shared_ptr<const Disk>;

struct DiskDescription {
    std::string bsdName;
    // The registry path of the node through which the disk is attached
    // (registryEntryFromPath finds it); absent when unknown.
    std::optional<std::string> busPath;
    bool mediaWhole = false;
};

// Empty for a null disk.
std::optional<DiskDescription> diskCopyDescription(const DiskRef& disk);

enum class DiskMatch {
    Any,
    WholeMedia,  // whole disks only, never partitions
};

using DiskCallback = std::function<void(const DiskRef& disk, void* context)>;

class DiskArrivalSession : public std::enable_shared_from_this<DiskArrivalSession> {
  public:
    // Null when the session cannot be created.
    static std::shared_ptr<DiskArrivalSession> create();
    ~DiskArrivalSession();
    DiskArrivalSession(const DiskArrivalSession&) = delete;
    DiskArrivalSession& operator=(const DiskArrivalSession&) = delete;

    void registerDiskAppearedCallback(DiskMatch match, DiskCallback callback, void* context);
    void registerDiskDisappearedCallback(DiskMatch match, DiskCallback callback, void* context);

    // Delivers events through a source in `loop` in `mode`. Scheduling again
    // moves the session; unscheduling drops undelivered events.
    void scheduleWithRunLoop(RunLoop& loop, Mode mode);
    void unscheduleFromRunLoop();
    bool isScheduled() const;

    // Number of events waiting for the run loop (tests).
    std::size_t pendingEventCount() const;

    struct Impl;

  private:
    DiskArrivalSession();
    std::shared_ptr<Impl> impl_;
};

using DiskArrivalSessionRef = std::shared_ptr<DiskArrivalSession>;

}  // namespace platform::devices
