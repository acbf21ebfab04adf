// What the settings file holds for a value, "<missing>" when it holds nothing.
#pragma once

#include <string>

#include "platform/registry_store.h"

namespace testsupport {

inline std::string StoredValue(const platform::RegistryStore& store, const char* name) {
    std::string value;
    if (!store.ReadString(platform::Hive::kLocalMachine, platform::kEnvironmentsKey, name, &value))
        return "<missing>";
    return value;
}

}  // namespace testsupport
