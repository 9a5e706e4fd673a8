#include "debug/DebugAdapter.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/Opcodes.h"
#include "core/ScriptRegisters.h"
#include "core/WindowState.h"
#include "files/FileText.h"

namespace fer {

namespace {

constexpr int kThreadId = 1;
// Variable references: scopes, then flag pages (kFlagPages + page).
constexpr int kFlagsScope = 1;
constexpr int kReg16Scope = 2;
constexpr int kReg32Scope = 3;
constexpr int kControlScope = 4;
constexpr int kTextScope = 5;
constexpr int kFilesScope = 6;
constexpr int kFlagPages = 100;
constexpr uint32_t kFlagsPerPage = 100;
constexpr uint32_t kFlagCount = 2048;
constexpr int kWaitMs = 10;

struct ControlBit {
    uint16_t mask;
    const char* meaning;
};
constexpr ControlBit kControlBits[] = {
    {control::kTakePalette, "take palette"},     {control::kKeepPalette, "keep palette"},
    {control::kAnimate, "animate"},              {control::kLeaveChoice, "leave choice"},
    {control::kChangePending, "change pending"}, {control::kAutoPresent, "auto-present"},
    {control::kMessageOpen, "message open"},     {control::kRecording, "recording"},
    {control::kVoicesAllowed, "voices allowed"}, {control::kLoggingEnabled, "logging enabled"},
};

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string hex(uint32_t v, int digits = 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

// Bytes that are not UTF-8 (a name in the game's code page) become '?'.
std::string printable(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        bool ok = n != 0 && i + n <= s.size();
        for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(s[i + k]) >> 6) == 2;
        if (ok && (b >= 0x20 || b == '\n' || b == '\t')) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

bool parseNumber(std::string_view s, uint32_t& out) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

} // namespace

DebugAdapter::DebugAdapter(std::unique_ptr<DapTransport> transport, const BuildVariant& variant)
    : transport_(std::move(transport)), variant_(variant) {}

// ---- messages -----------------------------------------------------------------------------

void DebugAdapter::respond(const JsonValue& request, JsonValue body) {
    JsonValue r = JsonValue::object();
    r.set("seq", seq_++).set("type", "response");
    r.set("request_seq", request["seq"]).set("success", true);
    r.set("command", request["command"]).set("body", std::move(body));
    transport_->send(r);
}

void DebugAdapter::refuse(const JsonValue& request, const std::string& message) {
    JsonValue r = JsonValue::object();
    r.set("seq", seq_++).set("type", "response");
    r.set("request_seq", request["seq"]).set("success", false);
    r.set("command", request["command"]).set("message", message);
    transport_->send(r);
}

void DebugAdapter::event(std::string_view name, JsonValue body) {
    JsonValue e = JsonValue::object();
    e.set("seq", seq_++).set("type", "event").set("event", name).set("body", std::move(body));
    transport_->send(e);
}

void DebugAdapter::output(std::string_view category, std::string_view text) {
    if (gone_ || !transport_->connected()) return;
    JsonValue body = JsonValue::object();
    body.set("category", category).set("output", printable(text) + "\n");
    event("output", std::move(body));
}

void DebugAdapter::handleMessages() {
    for (const JsonValue& m : transport_->take())
        if (m["type"].asString() == "request") handle(m);
    if (transport_->closed() && !gone_) {
        // The client went away without a word: a launched game ends with it.
        gone_ = true;
        stopped_ = false;
        if (launched_ && host_) host_->setWindowState(window_state::kClosed);
    }
}

bool DebugAdapter::awaitConfiguration() {
    while (!configured_ && !gone_) {
        transport_->wait(100);
        handleMessages();
    }
    return configured_ && !gone_;
}

void DebugAdapter::handle(const JsonValue& request) {
    const std::string& c = request["command"].asString();
    const bool running = machine_ != nullptr;
    if (c == "initialize") {
        JsonValue caps = JsonValue::object();
        for (const char* cap :
             {"supportsConfigurationDoneRequest", "supportsConditionalBreakpoints",
              "supportsHitConditionalBreakpoints", "supportsLogPoints",
              "supportsFunctionBreakpoints", "supportsInstructionBreakpoints",
              "supportsDataBreakpoints", "supportsSetVariable", "supportsDisassembleRequest",
              "supportsLoadedSourcesRequest", "supportsExceptionInfoRequest",
              "supportsTerminateRequest", "supportsEvaluateForHovers"})
            caps.set(cap, true);
        JsonValue filter = JsonValue::object();
        filter.set("filter", "fatal").set("label", "Fatal errors").set("default", false);
        caps.set("exceptionBreakpointFilters", JsonValue::array().push(std::move(filter)));
        respond(request, std::move(caps));
    } else if (c == "launch" || c == "attach") {
        launch(request, c == "attach");
    } else if (c == "configurationDone") {
        configured_ = true;
        respond(request);
    } else if (c == "setBreakpoints") {
        setBreakpoints(request);
    } else if (c == "setInstructionBreakpoints") {
        setInstructionBreakpoints(request);
    } else if (c == "setFunctionBreakpoints") {
        setFunctionBreakpoints(request);
    } else if (c == "setExceptionBreakpoints") {
        exceptions_ = false;
        for (const JsonValue& f : request["arguments"]["filters"].items())
            exceptions_ = exceptions_ || f.asString() == "fatal";
        respond(request);
    } else if (c == "dataBreakpointInfo") {
        dataBreakpointInfo(request);
    } else if (c == "setDataBreakpoints") {
        setDataBreakpoints(request);
    } else if (c == "threads") {
        JsonValue thread = JsonValue::object();
        thread.set("id", kThreadId).set("name", "script machine");
        respond(request, JsonValue::object().set("threads", JsonValue::array().push(thread)));
    } else if (c == "loadedSources") {
        JsonValue list = JsonValue::array();
        for (const std::string& script : announced_) {
            if (const ScriptDebugInfo* info = infoOf(script))
                for (uint32_t i = 0; i < info->sources.size(); ++i) list.push(sourceOf(*info, i));
        }
        respond(request, JsonValue::object().set("sources", std::move(list)));
    } else if (c == "disconnect" || c == "terminate") {
        disconnect(request);
    } else if (!running) {
        refuse(request, "the game is not running yet");
    } else if (c == "stackTrace") {
        stackTrace(request);
    } else if (c == "scopes") {
        scopes(request);
    } else if (c == "variables") {
        variables(request);
    } else if (c == "setVariable") {
        setVariable(request);
    } else if (c == "evaluate") {
        evaluate(request);
    } else if (c == "exceptionInfo") {
        JsonValue body = JsonValue::object();
        body.set("exceptionId", printable(exceptionTitle_))
            .set("description", printable(exceptionText_))
            .set("breakMode", "always");
        respond(request, std::move(body));
    } else if (c == "disassemble") {
        disassemble(request);
    } else if (c == "pause") {
        if (!stopped_) step_ = Step::kPause;
        respond(request);
    } else if (c == "continue") {
        resume(request, Step::kNone);
    } else if (c == "next") {
        resume(request, Step::kNext);
    } else if (c == "stepIn") {
        resume(request, Step::kIn);
    } else if (c == "stepOut") {
        resume(request, Step::kOut);
    } else {
        refuse(request, "'" + c + "' is not supported");
    }
}

void DebugAdapter::launch(const JsonValue& request, bool attach) {
    const JsonValue& args = request["arguments"];
    const std::string& variant = args["variant"].asString();
    if (!variant.empty() && variant != variant_.name) {
        refuse(request, "this engine is the " + std::string(variant_.name) + " build, not " +
                            variant);
        return;
    }
    launched_ = !attach;
    stopOnEntry_ = args["stopOnEntry"].asBool();
    if (!attach) launchGame_ = args["game"].asString();
    if (!args["sources"].asString().empty()) sourcesDir_ = args["sources"].asString();
    loadDebugInfo();
    respond(request);
    event("initialized");
}

void DebugAdapter::loadDebugInfo() {
    infos_.clear();
    std::error_code ec;
    const std::filesystem::path dir =
        machine_ || launchGame_.empty() ? std::filesystem::current_path(ec)
                                        : std::filesystem::path(launchGame_);
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= 4 || upper(name.substr(name.size() - 4)) != ".DBG") continue;
        std::string text;
        if (readFileText(entry.path().string(), ScriptDebugInfo::kMaxText, text) !=
            ReadFailure::kNone)
            continue;
        ScriptDebugInfo info;
        std::string why;
        if (!info.parse(text, why)) {
            std::fprintf(stderr, "engine: %s is left aside: %s\n", name.c_str(), why.c_str());
            continue;
        }
        infos_[upper(name.substr(0, name.size() - 4))] = std::move(info);
    }
    resolvedDirty_ = true;
}

