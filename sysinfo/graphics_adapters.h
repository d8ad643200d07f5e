// Every graphics adapter, named where the system leaves it unnamed, and its text: one
// line each for kelvane-cli and the Video Memory field's tooltip.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics_adapters.h"

// The short name of a common graphics vendor ("NVIDIA"), nullptr for others.
const char* KnownGpuVendorName(uint32_t vendorId);

// Fills what the system left empty: the vendor from the table above or "vendor 0x10de",
// the adapter as "device 0x2684" (or "display device" without ids).
void CompleteAdapterNames(GraphicsAdapter* adapter);

// This machine's adapters, every one named; returns how many.
int ReadGraphicsAdapters(GraphicsAdapter* out, int capacity);

// "AD102 [GeForce RTX 4090] (NVIDIA Corporation, 10de:2684), 24 GiB dedicated, primary
// display"; "... no dedicated memory reported" where the figure is 0.
void FormatGraphicsAdapter(const GraphicsAdapter& adapter, char* out, size_t size);

// "15.98 GiB", "512 MiB": an adapter's memory, locale-free.
void FormatAdapterMemory(uint64_t bytes, char* out, size_t size);
