// The script's file handles: a handle is a slot index + 1. A new entry takes
// the lowest empty slot, so a closed handle's number is handed out again.
// Entries are owned by their slot; emptying the slot closes what it held.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace vx {

enum class HandleKind : int { File = 0, Search = 1 };

// An open file or a file search; each kind releases its system handle in
// its destructor.
class HandleEntry {
 public:
  virtual ~HandleEntry() = default;
  virtual HandleKind kind() const = 0;
};

class FileHandleTable {
 public:
  int add(std::unique_ptr<HandleEntry> entry) {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i]) {
        slots_[i] = std::move(entry);
        return static_cast<int>(i) + 1;
      }
    }
    slots_.push_back(std::move(entry));
    return static_cast<int>(slots_.size());
  }

  HandleEntry* find(int64_t handle) const {
    if (handle < 1 || handle > static_cast<int64_t>(slots_.size())) return nullptr;
    return slots_[static_cast<size_t>(handle - 1)].get();
  }

  bool remove(int64_t handle) {
    if (!find(handle)) return false;
    slots_[static_cast<size_t>(handle - 1)].reset();
    return true;
  }

 private:
  std::vector<std::unique_ptr<HandleEntry>> slots_;
};

}  // namespace vx