void DebugAdapter::attach(ScriptMachine& machine, ScriptHost& host, const CurrentFileNames& names) {
    machine_ = &machine;
    host_ = &host;
    fileNames_ = &names;
    loadDebugInfo();
    if (stopOnEntry_) step_ = Step::kEntry;
}

void DebugAdapter::disconnect(const JsonValue& request) {
    const JsonValue& terminate = request["arguments"]["terminateDebuggee"];
    const bool end = request["command"].asString() == "terminate" ||
                     (terminate.isNull() ? launched_ : terminate.asBool());
    respond(request);
    stopped_ = false;
    step_ = Step::kNone;
    watches_.clear();
    lineBreakpoints_.clear();
    instructionBreakpoints_.clear();
    functionBreakpoints_.clear();
    resolvedDirty_ = true;
    if (request["command"].asString() == "disconnect") gone_ = true;
    if (end && host_) host_->setWindowState(window_state::kClosed);
    if (end && !host_) gone_ = true;
}

void DebugAdapter::engineEnded(int exitCode) {
    if (gone_) return;
    event("exited", JsonValue::object().set("exitCode", exitCode));
    event("terminated");
    for (int waited = 0; waited < 2000 && !gone_ && !transport_->closed(); waited += 50) {
        transport_->wait(50);
        handleMessages();
    }
}

