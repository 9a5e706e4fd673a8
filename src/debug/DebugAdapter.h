#pragma once
// The engine's side of the Debug Adapter Protocol: one session with one
// client over a DapTransport. Before the engine exists it answers the
// client's set-up (initialize, launch or attach, breakpoints) up to
// configurationDone; attached to the engine it is the interpreter's debug
// hook: before each instruction it looks for requests, breakpoints and
// steps, and while stopped it keeps the window pumped and answers the
// client until it is told to go on.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/BuildVariant.h"
#include "core/CurrentFileNames.h"
#include "debug/DapTransport.h"
#include "debug/JsonValue.h"
#include "debug/ScriptExpression.h"
#include "script/DebugHook.h"
#include "script/ScriptDebugInfo.h"
#include "script/ScriptHost.h"
#include "script/ScriptMachine.h"

namespace fer {

class DebugAdapter final : public DebugHook {
  public:
    DebugAdapter(std::unique_ptr<DapTransport> transport, const BuildVariant& variant);

    // Answers requests until configurationDone (true) or until the client
    // leaves or is refused (false). Only for a launched engine.
    bool awaitConfiguration();
    // The game folder the launch request named; empty for the command line's.
    const std::string& launchGame() const { return launchGame_; }

    // The running engine; the game directory is the current one.
    void attach(ScriptMachine& machine, ScriptHost& host, const CurrentFileNames& names);
    void beforeInstruction() override;
    // Before the fatal-error box: with exception breakpoints on, a stop
    // that shows the error.
    void beforeFatalError(std::string_view title, std::string_view text);
    // A line of the log or of the printed text, as an output event.
    void output(std::string_view category, std::string_view text);
    // The engine ended: exited and terminated, then a short wait for the
    // client's disconnect.
    void engineEnded(int exitCode);

  private:
    struct LineBreakpoint {
        int id;
        uint32_t line;
        std::optional<std::vector<uint8_t>> condition;
        std::string hitCondition;
        std::string logMessage;
        uint32_t hits = 0;
    };
    struct Watch {
        int id;
        std::string dataId;
        uint32_t last = 0;
    };
    struct Frame {
        uint32_t callSite = 0; // where the caller's instruction began
        uint32_t entry = 0;    // the first instruction of this loop
        std::string script;
        std::string name;
    };
    struct Place {
        const ScriptDebugInfo* info = nullptr;
        const ScriptDebugInfo::Line* line = nullptr; // the statement holding the address
        bool statementStart = false;
    };
    enum class Step { kNone, kPause, kEntry, kNext, kIn, kOut };

    void handleMessages();
    void handle(const JsonValue& request);
    void respond(const JsonValue& request, JsonValue body = JsonValue::object());
    void refuse(const JsonValue& request, const std::string& message);
    void event(std::string_view name, JsonValue body = JsonValue::object());

    void launch(const JsonValue& request, bool attach);
    void loadDebugInfo();
    void setBreakpoints(const JsonValue& request);
    void setInstructionBreakpoints(const JsonValue& request);
    void setFunctionBreakpoints(const JsonValue& request);
    void dataBreakpointInfo(const JsonValue& request);
    void setDataBreakpoints(const JsonValue& request);
    void stackTrace(const JsonValue& request);
    void scopes(const JsonValue& request);
    void variables(const JsonValue& request);
    void setVariable(const JsonValue& request);
    void evaluate(const JsonValue& request);
    void disassemble(const JsonValue& request);
    void resume(const JsonValue& request, Step step);
    void disconnect(const JsonValue& request);

    void followFrames();
    void announceSources(const std::string& script);
    void resolveBreakpoints();
    bool breakpointStops(LineBreakpoint& bp, std::string& logText);
    bool stepStops(uint32_t pc);
    void stop(std::string_view reason, std::string_view description, std::string_view text,
              JsonValue hitIds = JsonValue::array());

    Place placeOf(const std::string& script, uint32_t address) const;
    const ScriptDebugInfo* infoOf(const std::string& script) const;
    std::string clientPath(const std::string& debugPath) const;
    JsonValue sourceOf(const ScriptDebugInfo& info, uint32_t source) const;
    ScriptConstants constants() const;
    // The value a dataId designates now; nothing for one that names nothing.
    std::optional<uint32_t> watchedValue(const std::string& dataId) const;
    // The dataId of a name ("flag[3]", "r16[20]", "TXT", "dim8[2][5]", "control 0x08").
    std::optional<std::string> dataIdOf(std::string_view name) const;
    std::string describeDataId(const std::string& dataId) const;
    JsonValue variable(std::string name, std::string value, int children = 0) const;
    std::string nameOfRegister(ScriptDebugInfo::NameKind kind, uint32_t n) const;
    std::string evaluateText(std::string_view text, std::string& error);

    std::unique_ptr<DapTransport> transport_;
    const BuildVariant& variant_;
    int seq_ = 1;
    bool configured_ = false;
    bool gone_ = false;     // the client left or the session ended
    bool launched_ = false; // launch (the engine ends with the session), not attach
    bool stopOnEntry_ = false;
    bool exceptions_ = false;
    std::string launchGame_;
    std::filesystem::path sourcesDir_;

    ScriptMachine* machine_ = nullptr;
    ScriptHost* host_ = nullptr;
    const CurrentFileNames* fileNames_ = nullptr;
    ScriptExpression expression_;

    // Debug information by upper-case script name.
    std::map<std::string, ScriptDebugInfo> infos_;
    std::set<std::string> announced_;
    std::map<std::string, std::vector<LineBreakpoint>> lineBreakpoints_; // by client path
    std::map<uint32_t, int> instructionBreakpoints_;                    // address -> id
    std::vector<std::pair<std::string, int>> functionBreakpoints_;      // name -> id
    std::vector<Watch> watches_;
    int nextId_ = 1;
    // The current script's breakpoints by code offset: (path, index) or,
    // with an empty path, a function breakpoint's id in index.
    std::unordered_map<uint32_t, std::vector<std::pair<std::string, int>>> resolved_;
    bool resolvedDirty_ = true;

    std::string script_; // the current script's name
    std::vector<Frame> frames_;
    uint32_t previousStart_ = 0;
    uint32_t changedAt_ = 0; // the instruction that changed a watched value
    bool stoppedByData_ = false;
    bool stopped_ = false;
    Step step_ = Step::kNone;
    size_t stepDepth_ = 0;
    uint32_t stepPc_ = 0;
    const ScriptDebugInfo::Line* stepLine_ = nullptr;
    std::string exceptionTitle_, exceptionText_;
};

} // namespace fer
