#pragma once
// Raises (or lowers) the calling thread's priority for the life of the scope
// and puts the previous priority back at its end. A change the system refuses
// leaves the priority as it was; inForce() tells what actually holds.

#include <cstdint>

namespace fer {

class PriorityScope {
  public:
    explicit PriorityScope(int32_t priority);
    ~PriorityScope();
    PriorityScope(const PriorityScope&) = delete;
    PriorityScope& operator=(const PriorityScope&) = delete;

    int32_t previous() const { return previous_; }
    int32_t inForce() const { return inForce_; }

  private:
    int32_t threadId_;
    int32_t previous_;
    int32_t inForce_;
};

} // namespace fer
