#pragma once
// What the interpreter tells an attached debugger: an instruction is about
// to run at the machine's pc. The debugger may stop there (and pump the
// window while it waits) before the instruction runs.

namespace fer {

class DebugHook {
  public:
    virtual ~DebugHook() = default;
    virtual void beforeInstruction() = 0;
};

} // namespace fer
