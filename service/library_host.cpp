#include "service/library_host.h"

namespace service {

LibraryHost::LibraryHost(ControllerLibrary& library, CallWatchdog& watchdog, platform::Clock& clock)
    : library_(library),
      watchdog_(watchdog),
      clock_(clock),
      session_(library, [this](const char* operation, const std::function<MV_U8()>& call) {
          auto armed = watchdog_.arm(operation);
          return call();
      }) {}

MV_U8 LibraryHost::startUp() {
    startStatus_ = session_.start();
    if (const auto rescanned = session_.rescanStatus()) {
        // A client's rescan right after start is answered by this one.
        lastRescan_ = Rescanned{clock_.now(), *rescanned};
        try {
            countAdapters();
        } catch (const std::exception&) {
            // Counted again at the first use.
        }
    }
    return startStatus_;
}

bool LibraryHost::shutDown() {
    return session_.finish();
}

void LibraryHost::hardwareChanged() {
    countFresh_ = false;
    lastRescan_.reset();
}

MV_U8 LibraryHost::rescan() {
    if (lastRescan_ && clock_.now() - lastRescan_->at < kRescanReuse) {
        return lastRescan_->status;
    }
    MV_U8 status;
    {
        auto armed = watch<&ControllerLibrary::MV_API_RescanAdapter>();
        status = library_.MV_API_RescanAdapter();
    }
    lastRescan_ = Rescanned{clock_.now(), status};
    countFresh_ = false;
    try {
        countAdapters();
    } catch (const std::exception&) {
        // The client asked for a rescan, not a count; the next use counts again.
    }
    return status;
}

MV_U8 LibraryHost::countAdapters() {
    countFresh_ = false;
    auto armed = watch<&ControllerLibrary::MV_Adapter_GetCount>();
    adapterCount_ = library_.MV_Adapter_GetCount();
    countFresh_ = true;
    return adapterCount_;
}

void LibraryHost::requireAdapter(MV_U8 adapterId) {
    if ((countFresh_ && adapterId < adapterCount_) || adapterId < countAdapters()) {
        return;
    }
    throw RequestRefused("no adapter " + std::to_string(adapterId) + " (the library lists " +
                         std::to_string(adapterCount_) + ")");
}

MV_U8 LibraryHost::readSettings(MV_U8 adapterId, MV_U8& out, AdapterConfigBuffer& settings) {
    auto armed = watch<&ControllerLibrary::MV_Adapter_GetConfig>();
    return library_.MV_Adapter_GetConfig(adapterId, &out, settings.record());
}

}  // namespace service
