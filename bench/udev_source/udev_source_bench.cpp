// The udev device source on a testbed machine: how long start-up enumeration
// takes with 1,000 devices that are none of the enclosure's (PCI functions,
// disks of a USB host with a partition each) beside the enclosure, and what
// one hot-plug event costs once running. umockdev's preload library answers
// every file access, so the figures are an upper bound for a real machine.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>

#include "platform/devices/udev_device_source.h"
#include "tests/support/machine_recordings.h"
#include "tests/support/umockdev_testbed.h"

namespace {

namespace devices = platform::devices;

constexpr int kUnrelatedPciFunctions = 500;
constexpr int kUnrelatedDisks = 250;  // each with one partition: 500 devices

std::string unrelatedDevices() {
    std::string text;
    const std::string bus = "/sys/devices/pci0000:10";
    for (int i = 0; i < kUnrelatedPciFunctions; ++i) {
        char slot[32];
        std::snprintf(slot, sizeof slot, "/0000:%02x:%02x.%x", 0x10 + i / 256, (i / 8) % 32, i % 8);
        text +=
            recordings::pciFunction(bus + slot, 0x8086, 0x1000 + i % 64, 0x8086, 0x0001, "e1000");
    }
    const std::string usb = "/sys/devices/pci0000:20/0000:20:14.0";
    text += recordings::pciFunction(usb, 0x8086, 0xa36d, 0x8086, 0x0001, "xhci_hcd");
    for (int i = 0; i < kUnrelatedDisks; ++i) {
        const std::string n = std::to_string(i);
        const std::string disk = usb + "/usb3/3-" + n + "/3-" + n + ":1.0/host" + n + "/target" +
                                 n + ":0:0/" + n + ":0:0:0/block/sdx" + n;
        text +=
            recordings::wholeDisk(disk, "Flash Stick", "FS" + n) + recordings::partition(disk, 1);
    }
    return text;
}

// One testbed for the whole run: building it is not what is measured.
UmockdevTestbed& machine() {
    static UmockdevTestbed* testbed = [] {
        auto* bed = new UmockdevTestbed();
        bed->add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1") +
                 recordings::enclosurePci() + unrelatedDevices());
        return bed;
    }();
    return *testbed;
}

void BM_StartUpEnumeration(benchmark::State& state) {
    machine();
    std::size_t nodes = 0;
    for (auto _ : state) {
        devices::DeviceTree tree;
        std::ostringstream problems;
        auto source = devices::UdevDeviceSource::create(tree, problems);
        nodes = tree.nodes().size();
        benchmark::DoNotOptimize(source);
    }
    state.counters["tree_nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_StartUpEnumeration)->Unit(benchmark::kMillisecond);

// One event each: the enclosure's second disk arrives, or goes.
void BM_HotPlugEvent(benchmark::State& state) {
    UmockdevTestbed& testbed = machine();
    devices::DeviceTree tree;
    std::ostringstream problems;
    auto source = devices::UdevDeviceSource::create(tree, problems);
    bool present = true;
    for (auto _ : state) {
        state.PauseTiming();
        testbed.uevent(recordings::kEnclosureDisk2, present ? "remove" : "add");
        present = !present;
        state.ResumeTiming();
        source->perform();
    }
    if (tree.disks().size() != kUnrelatedDisks + 1u + (present ? 1u : 0u)) {
        state.SkipWithError("the events were not applied");
    }
}
BENCHMARK(BM_HotPlugEvent)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "libumockdev-preload")) {
        // libudev must see the testbed: start again with umockdev's preload library.
        ::setenv("LD_PRELOAD", "libumockdev-preload.so.0", 1);
        ::execv("/proc/self/exe", argv);
        std::cerr << "udev_source_bench: cannot run again under umockdev: " << std::strerror(errno)
                  << "\n";
        return 1;
    }
    if (!machine().preloaded()) {
        std::cerr << "udev_source_bench: umockdev's preload library is not active\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
