#include "shell/EngineLauncher.h"

#include <cstdio>
#include <unistd.h>

#include "core/EngineStrings.h"
#include "debug/DebugAdapter.h"
#include "files/CaseInsensitivePath.h"
#include "files/FileText.h"
#include "files/SettingsFile.h"
#include "platform/PlatformFactory.h"
#include "shell/CommandLine.h"
#include "shell/EngineContext.h"

namespace fer {

int launchEngine(const std::vector<std::string_view>& args, const BuildVariant& variant) {
    CommandLine options;
    std::string error;
    if (!options.parse(args, error)) {
        std::fprintf(stderr, "engine: %s\n%s", error.c_str(), CommandLine::usage());
        return 2;
    }
    if (options.help) {
        std::fputs(CommandLine::usage(), stdout);
        return 0;
    }
    ScriptedInput input;
    if (!options.inputPath.empty()) {
        // Input scripts are short; a device or a huge file is a mistake.
        constexpr uint64_t kMaxInputFile = 64u << 20;
        std::string text;
        const ReadFailure failure = readFileText(options.inputPath, kMaxInputFile, text);
        if (failure == ReadFailure::kTooLarge) {
            std::fprintf(stderr, "engine: input file too large (more than 64 MiB): %s\n",
                         options.inputPath.c_str());
            return 2;
        }
        if (failure != ReadFailure::kNone) {
            std::fprintf(stderr, "engine: cannot read the input file %s: it %s\n",
                         options.inputPath.c_str(), describe(failure));
            return 2;
        }
        if (!input.parse(text, error)) {
            std::fprintf(stderr, "engine: %s: %s\n", options.inputPath.c_str(), error.c_str());
            return 2;
        }
    }
    // A debugger launched by an editor names the game in its launch request.
    std::unique_ptr<DebugAdapter> adapter;
    if (options.debugAdapter) {
        std::unique_ptr<DapTransport> transport = DapTransport::overStdio();
        if (!transport) {
            std::fprintf(stderr, "engine: standard output cannot carry the debug adapter\n");
            return 2;
        }
        adapter = std::make_unique<DebugAdapter>(std::move(transport), variant);
        if (!adapter->awaitConfiguration()) return 0;
        if (!adapter->launchGame().empty()) options.gameDirectory = adapter->launchGame();
    } else if (options.debugPort) {
        std::unique_ptr<DapTransport> transport = DapTransport::listen(*options.debugPort, error);
        if (!transport) {
            std::fprintf(stderr, "engine: cannot listen on 127.0.0.1:%u: %s\n",
                         static_cast<unsigned>(*options.debugPort), error.c_str());
            return 2;
        }
        adapter = std::make_unique<DebugAdapter>(std::move(transport), variant);
    }
    // Paths given on the command line stay valid after the change of directory.
    auto absolute = [](std::string& path) {
        if (!path.empty()) path = std::filesystem::absolute(path).string();
    };
    absolute(options.screenshotPath);
    absolute(options.dumpMemoryPath);
    absolute(options.audioOutPath);
    if (!options.gameDirectory.empty() && chdir(options.gameDirectory.c_str()) != 0) {
        std::fprintf(stderr, "engine: cannot change to the game directory %s\n",
                     options.gameDirectory.c_str());
        return 2;
    }
    PlatformOptions platformOptions;
    platformOptions.headless = options.headless;
    platformOptions.events = input.events();
    platformOptions.quitAfterMs = options.quitAfterMs;
    // The picture's scale: the command line's, else the setting of our own, else the largest fit.
    std::optional<ScaleChoice> scale = options.scale;
    if (!scale) {
        const SettingsFile settings(pathIgnoringCase(std::filesystem::current_path(),
                                                     variant.settingsFileName, NameCharset::kGbk));
        scale = ScaleChoice::parse(
            settings.getText(ScaleChoice::kSection, ScaleChoice::kKey, "0", 16), true);
    }
    if (scale) {
        platformOptions.scale = scale->factor;
        platformOptions.scaleMode = scale->mode;
    }
    platformOptions.gameDirectory = std::filesystem::current_path().string();
    const EngineLanguage language = engineLanguageFor(variant);
    platformOptions.labels = {engineString(language, EngineString::kOk),
                              engineString(language, EngineString::kCancel)};
    std::unique_ptr<Platform> platform = createPlatform(platformOptions);
    if (!platform) return 1;
    EngineContext context(options, variant, std::move(platform));
    if (adapter) context.attachDebugger(*adapter);
    const int status = context.run();
    if (adapter) adapter->engineEnded(status);
    return status;
}

} // namespace fer
