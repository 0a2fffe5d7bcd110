// Settings kept in memory, so a benchmark never touches the registry.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "ui/Settings.h"

class MemoryStore : public ui::SettingsStore {
 public:
  int32_t ReadInt(const char*, const char* name, int32_t defaultValue) override {
    auto found = values_.find(name);
    return found == values_.end() ? defaultValue : found->second;
  }
  void WriteInt(const char*, const char* name, int32_t value) override { values_[name] = value; }

 private:
  std::map<std::string, int32_t> values_;
};