// ---- places -------------------------------------------------------------------------------

const ScriptDebugInfo* DebugAdapter::infoOf(const std::string& script) const {
    auto it = infos_.find(upper(script));
    return it == infos_.end() ? nullptr : &it->second;
}

DebugAdapter::Place DebugAdapter::placeOf(const std::string& script, uint32_t address) const {
    Place p;
    p.info = infoOf(script);
    if (!p.info || address < ScriptMemory::kCodeBase) return p;
    const uint32_t offset = address - ScriptMemory::kCodeBase;
    p.line = p.info->lineAt(offset);
    p.statementStart = p.line && p.line->offset == offset;
    return p;
}

std::string DebugAdapter::clientPath(const std::string& debugPath) const {
    std::error_code ec;
    if (sourcesDir_.empty() || std::filesystem::exists(debugPath, ec)) return debugPath;
    return (std::filesystem::absolute(sourcesDir_, ec) /
            std::filesystem::path(debugPath).filename())
        .lexically_normal()
        .string();
}

JsonValue DebugAdapter::sourceOf(const ScriptDebugInfo& info, uint32_t source) const {
    const std::string path = clientPath(info.sources.at(source));
    return JsonValue::object()
        .set("name", std::filesystem::path(path).filename().string())
        .set("path", path);
}

void DebugAdapter::announceSources(const std::string& script) {
    if (!announced_.insert(upper(script)).second) return;
    const ScriptDebugInfo* info = infoOf(script);
    if (!info) return;
    for (uint32_t i = 0; i < info->sources.size(); ++i) {
        event("loadedSource",
              JsonValue::object().set("reason", "new").set("source", sourceOf(*info, i)));
    }
}

ScriptConstants DebugAdapter::constants() const {
    ScriptConstants out;
    if (const ScriptDebugInfo* info = infoOf(script_))
        for (const ScriptDebugInfo::Name& n : info->names) out.emplace(n.name, n.number);
    return out;
}

std::string DebugAdapter::nameOfRegister(ScriptDebugInfo::NameKind kind, uint32_t n) const {
    std::string out = std::string(ScriptDebugInfo::kindWord(kind)) + "[" + std::to_string(n) + "]";
    if (const ScriptDebugInfo* info = infoOf(script_))
        if (const std::string* name = info->nameOf(kind, n)) out += " " + *name;
    return out;
}

// ---- breakpoints --------------------------------------------------------------------------

void DebugAdapter::setBreakpoints(const JsonValue& request) {
    const JsonValue& args = request["arguments"];
    std::string path = args["source"]["path"].asString();
    std::error_code ec;
    if (!path.empty()) path = std::filesystem::absolute(path, ec).lexically_normal().string();
    std::vector<LineBreakpoint>& list = lineBreakpoints_[path];
    list.clear();
    JsonValue answer = JsonValue::array();
    for (const JsonValue& b : args["breakpoints"].items()) {
        LineBreakpoint bp;
        bp.id = nextId_++;
        bp.line = static_cast<uint32_t>(b["line"].asInteger(0, 0, INT32_MAX));
        bp.hitCondition = b["hitCondition"].asString();
        bp.logMessage = b["logMessage"].asString();
        JsonValue shown = JsonValue::object();
        shown.set("id", bp.id);
        // The first line at or after the one asked for that begins a statement;
        // the condition knows the names of the scripts made from the source.
        std::optional<uint32_t> found;
        ScriptConstants names;
        for (const auto& [script, info] : infos_) {
            for (uint32_t s = 0; s < info.sources.size(); ++s) {
                if (clientPath(info.sources[s]) != path) continue;
                for (const ScriptDebugInfo::Name& n : info.names) names.emplace(n.name, n.number);
                for (const ScriptDebugInfo::Line& l : info.lines)
                    if (l.source == s && l.line >= bp.line && (!found || l.line < *found))
                        found = l.line;
            }
        }
        std::string error;
        if (!b["condition"].asString().empty()) {
            bp.condition = ScriptExpression::compile(b["condition"].asString(), names, error);
        }
        if (!error.empty()) {
            shown.set("verified", false).set("message", "condition: " + error);
        } else if (found) {
            bp.line = *found;
            shown.set("verified", true).set("line", bp.line);
        } else {
            shown.set("verified", false).set("message", "no code on or after this line");
        }
        if (error.empty() && found) list.push_back(std::move(bp));
        answer.push(std::move(shown));
    }
    resolvedDirty_ = true;
    respond(request, JsonValue::object().set("breakpoints", std::move(answer)));
}

