// GetLogicalProcessorInformationEx's records, read apart from the call so they can be
// checked with records a test builds.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/cpu_topology.h"

// `buffer` holds `length` bytes of SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX records
// (RelationAll). A record running past the end stops the walk; false when no processor
// was listed.
bool ParseProcessorInformation(const unsigned char* buffer, size_t length,
                               std::vector<LogicalCpuRecord>* cpus,
                               std::vector<CacheRecord>* caches);
