#include "platform/container_facts.h"

#include <cstring>

// A Windows program sees its host's own system; Windows containers are out of scope.
bool ReadContainerFacts(ContainerFacts* facts) {
    std::memset(facts, 0, sizeof *facts);
    return false;
}