void DebugAdapter::setInstructionBreakpoints(const JsonValue& request) {
    instructionBreakpoints_.clear();
    JsonValue answer = JsonValue::array();
    for (const JsonValue& b : request["arguments"]["breakpoints"].items()) {
        uint32_t address = 0;
        const bool ok = parseNumber(b["instructionReference"].asString(), address);
        address += static_cast<uint32_t>(b["offset"].asInteger(0));
        JsonValue shown = JsonValue::object().set("verified", ok);
        if (ok) {
            instructionBreakpoints_[address] = nextId_;
            shown.set("id", nextId_++).set("instructionReference", hex(address, 6));
        }
        answer.push(std::move(shown));
    }
    respond(request, JsonValue::object().set("breakpoints", std::move(answer)));
}

void DebugAdapter::setFunctionBreakpoints(const JsonValue& request) {
    functionBreakpoints_.clear();
    JsonValue answer = JsonValue::array();
    for (const JsonValue& b : request["arguments"]["breakpoints"].items()) {
        functionBreakpoints_.emplace_back(b["name"].asString(), nextId_);
        answer.push(JsonValue::object().set("id", nextId_++).set("verified", true));
    }
    resolvedDirty_ = true;
    respond(request, JsonValue::object().set("breakpoints", std::move(answer)));
}

void DebugAdapter::resolveBreakpoints() {
    resolved_.clear();
    resolvedDirty_ = false;
    const ScriptDebugInfo* info = infoOf(script_);
    if (!info) return;
    for (uint32_t s = 0; s < info->sources.size(); ++s) {
        auto it = lineBreakpoints_.find(clientPath(info->sources[s]));
        if (it == lineBreakpoints_.end()) continue;
        for (size_t i = 0; i < it->second.size(); ++i) {
            for (uint32_t offset : info->offsetsOf(s, it->second[i].line))
                resolved_[offset].emplace_back(it->first, static_cast<int>(i));
        }
    }
    // A procedure by number ("40", "proc 40") or a label by name.
    for (const auto& [name, id] : functionBreakpoints_) {
        std::string_view n = name;
        if (n.substr(0, 5) == "proc ") n.remove_prefix(5);
        uint32_t number = 0;
        if (parseNumber(n, number)) {
            for (const ScriptDebugInfo::Procedure& p : info->procedures)
                if (p.number == number) resolved_[p.offset].emplace_back(std::string(), id);
        }
        for (const ScriptDebugInfo::Label& l : info->labels)
            if (l.name == name) resolved_[l.offset].emplace_back(std::string(), id);
    }
}

bool DebugAdapter::breakpointStops(LineBreakpoint& bp, std::string& logText) {
    if (bp.condition) {
        std::string error;
        std::optional<uint32_t> v = expression_.evaluate(*machine_, *bp.condition, error);
        if (!v || *v == 0) return false;
    }
    ++bp.hits;
    if (!bp.hitCondition.empty()) {
        std::string_view h = bp.hitCondition;
        while (!h.empty() && h.front() == ' ') h.remove_prefix(1);
        std::string_view op = "==";
        for (std::string_view o : {">=", "<=", "==", ">", "<", "%"}) {
            if (h.substr(0, o.size()) == o) {
                op = o;
                h.remove_prefix(o.size());
                break;
            }
        }
        while (!h.empty() && h.front() == ' ') h.remove_prefix(1);
        uint32_t n = 0;
        if (parseNumber(h, n)) {
            const uint32_t k = bp.hits;
            const bool ok = op == ">=" ? k >= n : op == "<=" ? k <= n : op == ">" ? k > n
                          : op == "<"  ? k < n
                          : op == "%"  ? n != 0 && k % n == 0
                                       : k == n;
            if (!ok) return false;
        }
    }
    if (!bp.logMessage.empty()) {
        // {expression} in the message shows its value.
        std::string text;
        std::string_view m = bp.logMessage;
        while (!m.empty()) {
            const size_t open = m.find('{');
            const size_t close = open == std::string_view::npos ? open : m.find('}', open);
            if (close == std::string_view::npos) {
                text += m;
                break;
            }
            text += m.substr(0, open);
            std::string error;
            const std::string value = evaluateText(m.substr(open + 1, close - open - 1), error);
            text += error.empty() ? value : "<" + error + ">";
            m.remove_prefix(close + 1);
        }
        logText += text;
        return false;
    }
    return true;
}

// ---- data breakpoints ---------------------------------------------------------------------

