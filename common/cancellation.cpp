#include "common/cancellation.h"

namespace lumapress {
namespace {

thread_local const CancellationCheck* currentCheck = nullptr;

}  // namespace

bool CancellationCheck::Requested() const {
  if (seen_.load(std::memory_order_relaxed)) return true;
  if (!requested_ || !requested_()) return false;
  seen_.store(true, std::memory_order_relaxed);
  return true;
}

CancellationScope::CancellationScope(const CancellationCheck* check) : previous_(currentCheck) {
  currentCheck = check;
}

CancellationScope::~CancellationScope() { currentCheck = previous_; }

bool CancellationRequested() { return currentCheck != nullptr && currentCheck->Requested(); }

}  // namespace lumapress
