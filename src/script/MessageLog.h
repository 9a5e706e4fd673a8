#pragma once
// The message log: the engine's copy of the byte code of recent messages,
// kept in ScriptMemory at a place the script chooses, one record per message.

#include <cstdint>

namespace fer {

class ScriptMachine;
class Evaluator;

class MessageLog {
  public:
    MessageLog(ScriptMachine& machine, Evaluator& evaluator)
        : machine_(machine), evaluator_(evaluator) {}

    // Operation 0: marks all records unused and sets the write position.
    void reset(uint32_t writePos);
    // Operation 1: opens a record for a new message (only while logging is
    // enabled and no message is open or recording).
    void begin();
    // Operation 2: closes the message with an end byte.
    void end();
    // Operation 3: 16-bit register 18 = number of logged messages - 1.
    void count();
    // Operation 4: 32-bit register 18 = start of record `index`; records past
    // the last read as 0.
    void start(uint32_t index);
    // Drops the oldest record and moves the others down by one.
    void compact();

  private:
    void moveBytes(uint32_t to, uint32_t from, uint32_t length);

    ScriptMachine& machine_;
    Evaluator& evaluator_;
};

} // namespace fer