std::optional<std::string> DebugAdapter::dataIdOf(std::string_view name) const {
    // A variable's name may carry the register's name after a blank.
    std::string_view n = name;
    if (n.substr(0, 8) == "control ") {
        uint32_t mask = 0;
        if (!parseNumber(n.substr(8, n.find(' ', 8) - 8), mask) || mask == 0 || mask > 0xFFFF)
            return std::nullopt;
        return "control:" + std::to_string(mask);
    }
    if (const ScriptDebugInfo* info = infoOf(script_)) {
        for (const ScriptDebugInfo::Name& named : info->names)
            if (named.name == n)
                return std::string(ScriptDebugInfo::kindWord(named.kind)) + ":" +
                       std::to_string(named.number);
    }
    const size_t open = n.find('[');
    const size_t close = n.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    const std::string_view kind = n.substr(0, open);
    const ScriptConstants names = constants();
    auto numberOf = [&](std::string_view s, uint32_t& v) {
        if (parseNumber(s, v)) return true;
        auto it = names.find(std::string(s));
        if (it == names.end()) return false;
        v = it->second;
        return true;
    };
    uint32_t first = 0;
    if (!numberOf(n.substr(open + 1, close - open - 1), first)) return std::nullopt;
    if (kind == "flag" && first < kFlagCount) return "flag:" + std::to_string(first);
    if ((kind == "r16" || kind == "r32") && first < 256)
        return std::string(kind) + ":" + std::to_string(first);
    if ((kind == "dim8" || kind == "dim16" || kind == "dim32") && first < 256) {
        const std::string_view rest = n.substr(close + 1);
        uint32_t index = 0;
        if (rest.size() < 3 || rest.front() != '[' || rest.back() != ']' ||
            !numberOf(rest.substr(1, rest.size() - 2), index))
            return std::nullopt;
        return std::string(kind) + ":" + std::to_string(first) + ":" + std::to_string(index);
    }
    return std::nullopt;
}

std::optional<uint32_t> DebugAdapter::watchedValue(const std::string& dataId) const {
    const size_t colon = dataId.find(':');
    if (colon == std::string::npos || !machine_) return std::nullopt;
    const std::string kind = dataId.substr(0, colon);
    const std::string rest = dataId.substr(colon + 1);
    const size_t second = rest.find(':');
    uint32_t a = 0, b = 0;
    if (!parseNumber(rest.substr(0, second), a)) return std::nullopt;
    if (second != std::string::npos && !parseNumber(rest.substr(second + 1), b))
        return std::nullopt;
    const ScriptMemory& m = machine_->memory;
    if (kind == "flag") return m.flag(a);
    if (kind == "r16") return m.reg16(static_cast<uint8_t>(a));
    if (kind == "r32") return m.reg32(static_cast<uint8_t>(a));
    if (kind == "control") return m.controlWord() & a;
    if (kind == "dim8") return machine_->byteElement(static_cast<uint8_t>(a), b);
    if (kind == "dim16") return machine_->wordElement(static_cast<uint8_t>(a), b);
    if (kind == "dim32") return machine_->dwordElement(static_cast<uint8_t>(a), b);
    return std::nullopt;
}

std::string DebugAdapter::describeDataId(const std::string& dataId) const {
    const size_t colon = dataId.find(':');
    const std::string kind = dataId.substr(0, colon);
    std::string rest = dataId.substr(colon + 1);
    if (kind == "control") {
        uint32_t mask = 0;
        parseNumber(rest, mask);
        return "control word bit " + hex(mask, 2);
    }
    const size_t second = rest.find(':');
    if (second != std::string::npos) return kind + "[" + rest.substr(0, second) + "][" +
                                            rest.substr(second + 1) + "]";
    uint32_t n = 0;
    parseNumber(rest, n);
    if (auto k = ScriptDebugInfo().kindNamed(kind)) return nameOfRegister(*k, n);
    return kind + "[" + rest + "]";
}

void DebugAdapter::dataBreakpointInfo(const JsonValue& request) {
    const JsonValue& args = request["arguments"];
    std::optional<std::string> id = dataIdOf(args["name"].asString());
    JsonValue body = JsonValue::object();
    if (id) {
        body.set("dataId", *id)
            .set("description", describeDataId(*id))
            .set("accessTypes", JsonValue::array().push("write"))
            .set("canPersist", true);
    } else {
        body.set("dataId", JsonValue()).set("description", "not a flag, register, array element "
                                                           "or control-word bit");
    }
    respond(request, std::move(body));
}

void DebugAdapter::setDataBreakpoints(const JsonValue& request) {
    watches_.clear();
    JsonValue answer = JsonValue::array();
    for (const JsonValue& b : request["arguments"]["breakpoints"].items()) {
        const std::string& dataId = b["dataId"].asString();
        std::optional<uint32_t> now = watchedValue(dataId);
        const bool ok = now.has_value() || (!machine_ && dataId.find(':') != std::string::npos);
        JsonValue shown = JsonValue::object().set("verified", ok);
        if (ok) {
            watches_.push_back({nextId_, dataId, now.value_or(0)});
            shown.set("id", nextId_++).set("description", describeDataId(dataId));
        }
        answer.push(std::move(shown));
    }
    respond(request, JsonValue::object().set("breakpoints", std::move(answer)));
}

// ---- running and stopping -----------------------------------------------------------------

