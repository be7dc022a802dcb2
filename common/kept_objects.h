#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace lumapress {

// Objects kept from one use to the next, whichever thread uses them: a compressor's tables
// and megabyte buffers are then not allocated afresh for every image, which would fault every
// page in again. Keeps at most as many objects as were ever in use at once. Thread-safe.
template <typename T>
class KeptObjects {
 public:
  // One object on loan; goes back to the keeper when the lease ends.
  class Lease {
   public:
    Lease(KeptObjects& keeper, std::unique_ptr<T> object)
        : keeper_(&keeper), object_(std::move(object)) {}
    ~Lease() {
      if (object_) keeper_->Return(std::move(object_));
    }
    Lease(Lease&&) = default;
    Lease& operator=(Lease&&) = delete;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    T& operator*() const { return *object_; }
    T* operator->() const { return object_.get(); }

   private:
    KeptObjects* keeper_;
    std::unique_ptr<T> object_;
  };

  // A kept object, or a new T(args...) when all are on loan. Throws std::bad_alloc.
  template <typename... Args>
  Lease Borrow(Args&&... args) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!free_.empty()) {
        std::unique_ptr<T> object = std::move(free_.back());
        free_.pop_back();
        return Lease(*this, std::move(object));
      }
    }
    return Lease(*this, std::make_unique<T>(std::forward<Args>(args)...));
  }

  // How many objects are kept now, not counting those on loan.
  size_t Count() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return free_.size();
  }

  // Frees the kept objects; those on loan are kept when they come back.
  void Clear() noexcept {
    std::vector<std::unique_ptr<T>> freed;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      freed.swap(free_);
    }
  }

 private:
  // Called from Lease's destructor, so it must not throw: without memory to keep the object,
  // it is freed instead (push_back leaves it untouched when it throws).
  void Return(std::unique_ptr<T> object) noexcept {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
      free_.push_back(std::move(object));
    } catch (const std::bad_alloc&) {
    }
  }

  std::mutex mutex_;
  std::vector<std::unique_ptr<T>> free_;
};

}  // namespace lumapress
