#include <benchmark/benchmark.h>

#include "platform/controls/byte_count_formatter.h"
#include "platform/controls/string_format.h"
#include "platform/devices/device_tree.h"
#include "platform/devices/registry.h"

namespace {

void capacityText(benchmark::State& state) {
    std::int64_t bytes = 500107862016;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            platform::ByteCountFormatter::stringFromByteCount(bytes, platform::CountStyle::File));
        bytes += 4097;
    }
}
BENCHMARK(capacityText);

void statusWithPercentage(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::formatString("%@ (%d%%)", {"Rebuilding", 37}));
    }
}
BENCHMARK(statusWithPercentage);

// The walk made for each arriving disk: entry by path, two parents, two properties.
void enclosureDiskCheck(benchmark::State& state) {
    using namespace platform::devices;
    DeviceTree tree;
    DeviceTree::Scope scope(tree);
    NodeId parent = tree.addNode("root", "/");
    for (int depth = 0; depth < 6; ++depth) {
        parent = tree.addNode(
            "bridge", "/" + std::to_string(depth), parent,
            {{"subsystem-vendor-id", {0x4B, 0x1B, 0, 0}}, {"subsystem-id", {0x30, 0x92, 0, 0}}});
    }
    for (int i = 0; i < state.range(0); ++i) {
        tree.addNode("other", "/other/" + std::to_string(i));
    }
    for (auto _ : state) {
        RegistryEntry disk = registryEntryFromPath("/5");
        RegistryEntry up1 = registryEntryGetParentEntry(disk, kDeviceTreePlane);
        RegistryEntry up2 = registryEntryGetParentEntry(up1, kDeviceTreePlane);
        benchmark::DoNotOptimize(registryEntryCreateProperty(up2, "subsystem-vendor-id"));
        benchmark::DoNotOptimize(registryEntryCreateProperty(up2, "subsystem-id"));
        objectRelease(up2);
        objectRelease(up1);
        objectRelease(disk);
    }
}
BENCHMARK(enclosureDiskCheck)->Arg(10)->Arg(1000);

}  // namespace