void DebugAdapter::followFrames() {
    const std::string_view name = machine_->memory.scriptName();
    if (name != script_) {
        script_.assign(name);
        resolvedDirty_ = true;
        announceSources(script_);
    }
    const size_t depth = machine_->depth;
    while (frames_.size() > depth) frames_.pop_back();
    while (frames_.size() < depth) {
        Frame f;
        f.callSite = previousStart_;
        f.entry = machine_->pc();
        f.script = script_;
        const uint8_t calling = machine_->memory.byte(previousStart_);
        if (frames_.empty()) {
            f.name = "script " + printable(script_);
        } else if (calling == mes::op::kCallScript) {
            f.name = "call_script " + printable(script_);
        } else {
            f.name = "code at " + hex(f.entry, 6);
            for (uint32_t p = 0; p < ScriptMachine::kProcedures; ++p) {
                if (machine_->procedures[p].entry == f.entry && f.entry != 0) {
                    f.name = (calling == mes::op::kChoiceLoop ? "choice handler " : "proc ") +
                             std::to_string(p);
                    break;
                }
            }
        }
        frames_.push_back(std::move(f));
    }
    if (!frames_.empty()) frames_.back().script = script_;
    // The outermost loop runs whichever script was changed to last.
    if (frames_.size() == 1) frames_[0].name = "script " + printable(script_);
}

bool DebugAdapter::stepStops(uint32_t pc) {
    const size_t depth = frames_.size();
    const Place here = placeOf(script_, pc);
    const bool mapped = here.info != nullptr;
    const bool newStatement = mapped ? here.statementStart && here.line != stepLine_ : pc != stepPc_;
    switch (step_) {
    case Step::kNone: return false;
    case Step::kPause:
    case Step::kEntry: return true;
    case Step::kIn: return newStatement || (depth != stepDepth_ && (!mapped || here.statementStart));
    case Step::kNext:
        return depth < stepDepth_ ? !mapped || here.statementStart
                                  : depth == stepDepth_ && newStatement;
    case Step::kOut: return depth < stepDepth_ && (!mapped || here.statementStart);
    }
    return false;
}

void DebugAdapter::beforeInstruction() {
    if (transport_->pending() || (transport_->closed() && !gone_)) handleMessages();
    if (gone_) return;
    followFrames();
    const uint32_t pc = machine_->pc();
    const uint32_t instructionBefore = previousStart_;
    previousStart_ = pc;

    for (Watch& w : watches_) {
        std::optional<uint32_t> now = watchedValue(w.dataId);
        if (!now || *now == w.last) continue;
        const uint32_t was = w.last;
        w.last = *now;
        changedAt_ = instructionBefore;
        stoppedByData_ = true;
        stop("data breakpoint", describeDataId(w.dataId) + " changed",
             describeDataId(w.dataId) + ": " + std::to_string(was) + " -> " +
                 std::to_string(*now),
             JsonValue::array().push(w.id));
        stoppedByData_ = false;
        return;
    }

    if (step_ != Step::kNone && stepStops(pc)) {
        const char* reason = step_ == Step::kPause ? "pause" : step_ == Step::kEntry ? "entry" : "step";
        step_ = Step::kNone;
        stop(reason, "", "");
        return;
    }

    if (resolvedDirty_) resolveBreakpoints();
    JsonValue hit = JsonValue::array();
    std::string logText;
    if (auto it = instructionBreakpoints_.find(pc); it != instructionBreakpoints_.end())
        hit.push(it->second);
    if (!resolved_.empty() && pc >= ScriptMemory::kCodeBase) {
        auto it = resolved_.find(pc - ScriptMemory::kCodeBase);
        if (it != resolved_.end()) {
            for (const auto& [path, index] : it->second) {
                if (path.empty()) {
                    hit.push(index);
                    continue;
                }
                LineBreakpoint& bp = lineBreakpoints_[path][static_cast<size_t>(index)];
                if (breakpointStops(bp, logText)) hit.push(bp.id);
            }
        }
    }
    if (!logText.empty()) output("console", logText);
    if (!hit.items().empty()) {
        const bool function = !resolved_.empty() && std::any_of(hit.items().begin(), hit.items().end(), [&](const JsonValue& id) {
            for (const auto& f : functionBreakpoints_)
                if (f.second == id.asInteger(-1)) return true;
            return false;
        });
        stop(function ? "function breakpoint" : instructionBreakpoints_.count(pc) ? "instruction breakpoint" : "breakpoint", "", "", std::move(hit));
    }
}

void DebugAdapter::beforeFatalError(std::string_view title, std::string_view text) {
    if (!exceptions_ || gone_ || !machine_) return;
    exceptionTitle_ = title;
    exceptionText_ = text;
    followFrames();
    stop("exception", printable(title), printable(text));
}

void DebugAdapter::stop(std::string_view reason, std::string_view description,
                        std::string_view text, JsonValue hitIds) {
    JsonValue body = JsonValue::object();
    body.set("reason", reason).set("threadId", kThreadId).set("allThreadsStopped", true);
    if (!description.empty()) body.set("description", description);
    if (!text.empty()) body.set("text", text);
    if (!hitIds.items().empty()) body.set("hitBreakpointIds", std::move(hitIds));
    event("stopped", std::move(body));
    stopped_ = true;
    while (stopped_ && !gone_) {
        // The window repaints and answers its close box; the timer runs on.
        if (host_->pump() == 0 && host_->windowState() == window_state::kClosed) break;
        transport_->wait(kWaitMs);
        handleMessages();
    }
    stopped_ = false;
    // Values changed while stopped (setVariable) are no change of the script's.
    for (Watch& w : watches_) w.last = watchedValue(w.dataId).value_or(w.last);
}

void DebugAdapter::resume(const JsonValue& request, Step step) {
    step_ = step;
    stepDepth_ = frames_.size();
    stepPc_ = machine_->pc();
    stepLine_ = placeOf(script_, stepPc_).line;
    stopped_ = false;
    respond(request, JsonValue::object().set("allThreadsContinued", true));
    if (step == Step::kNone) event("continued", JsonValue::object().set("threadId", kThreadId));
}

// ---- looking at the machine ---------------------------------------------------------------

void DebugAdapter::stackTrace(const JsonValue& request) {
    JsonValue list = JsonValue::array();
    for (size_t k = frames_.size(); k-- > 0;) {
        const Frame& f = frames_[k];
        uint32_t address = k + 1 == frames_.size() ? machine_->pc() : frames_[k + 1].callSite;
        if (k + 1 == frames_.size() && stoppedByData_) address = changedAt_;
        JsonValue frame = JsonValue::object();
        frame.set("id", static_cast<int>(k) + 1).set("name", f.name);
        frame.set("instructionPointerReference", hex(address, 6));
        const Place p = placeOf(f.script, address);
        if (p.line) {
            frame.set("source", sourceOf(*p.info, p.line->source));
            frame.set("line", p.line->line).set("column", p.line->column);
        } else {
            frame.set("line", 0).set("column", 0);
        }
        list.push(std::move(frame));
    }
    const int total = static_cast<int>(frames_.size());
    respond(request,
            JsonValue::object().set("stackFrames", std::move(list)).set("totalFrames", total));
}

JsonValue DebugAdapter::variable(std::string name, std::string value, int children) const {
    JsonValue v = JsonValue::object();
    v.set("name", std::move(name)).set("value", std::move(value)).set("variablesReference", children);
    return v;
}

void DebugAdapter::scopes(const JsonValue& request) {
    JsonValue list = JsonValue::array();
    auto scope = [&](const char* name, int ref, int count) {
        JsonValue s = JsonValue::object();
        s.set("name", name).set("variablesReference", ref).set("namedVariables", count);
        s.set("expensive", false);
        list.push(std::move(s));
    };
    scope("Flags", kFlagsScope, 21);
    scope("Registers (16-bit)", kReg16Scope, 256);
    scope("Registers (32-bit)", kReg32Scope, 256);
    scope("Control word", kControlScope, 10);
    scope("Text", kTextScope, 4);
    scope("Files", kFilesScope, CurrentFileNames::kSlots);
    respond(request, JsonValue::object().set("scopes", std::move(list)));
}

void DebugAdapter::variables(const JsonValue& request) {
    const int ref = static_cast<int>(request["arguments"]["variablesReference"].asInteger(0));
    const ScriptMemory& m = machine_->memory;
    JsonValue list = JsonValue::array();
    using Kind = ScriptDebugInfo::NameKind;
    if (ref == kFlagsScope) {
        for (uint32_t page = 0; page * kFlagsPerPage < kFlagCount; ++page) {
            const uint32_t last = std::min(kFlagCount, (page + 1) * kFlagsPerPage) - 1;
            list.push(variable("flags " + std::to_string(page * kFlagsPerPage) + "-" +
                                   std::to_string(last),
                               "", kFlagPages + static_cast<int>(page)));
        }
    } else if (ref >= kFlagPages && ref < kFlagPages + 21) {
        const uint32_t first = static_cast<uint32_t>(ref - kFlagPages) * kFlagsPerPage;
        for (uint32_t n = first; n < std::min(kFlagCount, first + kFlagsPerPage); ++n)
            list.push(variable(nameOfRegister(Kind::kFlag, n), std::to_string(m.flag(n))));
    } else if (ref == kReg16Scope || ref == kReg32Scope) {
        for (uint32_t r = 0; r < 256; ++r) {
            const auto i = static_cast<uint8_t>(r);
            list.push(ref == kReg16Scope
                          ? variable(nameOfRegister(Kind::kReg16, r), std::to_string(m.reg16(i)))
                          : variable(nameOfRegister(Kind::kReg32, r), std::to_string(m.reg32(i))));
        }
    } else if (ref == kControlScope) {
        list.push(variable("value", hex(m.controlWord())));
        for (const ControlBit& b : kControlBits) {
            list.push(variable("control " + hex(b.mask, 2) + " " + b.meaning,
                               (m.controlWord() & b.mask) ? "1" : "0"));
        }
    } else if (ref == kTextScope) {
        list.push(variable("cursor", std::to_string(m.reg16(reg16::kCursorX)) + ", " +
                                         std::to_string(m.reg16(reg16::kCursorY))));
        list.push(variable("area", std::to_string(m.reg16(reg16::kAreaLeft)) + ", " +
                                       std::to_string(m.reg16(reg16::kAreaTop)) + " - " +
                                       std::to_string(m.reg16(reg16::kAreaRight)) + ", " +
                                       std::to_string(m.reg16(reg16::kAreaBottom))));
        list.push(variable("plane", std::to_string(m.reg16(reg16::kPlane))));
        list.push(variable("colours", hex(m.reg16(reg16::kColours))));
    } else if (ref == kFilesScope) {
        static constexpr const char* kSlots[] = {"script", "picture", "data", "music", "voice"};
        for (int s = 0; s < CurrentFileNames::kSlots; ++s)
            list.push(variable(kSlots[s], printable(fileNames_->get(s))));
    }
    respond(request, JsonValue::object().set("variables", std::move(list)));
}

void DebugAdapter::setVariable(const JsonValue& request) {
    const JsonValue& args = request["arguments"];
    std::optional<std::string> id = dataIdOf(args["name"].asString());
    std::string error;
    const std::string text = evaluateText(args["value"].asString(), error);
    uint32_t value = 0;
    if (!id || !error.empty() || !parseNumber(text, value)) {
        refuse(request, error.empty() ? "only flags, registers and control-word bits can be set"
                                      : error);
        return;
    }
    ScriptMemory& m = machine_->memory;
    const std::string kind = id->substr(0, id->find(':'));
    uint32_t n = 0;
    parseNumber(id->substr(id->find(':') + 1), n);
    if (kind == "flag") m.setFlag(n, static_cast<uint8_t>(std::min<uint32_t>(value, 15)));
    else if (kind == "r16") m.setReg16(static_cast<uint8_t>(n), static_cast<uint16_t>(value));
    else if (kind == "r32") m.setReg32(static_cast<uint8_t>(n), value);
    else if (kind == "control") value ? m.setControlBits(static_cast<uint16_t>(n))
                                      : m.clearControlBits(static_cast<uint16_t>(n));
    else {
        refuse(request, "only flags, registers and control-word bits can be set");
        return;
    }
    const uint32_t now = watchedValue(*id).value_or(0);
    respond(request, JsonValue::object().set("value", kind == "control" ? std::to_string(now != 0)
                                                                        : std::to_string(now)));
}

std::string DebugAdapter::evaluateText(std::string_view text, std::string& error) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // A name alone is the register or flag it names.
    if (std::optional<std::string> id = dataIdOf(text); id && text.find('[') == std::string::npos) {
        if (std::optional<uint32_t> v = watchedValue(*id)) return std::to_string(*v);
    }
    std::optional<std::vector<uint8_t>> code = ScriptExpression::compile(text, constants(), error);
    if (!code) return {};
    std::optional<uint32_t> v = expression_.evaluate(*machine_, *code, error);
    return v ? std::to_string(*v) : std::string();
}

void DebugAdapter::evaluate(const JsonValue& request) {
    std::string error;
    const std::string value = evaluateText(request["arguments"]["expression"].asString(), error);
    if (!error.empty()) {
        refuse(request, error);
        return;
    }
    respond(request, JsonValue::object().set("result", value).set("variablesReference", 0));
}

void DebugAdapter::disassemble(const JsonValue& request) {
    // Raw bytes with the statement's place where the debug information knows it.
    const JsonValue& args = request["arguments"];
    uint32_t address = 0;
    parseNumber(args["memoryReference"].asString(), address);
    const int64_t count = args["instructionCount"].asInteger(0, 0, 4096);
    const int64_t first = static_cast<int64_t>(address) + args["offset"].asInteger(0) +
                          args["instructionOffset"].asInteger(0);
    JsonValue list = JsonValue::array();
    for (int64_t i = 0; i < count; ++i) {
        const int64_t at = first + i;
        JsonValue line = JsonValue::object();
        line.set("address", hex(static_cast<uint32_t>(std::max<int64_t>(at, 0)), 6));
        if (at < 0 || at >= ScriptMemory::kSize) {
            line.set("instruction", "??");
        } else {
            const uint32_t a = static_cast<uint32_t>(at);
            line.set("instructionBytes", hex(machine_->memory.byte(a), 2).substr(2));
            line.set("instruction", "bytes " + hex(machine_->memory.byte(a), 2));
            const Place p = placeOf(script_, a);
            if (p.statementStart) {
                line.set("location", sourceOf(*p.info, p.line->source)).set("line", p.line->line);
            }
        }
        list.push(std::move(line));
    }
    respond(request, JsonValue::object().set("instructions", std::move(list)));
}

} // namespace fer
